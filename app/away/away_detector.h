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

// The session as an event tells it or as the session service reports it; Unknown where it
// says nothing (an event tells one half, and a failed reading neither).
struct SessionState {
    enum class Connection { Unknown, Connected, Disconnected };
    enum class Lock { Unknown, Locked, Unlocked };
    Connection connection = Connection::Unknown;
    Lock lock = Lock::Unknown;
};

class AwayDetector {
public:
    // What keeps the user away; an away period lasts while any of them holds.
    enum Source : unsigned { kLocked = 1, kDisconnected = 2, kAsleep = 4, kIdle = 8 };

    // What the session is, from an event or read from the session service; what it does not
    // tell (Unknown) stays as it was. A disconnection is one from the console or a remote
    // desktop, and either connection ends it.
    AwayReport session(int64_t now, const SessionState& state);
    AwayReport sessionLocked(int64_t now) { return session(now, {kAnyConnection, SessionState::Lock::Locked}); }
    AwayReport sessionUnlocked(int64_t now) { return session(now, {kAnyConnection, SessionState::Lock::Unlocked}); }
    AwayReport disconnected(int64_t now) { return session(now, {SessionState::Connection::Disconnected, kAnyLock}); }
    AwayReport connected(int64_t now) { return session(now, {SessionState::Connection::Connected, kAnyLock}); }
    // Locked or disconnected, and the session last heard of a minute ago or more: time to
    // read its real state, as an event may have been lost. Never while the user is there.
    bool sessionCheckDue(int64_t now) const;
    static constexpr int64_t kSessionCheckSeconds = 60;

    void suspended(int64_t now);
    // Ticks after a suspend that tell its resume was lost.
    static constexpr unsigned kLostResumeTicks = 60;
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
    static constexpr SessionState::Connection kAnyConnection = SessionState::Connection::Unknown;
    static constexpr SessionState::Lock kAnyLock = SessionState::Lock::Unknown;

    void begin(unsigned source, int64_t now);
    AwayReport end(unsigned source, int64_t now);
    AwayReport current(int64_t now) const;

    unsigned m_sources = 0;
    int64_t m_since = 0;       // start of the current away period
    int64_t m_asleepSince = 0;
    unsigned m_ticksAsleep = 0;  // ticks since the suspend: none come while the machine sleeps
    int64_t m_sessionHeard = 0;  // the last session event or reading
};
