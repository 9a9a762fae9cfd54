#include "hold/hold_rules.h"

namespace hold {

Reason decide(const Signals& signals, bool enabled) {
    if (!enabled) return Reason::None;
    if (signals.microphone) return Reason::Call;
    if (signals.camera) return Reason::Camera;
    if (signals.presentation) return Reason::Presentation;
    return Reason::None;
}

bool entryCounts(uint64_t usedSince, uint64_t stoppedAt, const std::vector<uint64_t>& processStarts,
                 uint64_t bootTime) {
    if (stoppedAt != 0 || usedSince < bootTime) return false;
    for (uint64_t started : processStarts)
        if (started <= usedSince + kStartSlack) return true;
    return false;
}

// A hold lasts as many ticks as something held the rest: the tick it began counts, the
// tick it ended does not.
HoldState::Step HoldState::tick(Reason reason) {
    Step step = Step::None;
    if (!isHeld()) {
        // With the limit used up, a new call does not hold the rest again in this period.
        if (reason == Reason::None || m_total >= kLongestHold) return Step::None;
        m_held = true;
        m_reason = reason;
        m_seconds = 0;
        step = Step::Began;
    } else if (reason == Reason::None) {
        m_held = false;
        return Step::Ended;
    }
    ++m_seconds;
    ++m_total;
    // A hold that begins always says so before it times out.
    if (step == Step::Began || m_total < kLongestHold) return step;
    m_held = false;
    return Step::TimedOut;
}

uint32_t coverDelay(long long sinceKeyMs, uint32_t waitedMs) {
    if (sinceKeyMs < 0 || sinceKeyMs >= kTypingPauseMs || waitedMs >= kLongestCoverWaitMs) return 0;
    const uint32_t toPause = kTypingPauseMs - static_cast<uint32_t>(sinceKeyMs);
    const uint32_t toLimit = kLongestCoverWaitMs - waitedMs;
    return toPause < toLimit ? toPause : toLimit;
}

}  // namespace hold
