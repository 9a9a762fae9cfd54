// Time away from the computer, as the scheduler counts it: a locked or disconnected session
// and a sleeping machine are never work time, and an away period as long as a rest is a
// rest taken. Input idleness counts only when the user asked for it (m_idleIsRest).
#include <windows.h>
#include <wtsapi32.h>

#include "dialogs/previous_notify_dlg.h"
#include "kivtool_app.h"
#include "kivtool_dlg.h"
#include "platform_calls.h"
#include "wall_clock.h"

void CkivToolDlg::RegisterSessionEvents() {
    m_sessionEvents = ::WTSRegisterSessionNotification(m_hWnd, NOTIFY_FOR_THIS_SESSION) != FALSE;
}

void CkivToolDlg::UnregisterSessionEvents() {
    if (m_sessionEvents) ::WTSUnRegisterSessionNotification(m_hWnd);
    m_sessionEvents = false;
}

// True when the tick is time away in the work phase: then it is not work time. A rest
// counts on whether the user is there or not.
bool CkivToolDlg::onAwayTick(const kiv::Time& now) {
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
    m_eyeBreakWorked = 0;  // eyes away from the screen: the eye breaks count again from here
    if (m_working && !m_awayRested && report.seconds >= m_restLength.size()) takeAwayRest(now, report.seconds);
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
    m_awayRested = true;
    UpdateStatusFields(now);
}

void CkivToolDlg::OnSessionChange(WPARAM code) {
    const kiv::Time now = wallclock::now();
    switch (code) {
    case WTS_SESSION_LOCK:
        m_away.sessionLocked(now.timeValue());
        break;
    case WTS_REMOTE_DISCONNECT:
        m_away.remoteDisconnected(now.timeValue());
        break;
    case WTS_SESSION_UNLOCK:
        onAwayReport(m_away.sessionUnlocked(now.timeValue()), now);
        break;
    case WTS_REMOTE_CONNECT:
        onAwayReport(m_away.remoteConnected(now.timeValue()), now);
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
        return;
    }
    if (event != PBT_APMRESUMEAUTOMATIC && event != PBT_APMRESUMESUSPEND) return;
    AwayReport report;
    const uint32_t asleep = m_away.resumed(now.timeValue(), report);
    if (!m_working) {
        m_restElapsed += kiv::TimeCount(asleep);
        if (m_restElapsed.size() >= m_restLength.size()) EndRest();  // as a rest ends by time
    }
    onAwayReport(report, now);
    UpdateStatusFields(now);
}
