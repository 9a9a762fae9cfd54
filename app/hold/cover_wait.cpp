#include "hold/cover_wait.h"

#include "hold/hold_rules.h"

namespace hold {

bool frontHoldsCover(const FrontFacts& front) {
    if (!front.window || front.ours) return false;
    if (!front.levelKnown) return true;
    return front.level > (front.ownKnown ? front.ownLevel : kMediumIntegrity);
}

CoverStep nextCoverStep(bool frontHolds, long long sinceKeyMs, CoverWait& waited) {
    CoverStep step;
    if (frontHolds && waited.frontMs < kLongestFrontWaitMs) {
        step.tellFront = waited.frontMs == 0;
        const uint32_t left = kLongestFrontWaitMs - waited.frontMs;
        step.delayMs = left < kFrontLookMs ? left : kFrontLookMs;
        waited.frontMs += step.delayMs;
        return step;
    }
    step.delayMs = coverDelay(sinceKeyMs, waited.typingMs);
    waited.typingMs += step.delayMs;
    return step;
}

}  // namespace hold
