// Tells when the user is away from the computer: the session locked or disconnected from a
// remote desktop, the machine asleep, or, when watched, no keyboard or mouse input for a
// given time. It has no window and reads no clock: the main dialog feeds it the events and
// the ticks, each with the clock's time (seconds since 1970), and the scheduler acts on its
// answers.
#pragma once

#include <cstdint>

struct AwayReport {
    enum class State {
        Present,  // at the computer
        Away,     // away for `seconds` so far
        Back,     // came back after `seconds` away
    };
    State state = State::Present;
    uint32_t seconds = 0;
};

class AwayDetector {
public:
    // What keeps the user away; an away period lasts while any of them holds.
    enum Source : unsigned { kLocked = 1, kDisconnected = 2, kAsleep = 4, kIdle = 8 };

    void sessionLocked(int64_t now) { begin(kLocked, now); }
    AwayReport sessionUnlocked(int64_t now) { return end(kLocked, now); }
    void remoteDisconnected(int64_t now) { begin(kDisconnected, now); }
    AwayReport remoteConnected(int64_t now) { return end(kDisconnected, now); }
    void suspended(int64_t now);
    // The seconds asleep: 0 when no suspend was seen (Windows announces one resume twice).
    // `report` then tells whether the user is still away (a locked session) or back.
    uint32_t resumed(int64_t now, AwayReport& report);

    // Each tick. `idleSeconds` is the time since the last input, or negative when input is
    // not watched; it makes the user away once it reaches `idleLimit`, and the away period
    // then began at the last input.
    AwayReport tick(int64_t now, int64_t idleSeconds, uint32_t idleLimit);

    // Locked, disconnected or asleep: time that is never work time.
    bool sessionAway() const { return (m_sources & (kLocked | kDisconnected | kAsleep)) != 0; }
    bool away() const { return m_sources != 0; }

private:
    void begin(unsigned source, int64_t now);
    AwayReport end(unsigned source, int64_t now);
    AwayReport current(int64_t now) const;

    unsigned m_sources = 0;
    int64_t m_since = 0;       // start of the current away period
    int64_t m_asleepSince = 0;
};
