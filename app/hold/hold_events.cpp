// The scheduler's side of what holds a rest. A call or a presentation holds a rest that
// falls due: no reminder, no notice, no cover and no sound while it lasts, work goes on
// being counted, and one balloon says why. When nothing holds it any more the rest comes
// a minute later with its stated reminders. And when the rest covers the screens, it does
// so at a pause in typing, and not while an administrator's window is in front.
#include "desktop/front_integrity.h"
#include "framework/resources.h"
#include "hold/hold_signals.h"
#include "hold/typing_pause.h"
#include "kivtool_app.h"
#include "kivtool_dlg.h"
#include "wall_clock.h"

std::wstring CkivToolDlg::holdText() const {
    switch (m_hold.reason()) {
    case hold::Reason::Call: return fw::loadString(IDS_HOLD_CALL);
    case hold::Reason::Camera: return fw::loadString(IDS_HOLD_CAMERA);
    case hold::Reason::Presentation: return fw::loadString(IDS_HOLD_PRESENTATION);
    case hold::Reason::None: break;
    }
    return std::wstring();
}

// The signals are read only in the last minute of work and while the rest is held, so the
// other ticks cost what they always did. True while the rest is held.
bool CkivToolDlg::onHoldTick() {
    if (!m_hold.isHeld() && RemainingWork().size() > hold::kAfterHold) return false;
    const hold::Reason reason =
        theApp.m_holdForCalls ? hold::decide(hold::readSignals(), true) : hold::Reason::None;
    switch (m_hold.tick(reason)) {
    case hold::HoldState::Step::Began:
        beginHold();
        break;
    case hold::HoldState::Step::Ended:
    case hold::HoldState::Step::TimedOut:
        endHold();
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

void CkivToolDlg::beginHold() {
    m_holdStart = wallclock::now();
    ClosePreRestNotice();
    hold::watchKeys(false);
    ShowBalloon(holdText().c_str());
    updateTrayTip();
}

// The rest comes a minute later, with the one-minute balloon and the notice; a delay the
// user asked for during the hold is kept.
void CkivToolDlg::endHold() {
    m_history.held(m_holdStart, m_hold.seconds(), m_hold.reason());
    const uint32_t due = m_workElapsed.size() + hold::kAfterHold;
    if (m_workLength.size() < due) m_workLength = due;
    updateTrayTip();
}

void CkivToolDlg::resetHold() {
    if (m_hold.isHeld()) m_history.held(m_holdStart, m_hold.seconds(), m_hold.reason());
    m_hold.reset();
}

// An administrator's window in front holds the cover back until it leaves (at most
// kLongestFrontWaitMs), a key pressed in the last moment until a pause in typing (at most
// kLongestCoverWaitMs); the rest then has its full length from the moment it covers.
void CkivToolDlg::coverAtPause() {
    const hold::CoverStep step =
        hold::nextCoverStep(hold::frontHoldsCover(rest::readFront()), hold::millisSinceKey(), m_coverWaited);
    if (step.tellFront) ShowBalloon(fw::loadString(IDS_BALLOON_ELEVATED_FRONT).c_str());
    if (step.delayMs == 0) {
        StartRest();
        return;
    }
    m_coverWaiting = true;
    SetTimer(kCoverWaitTimer, step.delayMs);
}

// True while the due rest waits for the pause: the tick counts nothing then. A delay
// command given meanwhile ends the wait and the work goes on.
bool CkivToolDlg::waitingForPause() {
    if (!m_coverWaiting) return false;
    if (m_workElapsed.size() >= m_workLength.size()) return true;
    stopCoverWait();
    return false;
}

// Away meanwhile (the session locked), the rest waits for the return as it always did.
void CkivToolDlg::onCoverWaitTimer() {
    KillTimer(kCoverWaitTimer);
    if (!m_coverWaiting) return;
    if (!m_working || m_workElapsed.size() < m_workLength.size() || m_away.away()) {
        stopCoverWait();
        return;
    }
    coverAtPause();
}

void CkivToolDlg::stopCoverWait() {
    if (m_coverWaiting) KillTimer(kCoverWaitTimer);
    m_coverWaiting = false;
    m_coverWaited = hold::CoverWait();
}
