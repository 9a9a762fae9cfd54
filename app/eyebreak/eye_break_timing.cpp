#include "eyebreak/eye_break_timing.h"

namespace eyebreak {

uint32_t valueOrDefault(uint32_t value, uint32_t limit, uint32_t fallback) {
    return value >= 1 && value <= limit ? value : fallback;
}

bool isDue(uint32_t every, const Moment& moment) {
    if (moment.workedSince < every) return false;
    // A rest is about to give the eyes more than an eye break would.
    if (moment.restIn <= kQuietBeforeRest) return false;
    return !moment.fullScreen && !moment.away && !moment.restHeld && !moment.outsideWorkingHours;
}

}  // namespace eyebreak
