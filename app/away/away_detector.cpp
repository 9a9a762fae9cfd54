#include "away/away_detector.h"

namespace {

// Seconds from `from` to `to`: 0 when the clock went back, the 32-bit limit at most.
uint32_t secondsBetween(int64_t from, int64_t to) {
    if (to <= from) return 0;
    const int64_t d = to - from;
    return d > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(d);
}

}  // namespace

void AwayDetector::begin(unsigned source, int64_t now) {
    if (m_sources == 0) m_since = now;
    m_sources |= source;
}

AwayReport AwayDetector::end(unsigned source, int64_t now) {
    if (!(m_sources & source)) return current(now);
    m_sources &= ~source;
    if (m_sources != 0) return current(now);
    return {AwayReport::State::Back, secondsBetween(m_since, now)};
}

AwayReport AwayDetector::current(int64_t now) const {
    if (m_sources == 0) return {};
    return {AwayReport::State::Away, secondsBetween(m_since, now)};
}

AwayReport AwayDetector::session(int64_t now, const SessionState& state) {
    m_sessionHeard = now;
    const unsigned before = m_sources;
    const int64_t since = m_since;
    using Connection = SessionState::Connection;
    using Lock = SessionState::Lock;
    if (state.connection == Connection::Disconnected) m_sources |= kDisconnected;
    if (state.connection == Connection::Connected) m_sources &= ~kDisconnected;
    if (state.lock == Lock::Locked) m_sources |= kLocked;
    if (state.lock == Lock::Unlocked) m_sources &= ~kLocked;
    // A disconnection that turns out to be a lock is one away period.
    if (before == 0 && m_sources != 0) m_since = now;
    if (before != 0 && m_sources == 0) return {AwayReport::State::Back, secondsBetween(since, now)};
    return current(now);
}

bool AwayDetector::sessionCheckDue(int64_t now) const {
    if (!(m_sources & (kLocked | kDisconnected))) return false;
    return now - m_sessionHeard >= kSessionCheckSeconds || now < m_sessionHeard;  // or the clock went back
}

void AwayDetector::suspended(int64_t now) {
    if (m_sources & kAsleep) return;  // the first suspend counts
    m_asleepSince = now;
    m_ticksAsleep = 0;
    begin(kAsleep, now);
}

uint32_t AwayDetector::resumed(int64_t now, AwayReport& report) {
    const bool wasAsleep = (m_sources & kAsleep) != 0;
    report = end(kAsleep, now);
    return wasAsleep ? secondsBetween(m_asleepSince, now) : 0;
}

AwayReport AwayDetector::tick(int64_t now, int64_t idleSeconds, uint32_t idleLimit) {
    // No tick comes while the machine sleeps: a minute of them since the suspend, and the
    // resume was lost (or the suspend did not happen). The machine is awake.
    if ((m_sources & kAsleep) && ++m_ticksAsleep >= kLostResumeTicks) {
        const AwayReport woke = end(kAsleep, now);
        if (woke.state == AwayReport::State::Back) return woke;
    }
    const bool idle = idleSeconds >= 0 && idleSeconds >= static_cast<int64_t>(idleLimit);
    if (idle && !(m_sources & kIdle)) {
        const int64_t lastInput = now - idleSeconds;
        if (m_sources == 0 || lastInput < m_since) m_since = lastInput;
        m_sources |= kIdle;
    } else if (!idle && (m_sources & kIdle)) {
        // The user came back at the last input, not at this tick.
        const AwayReport report = end(kIdle, idleSeconds >= 0 ? now - idleSeconds : now);
        return report.state == AwayReport::State::Back ? report : current(now);
    }
    return current(now);
}
