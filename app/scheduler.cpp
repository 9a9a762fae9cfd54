// The rest scheduler: one tick a second counts work or rest, warns before a rest, and
// opens and closes the rest window. Work and rest are the count of delivered ticks; the
// clock only measures time away (away/away_events.cpp).
#include <memory>
#include <utility>

#include "dialogs/notify_dlg.h"
#include "dialogs/previous_notify_dlg.h"
#include "framework/resources.h"
#include "hold/typing_pause.h"
#include "kivtool_app.h"
#include "kivtool_dlg.h"
#include "platform_calls.h"
#include "settings_store.h"
#include "sound_holder.h"
#include "wall_clock.h"

bool g_longDayWarned = false;

namespace {

const uint32_t kBalloonAt = 60;          // seconds of work left
// Seconds of work left when the notice opens: it counts exactly these down.
const uint32_t kNoticeAt = CPreviousNotifyDlg::kCountdownSeconds;
const uint32_t kPostponement = 1200;     // seconds added while a full-screen program is in front
const uint32_t kDelayFiveMinutes = 300;
const uint32_t kLongDay = 32400;         // nine hours since the first power-on
const DWORD kPostponeBeepHz = 1000;
const DWORD kRestEndBeepHz = 500;
const DWORD kBeepMs = 1000;

// A sound setting that is not a local file path plays the default sound instead.
void playOnce(const kiv::String& configured, const char16_t* defaultFile) {
    if (!g_pSound) return;
    const std::wstring file = settings::soundFileFor(configured, defaultFile);
    if (file.empty()) return;
    g_pSound->Open(file.c_str());
    g_pSound->Play(0);
}

// Takes the window out of its owner's pointer before destroying it, so nothing that runs
// while the window goes away can reach the object twice.
template <typename Dlg>
void destroyOwned(Dlg*& slot) {
    std::unique_ptr<Dlg> dlg(std::exchange(slot, nullptr));
    if (dlg) dlg->DestroyWindow();
}

}  // namespace

void CkivToolDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kCoverWaitTimer) {
        onCoverWaitTimer();
        return;
    }
    const kiv::Time now = wallclock::now();
    m_history.retryPending(now);
    const bool outside = onWorkingHoursTick(now);
    UpdateStatusFields(now);
    if (!theApp.m_homeMode) onLongDay(now);
    if (outside) return;
    if (onAwayTick(now)) return;
    if (m_working) m_history.workSecond(now);
    if (m_working) {
        onWorkTick();
        if (m_working) onEyeBreakTick();
    } else {
        onRestTick();
    }
}

// Once per run, not once per day. A visible status window gets a flash instead of a balloon.
void CkivToolDlg::onLongDay(const kiv::Time& now) {
    if (g_longDayWarned || (now - theApp.m_firstStartToday).size() <= kLongDay) return;
    if (IsWindowVisible())
        platform::flashWindow(m_hWnd, FALSE);
    else
        ShowBalloon(fw::loadString(IDS_BALLOON_LONG_DAY).c_str());
    g_longDayWarned = true;
}

// A full-screen program in front holds back the rest and its reminders, unless the user
// rests even then.
bool CkivToolDlg::fullScreenHoldsRest() const { return m_fullScreenApp && !theApp.m_relaxAtFullScreen; }

void CkivToolDlg::onWorkTick() {
    if (waitingForPause()) return;
    ++m_workElapsed;
    // The stated full-screen rule goes first; a held rest gives no reminder and no rest.
    if (!fullScreenHoldsRest() && onHoldTick()) return;
    if (m_workElapsed.size() >= m_workLength.size()) {
        if (fullScreenHoldsRest())
            postponeRest();
        else
            coverAtPause();
        return;
    }
    if (fullScreenHoldsRest()) return;
    // Equality on purpose: a period that starts below 60 or 15 s gives no reminder.
    const uint32_t remaining = RemainingWork().size();
    hold::watchKeys(remaining <= hold::kKeyWatchAt);
    if (remaining == kBalloonAt) ShowBalloon(fw::loadString(IDS_BALLOON_ONE_MINUTE).c_str());
    if (remaining == kNoticeAt) ShowPreRestNotice();
}

void CkivToolDlg::postponeRest() {
    hold::watchKeys(false);
    m_workLength += kPostponement;
    m_history.postponed(wallclock::now(), kPostponement);
    if (theApp.m_homeMode)
        playOnce(theApp.m_relaxNoticeMusic, settings::kRelaxNoticeSound);
    else
        platform::beep(kPostponeBeepHz, kBeepMs);
}

void CkivToolDlg::onRestTick() {
    ++m_restElapsed;
    if (m_restElapsed.size() < m_restLength.size()) return;
    EndRest();
    // A rest that ends while the user is away is that absence's one rest: what follows is
    // only time away, and the work period does not start once more when the user is back.
    if (m_away.away()) m_awayRested = true;
}

void CkivToolDlg::StartRest() {
    stopCoverWait();
    hold::watchKeys(false);
    ClosePreRestNotice();
    if (m_pEyeBreakDlg) EndEyeBreak(history::EyeBreakEnd::Closed);
    m_eyeBreakWorked = 0;
    if (!m_pNotifyDlg) {
        auto dlg = std::make_unique<CNotifyDlg>(this);
        // A rest window that could not be made is not kept: the rest is counted anyway.
        if (dlg->Create(IDD_NOTIFY_DIALOG, this)) {
            m_pNotifyDlg = dlg.release();
            m_pNotifyDlg->ShowWindow(SW_SHOW);
            m_pNotifyDlg->UpdateWindow();
        }
    }
    m_working = false;
    m_workElapsed = 0;
    m_restElapsed = 0;
    m_history.restStarted(wallclock::now(), m_restLength.size());
}

void CkivToolDlg::closeRestWindow() { destroyOwned(m_pNotifyDlg); }

void CkivToolDlg::EndRest(history::RestEnd how) {
    closeRestWindow();  // the rest window stops its music as it goes
    // After the window: the day file may take a while to write.
    m_history.restEnded(m_restElapsed.size(), how);
    if (theApp.m_homeMode)
        playOnce(theApp.m_relaxEndMusic, settings::kRelaxEndSound);
    else
        platform::beep(kRestEndBeepHz, kBeepMs);
    m_working = true;
    m_lastRestEnd = wallclock::now();
    m_restElapsed = 0;
    m_workElapsed = 0;
    m_eyeBreakWorked = 0;
    m_workLength = theApp.m_workTime;  // delays and postponements end with their period
    resetHold();
}

void CkivToolDlg::ShowPreRestNotice() {
    if (m_pPreviousNotifyDlg) return;
    auto dlg = std::make_unique<CPreviousNotifyDlg>(this);
    dlg->m_secondsLeft = kNoticeAt;
    if (!dlg->Create(IDD_PREVIOUS_NOTIFY_DIALOG, this)) return;
    m_pPreviousNotifyDlg = dlg.release();
    m_pPreviousNotifyDlg->ShowWindow(SW_SHOW);
    m_pPreviousNotifyDlg->UpdateWindow();
}

void CkivToolDlg::ClosePreRestNotice() { destroyOwned(m_pPreviousNotifyDlg); }

void CkivToolDlg::OnDelayFiveMinutes() {
    m_workLength += kDelayFiveMinutes;
    m_history.delayed(wallclock::now(), kDelayFiveMinutes);
    ClosePreRestNotice();
}

void CkivToolDlg::OnDelayPresetTime() {
    m_workLength += theApp.m_workTime;
    m_history.delayed(wallclock::now(), theApp.m_workTime.size());
    ClosePreRestNotice();
}

void CkivToolDlg::ApplySettingLengths() {
    m_workLength = theApp.m_workTime;
    m_restLength = theApp.m_relaxTime;
    // Ticks went on while the dialog was open, so a notice may have opened meanwhile; with
    // more work left than it counts, no rest would follow its countdown.
    if (RemainingWork().size() > kNoticeAt) ClosePreRestNotice();
}
