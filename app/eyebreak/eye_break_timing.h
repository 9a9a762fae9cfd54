// When an eye break comes: after every `every` seconds of counted work, unless something
// more important is in front. The count itself lives in the main dialog (it starts again
// after a rest, an away period and each eye break); this is the decision over it, with no
// window and no clock, so tests drive it with plain values.
#pragma once

#include <cstdint>

namespace eyebreak {

constexpr uint32_t kDefaultEvery = 1200;     // seconds of work between two eye breaks
constexpr uint32_t kMaxEvery = 86400;
constexpr uint32_t kDefaultSeconds = 20;     // how long one lasts
constexpr uint32_t kMaxSeconds = 600;
constexpr uint32_t kQuietBeforeRest = 300;   // no eye break this close to a rest

// A settings value in 1..`limit`, or `fallback` for anything else (0, too large, missing).
uint32_t valueOrDefault(uint32_t value, uint32_t limit, uint32_t fallback);

// What the tick knows when it asks.
struct Moment {
    uint32_t workedSince = 0;   // counted work seconds since the last rest, away period or eye break
    uint32_t restIn = 0;        // seconds of work left before the rest
    bool fullScreen = false;    // a full-screen program is in front (whatever the rest does then)
    bool away = false;          // the user is away from the computer
    bool restHeld = false;      // a rest is held (a call, a presentation)
    bool outsideWorkingHours = false;
};

// True when an eye break is to be shown now: `every` seconds (or more, when something held
// it back) were worked and nothing stands in the way.
bool isDue(uint32_t every, const Moment& moment);

}  // namespace eyebreak
