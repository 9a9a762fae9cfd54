// Time away from the computer, as the scheduler counts it: a locked or disconnected session
// and a sleeping machine are never work time, and an away period as long as a rest is a
// rest taken. Input idleness counts only when the user asked for it (m_idleIsRest).
#include <windows.h>
#include <wtsapi32.h>

#include <algorithm>

#include "away/session_calls.h"
#include "dialogs/previous_notify_dlg.h"
#include "kivtool_app.h"
#include "kivtool_dlg.h"
#include "platform_calls.h"
#include "wall_clock.h"

namespace {

// Ticks between two registrations for session events while they fail.
const unsigned kSessionRetryTicks = 10;

}  // namespace

void CkivToolDlg::RegisterSessionEvents() {
    m_sessionEvents = away::registerSessionNotification(m_hWnd);
    m_sessionRetryTicks = 0;
}

void CkivToolDlg::UnregisterSessionEvents() {
    if (m_sessionEvents) away::unregisterSessionNotification(m_hWnd);
    m_sessionEvents = false;
}

// Early at sign-in the session service may not take the registration yet. Once it does,
// the session may have changed meanwhile without a word: its real state is read then.
void CkivToolDlg::retrySessionEvents(const kiv::Time& now) {
    if (m_sessionEvents || ++m_sessionRetryTicks < kSessionRetryTicks) return;
    RegisterSessionEvents();
    if (m_sessionEvents) onAwayReport(m_away.session(now.timeValue(), away::readSessionState()), now);
}

// An event says what changed; the session service says what is. Where it answers, it is
// trusted over the event, of which one may have been lost or come out of order.
AwayReport CkivToolDlg::sessionAsItIs(SessionState told, const kiv::Time& now) {
    const SessionState real = away::readSessionState();
    if (real.connection != SessionState::Connection::Unknown) told.connection = real.connection;
    if (real.lock != SessionState::Lock::Unknown) told.lock = real.lock;
    return m_away.session(now.timeValue(), told);
}

// True when the tick is time away in the work phase: then it is not work time. A rest
// counts on whether the user is there or not.
bool CkivToolDlg::onAwayTick(const kiv::Time& now) {
    retrySessionEvents(now);
    // Locked or disconnected for a while: the session may have come back unannounced.
    if (m_away.sessionCheckDue(now.timeValue()))
        onAwayReport(m_away.session(now.timeValue(), away::readSessionState()), now);
    const long long idle = theApp.m_idleIsRest ? platform::inputIdleSeconds() : -1;
    const AwayReport report = m_away.tick(now.timeValue(), idle, m_restLength.size());
    onAwayReport(report, now);
    return m_working && report.state == AwayReport::State::Away;
}

// An away period as long as a rest is taken as one rest, once, in the work phase.
void CkivToolDlg::onAwayReport(const AwayReport& report, const kiv::Time& now) {
    if (report.state == AwayReport::State::Present) {
        m_awayRested = false;
        return;
    }
    // Outside working hours nothing is work, so there is no rest to take.
    if (m_working && !m_awayRested && !isOutsideWorkingHours() && report.seconds >= m_restLength.size())
        takeAwayRest(now, report.seconds);
    if (report.state == AwayReport::State::Back) m_awayRested = false;
}

// As after a rest, without the rest window or a sound: the user was not there to see them.
// The history keeps it as a rest that began when the user went away.
void CkivToolDlg::takeAwayRest(const kiv::Time& now, uint32_t awaySeconds) {
    kiv::Time wentAway = now;
    wentAway -= kiv::TimeCount(awaySeconds);
    m_history.restStarted(wentAway, m_restLength.size());
    m_history.restEnded(awaySeconds, history::RestEnd::Away);
    ClosePreRestNotice();
    m_workElapsed = 0;
    m_workLength = theApp.m_workTime;
    resetHold();
    m_awayRested = true;
    UpdateStatusFields(now);
}

void CkivToolDlg::OnSessionChange(WPARAM code) {
    const kiv::Time now = wallclock::now();
    using Connection = SessionState::Connection;
    using Lock = SessionState::Lock;
    switch (code) {
    case WTS_SESSION_LOCK:
        m_away.sessionLocked(now.timeValue());
        m_history.saveWork();  // the user may not come back to this run
        break;
    case WTS_CONSOLE_DISCONNECT:
    case WTS_REMOTE_DISCONNECT:
        m_away.disconnected(now.timeValue());
        m_history.saveWork();
        break;
    case WTS_SESSION_UNLOCK:
        onAwayReport(sessionAsItIs({Connection::Unknown, Lock::Unlocked}, now), now);
        break;
    case WTS_CONSOLE_CONNECT:
    case WTS_REMOTE_CONNECT:
        onAwayReport(sessionAsItIs({Connection::Connected, Lock::Unknown}, now), now);
        break;
    default:
        break;
    }
}

// No ticks arrive while the machine sleeps: the clock on resume tells how long it slept.
void CkivToolDlg::OnPowerBroadcast(WPARAM event) {
    const kiv::Time now = wallclock::now();
    if (event == PBT_APMSUSPEND) {
        m_away.suspended(now.timeValue());
        m_history.saveWork();  // a battery may die asleep
        return;
    }
    if (event != PBT_APMRESUMEAUTOMATIC && event != PBT_APMRESUMESUSPEND) return;
    AwayReport report;
    const uint32_t asleep = m_away.resumed(now.timeValue(), report);
    if (!m_working && asleep != 0) {
        // The sleep counts towards the rest up to its length; the rest it completes is
        // this absence's one rest, and the time after it is only time away.
        const uint32_t left = m_restLength.size() - std::min(m_restElapsed.size(), m_restLength.size());
        if (asleep >= left) {
            m_restElapsed = m_restLength;
            EndRest();  // as a rest ends by time
            m_awayRested = true;
        } else {
            m_restElapsed += kiv::TimeCount(asleep);
        }
    }
    // Working hours that ended or began while it slept first, so the time away is not
    // counted twice.
    onWorkingHoursTick(now);
    onAwayReport(report, now);
    UpdateStatusFields(now);
}
