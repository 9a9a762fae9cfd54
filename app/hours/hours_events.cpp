// Working hours in the scheduler: outside them no work is counted and no reminder or rest
// comes; entering a range starts a fresh work period, which the history keeps as a rest
// that ended "schedule". A rest that is running when a range ends runs to its end.
#include "history/history_store.h"
#include "hours/time_zone.h"
#include "kivtool_app.h"
#include "kivtool_dlg.h"
#include "wall_clock.h"

bool CkivToolDlg::onWorkingHoursTick(const kiv::Time& now) {
    const hours::HoursReport report = m_hours.look(now);
    if (report.left) ClosePreRestNotice();
    if (report.entered) enterWorkingHours(now, report.outsideFrom);
    return m_working && !report.inside;
}

// As after a rest, without a window or a sound. A rest still running is the rest: the
// fresh period follows it.
void CkivToolDlg::enterWorkingHours(const kiv::Time& now, const kiv::Time& outsideFrom) {
    if (!m_working) return;
    const kiv::Time from = outsideFrom.timeValue() < m_lastRestEnd.timeValue() ? m_lastRestEnd : outsideFrom;
    m_history.restStarted(from, m_restLength.size());
    m_history.restEnded((now - from).size(), history::RestEnd::Schedule);
    ClosePreRestNotice();
    m_workElapsed = 0;
    m_workLength = theApp.m_workTime;
    // Time away until now is in this rest already; it must not be taken again on return.
    m_awayRested = true;
}

void CkivToolDlg::OnSkipToday() {
    const kiv::Time now = wallclock::now();
    m_hours.skipToday(now);
    m_history.skippedToday(now);
    onWorkingHoursTick(now);
    UpdateStatusFields(now);
}

void CkivToolDlg::ApplyWorkingHours() {
    m_hours.setSchedule(theApp.m_workingHours);
    const kiv::Time now = wallclock::now();
    onWorkingHoursTick(now);
    UpdateStatusFields(now);
}

void CkivToolDlg::OnTimeChange() {
    hours::takeNewTimeZone();
    m_hours.decideAgain();
    const kiv::Time now = wallclock::now();
    onWorkingHoursTick(now);
    UpdateStatusFields(now);
}

// "No more breaks today" chosen in an earlier run today still holds: today's file says when.
void CkivToolDlg::restoreSkipToday(const kiv::Time& now) {
    if (theApp.m_profileDir.isEmpty()) return;
    const history::Day today = history::readDay(theApp.m_profileDir, now);
    if (today.skips.empty()) return;
    const uint32_t at = today.skips.back();
    kiv::String text = now.format(kiv::String(u"%Y-%m-%d"));
    kiv::String time;
    time.format(u" %02u-%02u-%02u", at / 3600, at / 60 % 60, at % 60);
    text += time;
    const kiv::Time when(text, kiv::String(u"%Y-%m-%d %H-%M-%S"));
    if (when.timeValue() >= 0) m_hours.skipToday(when);
}
