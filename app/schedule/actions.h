// What the rest clock asks the dialog to do, as plain values, in the order it is to be done.
// A fixed-size list: the tick makes one every second and must not allocate.
#pragma once

#include <cstddef>
#include <cstdint>

#include "history/history_store.h"
#include "hold/hold_rules.h"

namespace schedule {

enum class Do : uint8_t {
    // The window's side.
    Status,         // the status labels: a = worked, b = work left, flag = outside working hours,
                    // note = 1 while paused; at = now
    Balloon,        // note = Note
    LongDay,        // the long-day reminder: a flash of the visible status window, else a balloon
    OpenNotice,     // a = the seconds it counts down
    CloseNotice,
    Cover,          // the rest window
    Uncover,
    Beep,           // a = Hz, b = ms
    Play,           // note = Tune
    WatchKeys,      // flag = on
    WaitForPause,   // a = ms until the cover is tried again
    StopWaiting,
    ShowEyeBreak,   // a = its seconds
    EndEyeBreak,    // note = history::EyeBreakEnd: recorded with the seconds the window showed
    UpdateTip,
    Exit,           // the program ends as by the Exit command
    // The history.
    RetryWrites,    // at: what a busy day file kept back is tried again, now and then
    WorkSecond,     // at
    SaveWork,
    RestStarted,    // at, a = planned seconds
    RestEnded,      // a = seconds rested, note = history::RestEnd
    Delayed,        // at, a = seconds added
    Postponed,      // at, a = seconds added
    Held,           // at = its start, a = seconds, note = hold::Reason
    SkippedToday,   // at
    EndRun,         // a = seconds rested, note = history::RestEnd
    PauseStarted,   // at, a = seconds it is to last
    PauseEnded,     // at = its end, a = seconds it lasted
};

enum class Note : uint8_t { OneMinute, HoldCall, HoldCamera, HoldPresentation, ElevatedFront };
enum class Tune : uint8_t { Postponed, RestEnd };

struct Action {
    Do what = Do::Status;
    uint8_t note = 0;
    bool flag = false;
    uint32_t a = 0;
    uint32_t b = 0;
    int64_t at = 0;  // seconds since 1970
};

class Actions {
public:
    static constexpr size_t kCapacity = 32;

    void add(Do what, uint32_t a = 0, uint32_t b = 0) { push(Action{what, 0, false, a, b, 0}); }
    void add(const Action& action) { push(action); }
    void append(const Actions& more) {
        for (const Action& action : more) push(action);
    }

    const Action* begin() const { return m_items; }
    const Action* end() const { return m_items + m_count; }
    size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }

private:
    // No call comes near the capacity: a tick that moved through every rule at once makes
    // about twenty.
    void push(const Action& action) {
        if (m_count < kCapacity) m_items[m_count++] = action;
    }

    Action m_items[kCapacity];
    size_t m_count = 0;
};

}  // namespace schedule
