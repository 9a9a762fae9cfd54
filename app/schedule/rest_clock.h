// The rest clock: every decision of the scheduler's tick, without a window. The main dialog
// gives it one snapshot of signals a second (tick) and one call per command or system event;
// each call answers with what to do, as plain values (actions.h), which the dialog applies.
// The capabilities' own rules (AwayDetector, hold::HoldState, hours::Tracker, the eye-break
// timing) are used from their folders; their interplay is decided here.
//
// Work and rest are the count of delivered ticks; the time in the signals only measures
// time away, working hours and the history's moments.
#pragma once

#include <cstdint>
#include <vector>

#include "away/away_detector.h"
#include "control/pause_rules.h"
#include "hold/cover_wait.h"
#include "hold/hold_rules.h"
#include "hours/hours_clock.h"
#include "kiv/time_kiv.h"
#include "schedule/actions.h"
#include "settings_store.h"

namespace schedule {

constexpr uint32_t kBalloonAt = 60;          // seconds of work left at the one-minute balloon
constexpr uint32_t kNoticeAt = 15;           // seconds of work left when the notice opens and counts down
constexpr uint32_t kPostponement = 1200;     // seconds added while a full-screen program is in front
constexpr uint32_t kDelayFiveMinutes = 300;
constexpr uint32_t kLongDay = 32400;         // nine hours since the first power-on
constexpr uint32_t kPostponeBeepHz = 1000;
constexpr uint32_t kRestEndBeepHz = 500;
constexpr uint32_t kBeepMs = 1000;
constexpr unsigned kSessionRetryTicks = 10;  // ticks between two registrations for session events

// What the clock reads or does on the platform only when a rule needs it, so that the plain
// tick costs what it always did: the hold signals in the last minute of work and while held,
// the last key and the window in front at the cover, the session's real state when an event
// may have been lost, the input idle time when idleness counts as time away.
class Asks {
public:
    virtual ~Asks() = default;
    virtual hold::Signals holdSignals() = 0;
    // Milliseconds since the last key press; negative when none was seen.
    virtual long long millisSinceKey() = 0;
    virtual hold::FrontFacts front() = 0;
    virtual SessionState sessionState() = 0;
    virtual long long inputIdleSeconds() = 0;
    // Registers for session notifications once more; true when it took.
    virtual bool registerSession() = 0;
};

// One snapshot, as the dialog has it without asking anyone.
struct Signals {
    kiv::Time now;
    bool fullScreen = false;  // the shell reports a full-screen program in front
    kiv::Time dayStart;       // the first power-on of the day (the long-day reminder)
    Asks* asks = nullptr;     // never null where a rule may ask
};

class RestClock {
public:
    // `settings` are the values in force; they are read as they are at each decision. The
    // first tick looks at the working hours.
    explicit RestClock(const settings::Values& settings, const hours::Schedule& schedule = hours::Schedule());

    // The one-second tick.
    Actions tick(const Signals& s);

    // Commands, one entry each: the menu, the notice's buttons, the rest window's unlock, the
    // settings dialog. A new command (one from outside the program too) is a method here.
    Actions startRest(const kiv::Time& now);
    Actions endRest(history::RestEnd how, const kiv::Time& now);
    // A delay lengthens the work period under way. During a pause (after which a fresh
    // period starts) it is not taken; from outside the program not during a rest either,
    // where the menu's, the stated one, is written down and changes nothing.
    bool canDelay() const { return m_working && !isPaused(); }
    Actions delay(uint32_t seconds, const kiv::Time& now);
    Actions delayFiveMinutes(const kiv::Time& now) { return delay(kDelayFiveMinutes, now); }
    Actions delayPresetTime(const kiv::Time& now) { return delay(m_settings.workTime.size(), now); }
    // New lengths from the settings: the phase and the elapsed counts stay.
    Actions settingsApplied();
    Actions skipToday(const kiv::Time& now);
    // New working hours, in force at once.
    Actions setSchedule(const hours::Schedule& schedule, const kiv::Time& now);
    // The clock or the time zone changed (the new zone already taken): working hours decide
    // again at once.
    Actions timeChanged(const kiv::Time& now);
    Actions showEyeBreak(const kiv::Time& now);
    // A timed pause: no work is counted and no rest, reminder or eye break comes until it
    // ends; the work period then starts fresh. A pause in place of a running one replaces
    // it. False (and nothing done) during a rest: a pause never cuts one short.
    bool pause(const control::Duration& length, const kiv::Time& now, Actions& out);
    // Ends a pause now; nothing when none runs.
    Actions resumeBreaks(const kiv::Time& now);
    // A pause an earlier run left running, as the day file of the day `day` falls on shows
    // it, holds until its end; one whose end passed meanwhile is written down as ended then.
    Actions restorePause(const std::vector<history::Pause>& pauses, const kiv::Time& day, const kiv::Time& now);
    Actions exit();
    // An exit request from the installer: answered at once when `answerNow`
    // (instance::answersExitRequestNow), else by the first tick after the rest's end.
    Actions exitRequested(bool answerNow);
    Actions endSession(history::RestEnd how);

    // System events: the session and power.
    void sessionRegistered(bool registered);
    bool hasSessionEvents() const { return m_sessionEvents; }
    Actions sessionLocked(const kiv::Time& now);
    Actions sessionDisconnected(const kiv::Time& now);
    Actions sessionUnlocked(const Signals& s);
    Actions sessionConnected(const Signals& s);
    Actions suspended(const kiv::Time& now);
    Actions resumed(const Signals& s);

    // What the dialog tells back: the wait for a pause in typing is over (its timer); the
    // eye break's window finished or could not be shown; "no more breaks today" from an
    // earlier run today, at `when` (nothing is recorded again).
    Actions pauseWaitEnded(const Signals& s);
    void eyeBreakClosed() { m_eyeBreakShown = false; }
    void restoreSkipToday(const kiv::Time& when) { m_hours.skipToday(when); }

    // The work time left, 0 once it is used up (the difference of two counts never wraps).
    kiv::TimeCount remainingWork() const { return m_workLength - m_workElapsed; }
    bool isRestHeld() const { return m_hold.isHeld(); }
    hold::Reason holdReason() const { return m_hold.reason(); }
    // Outside working hours now: no work is counted and no rest comes (a rest already
    // running runs to its end).
    bool isOutsideWorkingHours() const { return !m_hours.isInside(); }
    bool isAway() const { return m_away.away(); }
    bool isWaitingForPause() const { return m_coverWaiting; }
    bool isPaused() const { return m_pause.isPaused(); }
    const kiv::Time& pausedUntil() const { return m_pause.until(); }
    // The long-day reminder was given earlier in this run (by another dialog's clock).
    void longDayGiven() { m_longDayWarned = true; }
    const kiv::Time& eyeBreakStart() const { return m_eyeBreakStart; }

    kiv::TimeCount m_workLength;  // the current work period, delays included
    kiv::TimeCount m_restLength;
    kiv::TimeCount m_workElapsed;
    kiv::TimeCount m_restElapsed;
    bool m_working = true;

private:
    void tickBody(Actions& out, const Signals& s);
    bool fullScreenHoldsRest(const Signals& s) const;
    void status(Actions& out, const kiv::Time& now) const;
    void longDay(Actions& out, const Signals& s);
    void workTick(Actions& out, const Signals& s);
    void restTick(Actions& out, const kiv::Time& now);
    void postpone(Actions& out, const kiv::Time& now);
    void doStartRest(Actions& out, const kiv::Time& now);
    void doEndRest(Actions& out, history::RestEnd how, const kiv::Time& now);
    void endOfSound(Actions& out) const;

    bool holdTick(Actions& out, const Signals& s);
    void beginHold(Actions& out, const kiv::Time& now);
    void endHold(Actions& out);
    void resetHold(Actions& out);
    void coverAtPause(Actions& out, const Signals& s);
    bool waitingForPause(Actions& out);
    void stopCoverWait(Actions& out);

    bool workingHoursTick(Actions& out, const kiv::Time& now);
    void enterWorkingHours(Actions& out, const kiv::Time& now, const kiv::Time& outsideFrom);

    bool awayTick(Actions& out, const Signals& s);
    void retrySessionEvents(Actions& out, const Signals& s);
    AwayReport sessionAsItIs(SessionState told, const Signals& s);
    void awayReport(Actions& out, const AwayReport& report, const kiv::Time& now);
    void takeAwayRest(Actions& out, const kiv::Time& now, uint32_t awaySeconds);

    bool pauseTick(Actions& out, const kiv::Time& now);
    void endPause(Actions& out, const control::PauseRecord& ended);

    void eyeBreakTick(Actions& out, const Signals& s);
    void doShowEyeBreak(Actions& out, const kiv::Time& now);
    void closeEyeBreak(Actions& out);

    const settings::Values& m_settings;
    bool m_longDayWarned = false;     // the long-day reminder is given once per run
    bool m_exitAfterRest = false;     // an exit request came while a rest could not be cut short
    AwayDetector m_away;
    bool m_awayRested = false;        // the current away period already counted as a rest
    bool m_sessionEvents = false;     // registered for session notifications
    unsigned m_sessionRetryTicks = 0; // ticks since the registration last failed
    hold::HoldState m_hold;           // calls and presentations holding the due rest
    kiv::Time m_holdStart;            // when the current hold began
    bool m_coverWaiting = false;      // the rest is due and waits for a pause in typing or the front
    hold::CoverWait m_coverWaited;    // milliseconds it has waited for each
    hours::Tracker m_hours;           // inside or outside working hours, and when that changes
    kiv::Time m_lastRestEnd;          // when the last rest ended: time outside starts no earlier
    control::PauseState m_pause;      // the timed pause
    int64_t m_pauseEndedAt = INT64_MIN;  // when the last one ended
    bool m_eyeBreakShown = false;
    // Work counted since the last rest, away period or eye break, while eye breaks are on.
    uint32_t m_eyeBreakWorked = 0;
    kiv::Time m_eyeBreakStart;        // when the shown eye break began
};

}  // namespace schedule
