#include "schedule/rest_clock.h"

#include <algorithm>

#include "eyebreak/eye_break_timing.h"

namespace schedule {
namespace {

Action record(Do what, const kiv::Time& at, uint32_t a = 0, uint8_t note = 0) {
    return Action{what, note, false, a, 0, at.timeValue()};
}

Action noted(Do what, uint8_t note, uint32_t a = 0) { return Action{what, note, false, a, 0, 0}; }

uint8_t code(history::RestEnd how) { return static_cast<uint8_t>(how); }

Note holdNote(hold::Reason reason) {
    switch (reason) {
    case hold::Reason::Camera: return Note::HoldCamera;
    case hold::Reason::Presentation: return Note::HoldPresentation;
    default: return Note::HoldCall;
    }
}

}  // namespace

RestClock::RestClock(const settings::Values& settings, const hours::Schedule& schedule)
    : m_workLength(settings.workTime), m_restLength(settings.relaxTime), m_settings(settings) {
    m_hours.setSchedule(schedule);
}

// ---- the tick and the cycle of work and rest ----

Actions RestClock::tick(const Signals& s) {
    Actions out;
    tickBody(out, s);
    // The rest that held the exit request is over.
    if (m_exitAfterRest && m_working) {
        m_exitAfterRest = false;
        out.add(Do::Exit);
    }
    return out;
}

void RestClock::tickBody(Actions& out, const Signals& s) {
    out.add(record(Do::RetryWrites, s.now));
    const bool paused = pauseTick(out, s.now);
    const bool outside = workingHoursTick(out, s.now);
    status(out, s.now);
    if (!m_settings.homeMode) longDay(out, s);
    if (outside || paused) return;
    if (awayTick(out, s)) return;
    if (m_working) out.add(record(Do::WorkSecond, s.now));
    if (m_working) {
        workTick(out, s);
        if (m_working) eyeBreakTick(out, s);
    } else {
        restTick(out, s.now);
    }
}

void RestClock::status(Actions& out, const kiv::Time& now) const {
    // Outside working hours the count stands still and no rest is coming.
    Action a{Do::Status, static_cast<uint8_t>(isPaused() ? 1 : 0), m_working && isOutsideWorkingHours(),
             m_workElapsed.size(), remainingWork().size(), now.timeValue()};
    out.add(a);
}

// Once per run, not once per day.
void RestClock::longDay(Actions& out, const Signals& s) {
    if (m_longDayWarned || (s.now - s.dayStart).size() <= kLongDay) return;
    out.add(Do::LongDay);
    m_longDayWarned = true;
}

// A full-screen program in front holds back the rest and its reminders, unless the user
// rests even then.
bool RestClock::fullScreenHoldsRest(const Signals& s) const { return s.fullScreen && !m_settings.relaxAtFullScreen; }

void RestClock::workTick(Actions& out, const Signals& s) {
    if (waitingForPause(out)) return;
    ++m_workElapsed;
    // The stated full-screen rule goes first; a held rest gives no reminder and no rest.
    if (!fullScreenHoldsRest(s) && holdTick(out, s)) return;
    if (m_workElapsed.size() >= m_workLength.size()) {
        if (fullScreenHoldsRest(s))
            postpone(out, s.now);
        else
            coverAtPause(out, s);
        return;
    }
    if (fullScreenHoldsRest(s)) return;
    // Equality on purpose: a period that starts below 60 or 15 s gives no reminder.
    const uint32_t remaining = remainingWork().size();
    Action watch{Do::WatchKeys, 0, remaining <= hold::kKeyWatchAt, 0, 0, 0};
    out.add(watch);
    if (remaining == kBalloonAt) out.add(noted(Do::Balloon, static_cast<uint8_t>(Note::OneMinute)));
    if (remaining == kNoticeAt) out.add(Do::OpenNotice, kNoticeAt);
}

void RestClock::postpone(Actions& out, const kiv::Time& now) {
    out.add(Action{Do::WatchKeys, 0, false, 0, 0, 0});
    m_workLength += kPostponement;
    out.add(record(Do::Postponed, now, kPostponement));
    if (m_settings.homeMode)
        out.add(noted(Do::Play, static_cast<uint8_t>(Tune::Postponed)));
    else
        out.add(Do::Beep, kPostponeBeepHz, kBeepMs);
}

void RestClock::restTick(Actions& out, const kiv::Time& now) {
    ++m_restElapsed;
    if (m_restElapsed.size() < m_restLength.size()) return;
    doEndRest(out, history::RestEnd::Time, now);
    // A rest that ends while the user is away is that absence's one rest: what follows is
    // only time away, and the work period does not start once more when the user is back.
    if (m_away.away()) m_awayRested = true;
}

Actions RestClock::startRest(const kiv::Time& now) {
    Actions out;
    doStartRest(out, now);
    return out;
}

void RestClock::doStartRest(Actions& out, const kiv::Time& now) {
    // A rest asked for now is taken: the pause it comes in ends.
    control::PauseRecord ended;
    if (m_pause.resume(now, ended)) endPause(out, ended);
    stopCoverWait(out);
    out.add(Action{Do::WatchKeys, 0, false, 0, 0, 0});
    out.add(Do::CloseNotice);
    if (m_eyeBreakShown) closeEyeBreak(out);
    m_eyeBreakWorked = 0;
    out.add(Do::Cover);
    m_working = false;
    m_workElapsed = 0;
    m_restElapsed = 0;
    out.add(record(Do::RestStarted, now, m_restLength.size()));
}

Actions RestClock::endRest(history::RestEnd how, const kiv::Time& now) {
    Actions out;
    doEndRest(out, how, now);
    return out;
}

// Ends the rest (or restarts the work period) and records how the rest ended.
void RestClock::doEndRest(Actions& out, history::RestEnd how, const kiv::Time& now) {
    out.add(Do::Uncover);  // the rest window stops its music as it goes
    // After the window: the day file may take a while to write.
    out.add(noted(Do::RestEnded, code(how), m_restElapsed.size()));
    endOfSound(out);
    m_working = true;
    m_lastRestEnd = now;
    m_restElapsed = 0;
    m_workElapsed = 0;
    m_eyeBreakWorked = 0;
    m_workLength = m_settings.workTime;  // delays and postponements end with their period
    resetHold(out);
}

void RestClock::endOfSound(Actions& out) const {
    if (m_settings.homeMode)
        out.add(noted(Do::Play, static_cast<uint8_t>(Tune::RestEnd)));
    else
        out.add(Do::Beep, kRestEndBeepHz, kBeepMs);
}

Actions RestClock::delay(uint32_t seconds, const kiv::Time& now) {
    Actions out;
    if (isPaused()) return out;
    m_workLength += kiv::TimeCount(seconds);
    out.add(record(Do::Delayed, now, seconds));
    out.add(Do::CloseNotice);
    return out;
}

Actions RestClock::settingsApplied() {
    Actions out;
    m_workLength = m_settings.workTime;
    m_restLength = m_settings.relaxTime;
    // Ticks went on while the dialog was open, so a notice may have opened meanwhile; with
    // more work left than it counts, no rest would follow its countdown.
    if (remainingWork().size() > kNoticeAt) out.add(Do::CloseNotice);
    return out;
}

Actions RestClock::exit() {
    Actions out;
    out.add(Do::CloseNotice);
    if (m_eyeBreakShown) closeEyeBreak(out);
    resetHold(out);
    out.add(noted(Do::EndRun, code(history::RestEnd::Exit), m_restElapsed.size()));
    return out;
}

Actions RestClock::exitRequested(bool answerNow) {
    Actions out;
    if (answerNow)
        out.add(Do::Exit);
    else
        m_exitAfterRest = true;
    return out;
}

Actions RestClock::endSession(history::RestEnd how) {
    Actions out;
    resetHold(out);
    out.add(noted(Do::EndRun, code(how), m_restElapsed.size()));
    out.add(Do::CloseNotice);
    if (m_eyeBreakShown) closeEyeBreak(out);
    return out;
}

// ---- holds and the pause in typing ----

// The signals are read only in the last minute of work and while the rest is held, so the
// other ticks cost what they always did. True while the rest is held.
bool RestClock::holdTick(Actions& out, const Signals& s) {
    if (!m_hold.isHeld() && remainingWork().size() > hold::kAfterHold) return false;
    const hold::Reason reason =
        m_settings.holdForCalls ? hold::decide(s.asks->holdSignals(), true) : hold::Reason::None;
    switch (m_hold.tick(reason)) {
    case hold::HoldState::Step::Began:
        beginHold(out, s.now);
        break;
    case hold::HoldState::Step::Ended:
    case hold::HoldState::Step::TimedOut:
        endHold(out);
        return false;
    case hold::HoldState::Step::None:
        break;
    }
    if (!m_hold.isHeld()) return false;
    // Held past its time, the period grows with the work: the status window shows 0 left
    // and a delay command counts from now.
    if (m_workLength.size() < m_workElapsed.size()) m_workLength = m_workElapsed;
    return true;
}

void RestClock::beginHold(Actions& out, const kiv::Time& now) {
    m_holdStart = now;
    out.add(Do::CloseNotice);
    out.add(Action{Do::WatchKeys, 0, false, 0, 0, 0});
    out.add(noted(Do::Balloon, static_cast<uint8_t>(holdNote(m_hold.reason()))));
    out.add(Do::UpdateTip);
}

// The rest comes a minute later, with the one-minute balloon and the notice; a delay the
// user asked for during the hold is kept.
void RestClock::endHold(Actions& out) {
    out.add(record(Do::Held, m_holdStart, m_hold.seconds(), static_cast<uint8_t>(m_hold.reason())));
    const uint32_t due = m_workElapsed.size() + hold::kAfterHold;
    if (m_workLength.size() < due) m_workLength = due;
    out.add(Do::UpdateTip);
}

// A new work period or the end of the run: a hold still open is written down.
void RestClock::resetHold(Actions& out) {
    if (m_hold.isHeld())
        out.add(record(Do::Held, m_holdStart, m_hold.seconds(), static_cast<uint8_t>(m_hold.reason())));
    m_hold.reset();
}

// An administrator's window in front holds the cover back until it leaves (at most
// kLongestFrontWaitMs), a key pressed in the last moment until a pause in typing (at most
// kLongestCoverWaitMs); the rest then has its full length from the moment it covers.
void RestClock::coverAtPause(Actions& out, const Signals& s) {
    const hold::CoverStep step =
        hold::nextCoverStep(hold::frontHoldsCover(s.asks->front()), s.asks->millisSinceKey(), m_coverWaited);
    if (step.tellFront) out.add(noted(Do::Balloon, static_cast<uint8_t>(Note::ElevatedFront)));
    if (step.delayMs == 0) {
        doStartRest(out, s.now);
        return;
    }
    m_coverWaiting = true;
    out.add(Do::WaitForPause, step.delayMs);
}

// True while the due rest waits for the pause: the tick counts nothing then. A delay
// command given meanwhile ends the wait and the work goes on.
bool RestClock::waitingForPause(Actions& out) {
    if (!m_coverWaiting) return false;
    if (m_workElapsed.size() >= m_workLength.size()) return true;
    stopCoverWait(out);
    return false;
}

// Away meanwhile (the session locked), the rest waits for the return as it always did.
Actions RestClock::pauseWaitEnded(const Signals& s) {
    Actions out;
    if (!m_coverWaiting) return out;
    if (!m_working || m_workElapsed.size() < m_workLength.size() || m_away.away()) {
        stopCoverWait(out);
        return out;
    }
    coverAtPause(out, s);
    return out;
}

void RestClock::stopCoverWait(Actions& out) {
    if (m_coverWaiting) out.add(Do::StopWaiting);
    m_coverWaiting = false;
    m_coverWaited = hold::CoverWait();
}

// ---- working hours ----

bool RestClock::workingHoursTick(Actions& out, const kiv::Time& now) {
    const hours::HoursReport report = m_hours.look(now);
    if (report.left) out.add(Do::CloseNotice);
    if (report.entered) enterWorkingHours(out, now, report.outsideFrom);
    return m_working && !report.inside;
}

// Entering a range starts a fresh work period, as after a rest without a window or a sound;
// the history keeps it as a rest that ended "schedule". A rest still running is the rest:
// the fresh period follows it.
void RestClock::enterWorkingHours(Actions& out, const kiv::Time& now, const kiv::Time& outsideFrom) {
    if (!m_working) return;
    const kiv::Time from = outsideFrom.timeValue() < m_lastRestEnd.timeValue() ? m_lastRestEnd : outsideFrom;
    out.add(record(Do::RestStarted, from, m_restLength.size()));
    out.add(noted(Do::RestEnded, code(history::RestEnd::Schedule), (now - from).size()));
    out.add(Do::CloseNotice);
    m_workElapsed = 0;
    m_workLength = m_settings.workTime;
    // Time away until now is in this rest already; it must not be taken again on return.
    m_awayRested = true;
}

Actions RestClock::skipToday(const kiv::Time& now) {
    Actions out;
    m_hours.skipToday(now);
    out.add(record(Do::SkippedToday, now));
    workingHoursTick(out, now);
    status(out, now);
    return out;
}

Actions RestClock::setSchedule(const hours::Schedule& schedule, const kiv::Time& now) {
    Actions out;
    m_hours.setSchedule(schedule);
    workingHoursTick(out, now);
    status(out, now);
    return out;
}

Actions RestClock::timeChanged(const kiv::Time& now) {
    Actions out;
    m_hours.decideAgain();
    workingHoursTick(out, now);
    status(out, now);
    return out;
}

// ---- the timed pause ----

bool RestClock::pause(const control::Duration& length, const kiv::Time& now, Actions& out) {
    if (!m_working) return false;
    // What the work period had going ends with it: the typing wait, the reminders on the
    // screen, the eye break, a hold (written down).
    stopCoverWait(out);
    out.add(Action{Do::WatchKeys, 0, false, 0, 0, 0});
    out.add(Do::CloseNotice);
    if (m_eyeBreakShown) closeEyeBreak(out);
    resetHold(out);
    control::PauseRecord replaced;
    if (m_pause.start(now, length, replaced)) endPause(out, replaced);
    out.add(record(Do::PauseStarted, now, static_cast<uint32_t>((m_pause.until() - now).size())));
    out.add(Do::UpdateTip);
    status(out, now);
    return true;
}

Actions RestClock::resumeBreaks(const kiv::Time& now) {
    Actions out;
    control::PauseRecord ended;
    if (!m_pause.resume(now, ended)) return out;
    endPause(out, ended);
    out.add(Do::UpdateTip);
    status(out, now);
    return out;
}

Actions RestClock::restorePause(const std::vector<history::Pause>& pauses, const kiv::Time& day,
                                const kiv::Time& now) {
    Actions out;
    control::PauseRecord ranOut;
    if (m_pause.restoreFromDay(pauses, day, now, ranOut) == control::PauseState::Restored::RanOut)
        out.add(record(Do::PauseEnded, ranOut.ended, static_cast<uint32_t>((ranOut.ended - ranOut.at).size())));
    return out;
}

// True while paused: the tick counts nothing then.
bool RestClock::pauseTick(Actions& out, const kiv::Time& now) {
    if (!m_pause.isPaused()) return false;
    control::PauseRecord ended;
    if (!m_pause.look(now, ended)) return true;
    endPause(out, ended);
    out.add(Do::UpdateTip);
    return false;
}

// A pause is not a rest: the work period after it starts fresh, and nothing is rested.
void RestClock::endPause(Actions& out, const control::PauseRecord& ended) {
    out.add(record(Do::PauseEnded, ended.ended, static_cast<uint32_t>((ended.ended - ended.at).size())));
    m_workElapsed = 0;
    m_workLength = m_settings.workTime;
    m_eyeBreakWorked = 0;
    m_pauseEndedAt = ended.ended.timeValue();
}

// ---- time away: a locked or disconnected session and a sleeping machine are never work
// time, and an away period as long as a rest is a rest taken ----

void RestClock::sessionRegistered(bool registered) {
    m_sessionEvents = registered;
    m_sessionRetryTicks = 0;
}

// Early at sign-in the session service may not take the registration yet. Once it does,
// the session may have changed meanwhile without a word: its real state is read then.
void RestClock::retrySessionEvents(Actions& out, const Signals& s) {
    if (m_sessionEvents || ++m_sessionRetryTicks < kSessionRetryTicks) return;
    sessionRegistered(s.asks->registerSession());
    if (m_sessionEvents) awayReport(out, m_away.session(s.now.timeValue(), s.asks->sessionState()), s.now);
}

// An event says what changed; the session service says what is. Where it answers, it is
// trusted over the event, of which one may have been lost or come out of order.
AwayReport RestClock::sessionAsItIs(SessionState told, const Signals& s) {
    const SessionState real = s.asks->sessionState();
    if (real.connection != SessionState::Connection::Unknown) told.connection = real.connection;
    if (real.lock != SessionState::Lock::Unknown) told.lock = real.lock;
    return m_away.session(s.now.timeValue(), told);
}

// True when the tick is time away in the work phase: then it is not work time. A rest
// counts on whether the user is there or not.
bool RestClock::awayTick(Actions& out, const Signals& s) {
    retrySessionEvents(out, s);
    // Locked or disconnected for a while: the session may have come back unannounced.
    if (m_away.sessionCheckDue(s.now.timeValue()))
        awayReport(out, m_away.session(s.now.timeValue(), s.asks->sessionState()), s.now);
    const long long idle = m_settings.idleIsRest ? s.asks->inputIdleSeconds() : -1;
    const AwayReport report = m_away.tick(s.now.timeValue(), idle, m_restLength.size());
    awayReport(out, report, s.now);
    return m_working && report.state == AwayReport::State::Away;
}

// An away period as long as a rest is taken as one rest, once, in the work phase.
void RestClock::awayReport(Actions& out, const AwayReport& report, const kiv::Time& now) {
    if (report.state == AwayReport::State::Present) {
        m_awayRested = false;
        return;
    }
    m_eyeBreakWorked = 0;  // eyes away from the screen: the eye breaks count again from here
    // Outside working hours or paused nothing is work, so there is no rest to take; nor in
    // time away that began in a pause (the rest would be written down inside it).
    const bool begunPaused = now.timeValue() - int64_t(report.seconds) < m_pauseEndedAt;
    if (m_working && !m_awayRested && !isOutsideWorkingHours() && !isPaused() && !begunPaused &&
        report.seconds >= m_restLength.size())
        takeAwayRest(out, now, report.seconds);
    if (report.state == AwayReport::State::Back) m_awayRested = false;
}

// As after a rest, without the rest window or a sound: the user was not there to see them.
// The history keeps it as a rest that began when the user went away.
void RestClock::takeAwayRest(Actions& out, const kiv::Time& now, uint32_t awaySeconds) {
    kiv::Time wentAway = now;
    wentAway -= kiv::TimeCount(awaySeconds);
    out.add(record(Do::RestStarted, wentAway, m_restLength.size()));
    out.add(noted(Do::RestEnded, code(history::RestEnd::Away), awaySeconds));
    out.add(Do::CloseNotice);
    m_workElapsed = 0;
    m_workLength = m_settings.workTime;
    resetHold(out);
    m_awayRested = true;
    status(out, now);
}

Actions RestClock::sessionLocked(const kiv::Time& now) {
    Actions out;
    m_away.sessionLocked(now.timeValue());
    out.add(Do::SaveWork);  // the user may not come back to this run
    return out;
}

Actions RestClock::sessionDisconnected(const kiv::Time& now) {
    Actions out;
    m_away.disconnected(now.timeValue());
    out.add(Do::SaveWork);
    return out;
}

Actions RestClock::sessionUnlocked(const Signals& s) {
    Actions out;
    awayReport(out, sessionAsItIs({SessionState::Connection::Unknown, SessionState::Lock::Unlocked}, s), s.now);
    return out;
}

Actions RestClock::sessionConnected(const Signals& s) {
    Actions out;
    awayReport(out, sessionAsItIs({SessionState::Connection::Connected, SessionState::Lock::Unknown}, s), s.now);
    return out;
}

Actions RestClock::suspended(const kiv::Time& now) {
    Actions out;
    m_away.suspended(now.timeValue());
    out.add(Do::SaveWork);  // a battery may die asleep
    return out;
}

// No ticks arrive while the machine sleeps: the clock on resume tells how long it slept.
Actions RestClock::resumed(const Signals& s) {
    Actions out;
    AwayReport report;
    const uint32_t asleep = m_away.resumed(s.now.timeValue(), report);
    if (!m_working && asleep != 0) {
        // The sleep counts towards the rest up to its length; the rest it completes is
        // this absence's one rest, and the time after it is only time away.
        const uint32_t left = m_restLength.size() - std::min(m_restElapsed.size(), m_restLength.size());
        if (asleep >= left) {
            m_restElapsed = m_restLength;
            doEndRest(out, history::RestEnd::Time, s.now);  // as a rest ends by time
            m_awayRested = true;
        } else {
            m_restElapsed += kiv::TimeCount(asleep);
        }
    }
    // Working hours that ended or began while it slept first, so the time away is not
    // counted twice.
    workingHoursTick(out, s.now);
    awayReport(out, report, s.now);
    status(out, s.now);
    return out;
}

// ---- eye breaks: the work since the last rest, away period or eye break is counted while
// eye breaks are on, and eye_break_timing.h tells when the small window comes ----

void RestClock::eyeBreakTick(Actions& out, const Signals& s) {
    if (!m_settings.eyeBreak) return;
    ++m_eyeBreakWorked;
    if (m_eyeBreakShown) return;
    eyebreak::Moment moment;
    moment.workedSince = m_eyeBreakWorked;
    moment.restIn = remainingWork().size();
    moment.fullScreen = s.fullScreen;
    moment.away = m_away.away();
    moment.restHeld = m_hold.isHeld();
    moment.outsideWorkingHours = isOutsideWorkingHours();
    if (eyebreak::isDue(m_settings.eyeBreakEvery, moment)) doShowEyeBreak(out, s.now);
}

Actions RestClock::showEyeBreak(const kiv::Time& now) {
    Actions out;
    doShowEyeBreak(out, now);
    return out;
}

void RestClock::doShowEyeBreak(Actions& out, const kiv::Time& now) {
    m_eyeBreakWorked = 0;  // the next one counts from this one's start
    if (m_eyeBreakShown) return;
    m_eyeBreakShown = true;
    m_eyeBreakStart = now;
    out.add(Do::ShowEyeBreak, m_settings.eyeBreakSeconds);
}

void RestClock::closeEyeBreak(Actions& out) {
    out.add(noted(Do::EndEyeBreak, static_cast<uint8_t>(history::EyeBreakEnd::Closed)));
    m_eyeBreakShown = false;
}

}  // namespace schedule
