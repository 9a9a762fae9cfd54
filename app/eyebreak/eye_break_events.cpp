// Eye breaks between rests, as the scheduler's tick sees them: the work since the last
// rest, away period or eye break is counted while eye breaks are on, and the decision
// (eye_break_timing.h) tells when the small window comes.
#include <memory>
#include <utility>

#include "eyebreak/eye_break_dlg.h"
#include "eyebreak/eye_break_timing.h"
#include "kivtool_app.h"
#include "kivtool_dlg.h"
#include "wall_clock.h"

void CkivToolDlg::onEyeBreakTick() {
    if (!theApp.m_eyeBreak) return;
    ++m_eyeBreakWorked;
    if (m_pEyeBreakDlg) return;
    eyebreak::Moment moment;
    moment.workedSince = m_eyeBreakWorked;
    moment.restIn = RemainingWork().size();
    moment.fullScreen = m_fullScreenApp;
    moment.away = m_away.away();
    // Neither a held rest nor working hours are known to the scheduler yet.
    moment.restHeld = isRestHeld();
    moment.outsideWorkingHours = isOutsideWorkingHours();
    if (eyebreak::isDue(theApp.m_eyeBreakEvery, moment)) ShowEyeBreak();
}

void CkivToolDlg::ShowEyeBreak() {
    m_eyeBreakWorked = 0;  // the next one counts from this one's start
    if (m_pEyeBreakDlg) return;
    auto dlg = std::make_unique<CEyeBreakDlg>(this, theApp.m_eyeBreakSeconds);
    if (!dlg->Create(IDD_EYE_BREAK_DIALOG, this)) return;
    m_pEyeBreakDlg = dlg.release();
    m_eyeBreakStart = wallclock::now();
}

void CkivToolDlg::EndEyeBreak(history::EyeBreakEnd how) {
    if (!m_pEyeBreakDlg) return;
    m_history.eyeBreakEnded(m_eyeBreakStart, m_pEyeBreakDlg->m_seconds, m_pEyeBreakDlg->SecondsShown(), how);
    closeEyeBreakWindow();
}

// Takes the window out of the pointer before destroying it, as the other owned windows are.
void CkivToolDlg::closeEyeBreakWindow() {
    std::unique_ptr<CEyeBreakDlg> dlg(std::exchange(m_pEyeBreakDlg, nullptr));
    if (dlg) dlg->DestroyWindow();
}
