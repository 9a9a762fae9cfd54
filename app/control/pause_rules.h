// The timed pause ("暂停"): no work counted and no rest, reminder or eye break until it
// ends. These are its own rules, on plain times, for the rest clock to use: when a pause
// of a given length ends, when it has run out, and whether one written in today's day file
// before a restart still holds.
#pragma once

#include <cstdint>

#include <vector>

#include "control/control_protocol.h"
#include "history/history_store.h"
#include "kiv/time_kiv.h"

namespace control {

// One pause as the day file records it: `<pause at="" until="" ended=""/>`.
struct PauseRecord {
    kiv::Time at;
    kiv::Time until;
    kiv::Time ended;  // when it ended: its end, a resume, or a new pause in its place
    bool operator==(const PauseRecord& o) const {
        return at.timeValue() == o.at.timeValue() && until.timeValue() == o.until.timeValue() &&
               ended.timeValue() == o.ended.timeValue();
    }
};

// When a pause begun at `now` for `length` ends: so many minutes later, or at the next
// local midnight for "until tomorrow" (a day of a daylight-saving change included).
kiv::Time pauseEnd(const kiv::Time& now, const Duration& length);

// A moment on the day before the day of `now` (its noon, give or take a clock change).
kiv::Time dayBefore(const kiv::Time& now);

class PauseState {
public:
    bool isPaused() const { return m_paused; }
    const kiv::Time& until() const { return m_until; }
    const kiv::Time& since() const { return m_at; }

    // Begins a pause. A running one ends now in its favour: true, and its record in
    // `replaced`, so that every pause in the day file has the end it was begun with.
    bool start(const kiv::Time& now, const Duration& length, PauseRecord& replaced);
    // Ends a running pause now; false (and nothing in `ended`) when none runs.
    bool resume(const kiv::Time& now, PauseRecord& ended);
    // The tick: true when the pause has run out by `now`, its record in `ended` (ending at
    // its planned end, even when the tick comes late, after sleep).
    bool look(const kiv::Time& now, PauseRecord& ended);
    // After a restart: a pause of today's day file without an end still holds when its end
    // is later than `now` (a pause whose end passed while the program was not running is
    // over, and ended at its planned end). True when it holds.
    bool restore(const kiv::Time& at, const kiv::Time& until, const kiv::Time& now);
    // The same from a day file: its last pause without an end, its times of day read on the
    // day `day` falls on (an end at an earlier time is the next day's). One that ran out
    // while the program was not running leaves its record, ended at its planned end.
    enum class Restored { Nothing, Holds, RanOut };
    Restored restoreFromDay(const std::vector<history::Pause>& pauses, const kiv::Time& day, const kiv::Time& now,
                            PauseRecord& ranOut);

private:
    bool m_paused = false;
    kiv::Time m_at;
    kiv::Time m_until;
};

}  // namespace control
