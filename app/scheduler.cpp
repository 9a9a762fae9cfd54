// The scheduler's shell: each handler reads the signals, asks the rest clock
// (schedule/rest_clock.h), which decides, and does what it answers: the rest window, the
// notice, the eye break, sounds, balloons, the tray tip and the history.
#include <windows.h>
#include <wtsapi32.h>

#include <memory>
#include <utility>

#include "away/session_calls.h"
#include "dialogs/notify_dlg.h"
#include "dialogs/previous_notify_dlg.h"
#include "eyebreak/eye_break_dlg.h"
#include "framework/resources.h"
#include "hold/typing_pause.h"
#include "hours/time_zone.h"
#include "kivtool_app.h"
#include "kivtool_dlg.h"
#include "platform_calls.h"
#include "settings_store.h"
#include "sound_holder.h"
#include "wall_clock.h"

bool g_longDayWarned = false;

namespace {

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

schedule::Signals CkivToolDlg::signals(const kiv::Time& now) {
    return schedule::Signals{now, m_fullScreenApp, theApp.m_firstStartToday, &m_asks};
}

void CkivToolDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kCoverWaitTimer) {
        KillTimer(kCoverWaitTimer);
        apply(m_clock.pauseWaitEnded(signals(wallclock::now())));
        return;
    }
    apply(m_clock.tick(signals(wallclock::now())));
}

void CkivToolDlg::StartRest() { apply(m_clock.startRest(wallclock::now())); }

void CkivToolDlg::EndRest(history::RestEnd how) { apply(m_clock.endRest(how, wallclock::now())); }

void CkivToolDlg::OnDelayFiveMinutes() { apply(m_clock.delayFiveMinutes(wallclock::now())); }

void CkivToolDlg::OnDelayPresetTime() { apply(m_clock.delayPresetTime(wallclock::now())); }

void CkivToolDlg::ApplySettingLengths() { apply(m_clock.settingsApplied()); }

void CkivToolDlg::OnSkipToday() { apply(m_clock.skipToday(wallclock::now())); }

void CkivToolDlg::ApplyWorkingHours() { apply(m_clock.setSchedule(theApp.m_workingHours, wallclock::now())); }

void CkivToolDlg::OnTimeChange() {
    hours::takeNewTimeZone();
    apply(m_clock.timeChanged(wallclock::now()));
}

bool CkivToolDlg::PauseBreaks(const control::Duration& length) {
    schedule::Actions out;
    const bool taken = m_clock.pause(length, wallclock::now(), out);
    apply(out);
    return taken;
}

void CkivToolDlg::ResumeBreaks() { apply(m_clock.resumeBreaks(wallclock::now())); }

void CkivToolDlg::ShowEyeBreak() { apply(m_clock.showEyeBreak(wallclock::now())); }

void CkivToolDlg::RegisterSessionEvents() {
    m_asks.setWindow(m_hWnd);
    m_clock.sessionRegistered(m_asks.registerSession());
}

void CkivToolDlg::UnregisterSessionEvents() {
    if (m_clock.hasSessionEvents()) away::unregisterSessionNotification(m_hWnd);
    m_clock.sessionRegistered(false);
}

void CkivToolDlg::OnSessionChange(WPARAM code) {
    const kiv::Time now = wallclock::now();
    switch (code) {
    case WTS_SESSION_LOCK:
        apply(m_clock.sessionLocked(now));
        break;
    case WTS_CONSOLE_DISCONNECT:
    case WTS_REMOTE_DISCONNECT:
        apply(m_clock.sessionDisconnected(now));
        break;
    case WTS_SESSION_UNLOCK:
        apply(m_clock.sessionUnlocked(signals(now)));
        break;
    case WTS_CONSOLE_CONNECT:
    case WTS_REMOTE_CONNECT:
        apply(m_clock.sessionConnected(signals(now)));
        break;
    default:
        break;
    }
}

void CkivToolDlg::OnPowerBroadcast(WPARAM event) {
    const kiv::Time now = wallclock::now();
    if (event == PBT_APMSUSPEND)
        apply(m_clock.suspended(now));
    else if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND)
        apply(m_clock.resumed(signals(now)));
}

void CkivToolDlg::apply(const schedule::Actions& actions) {
    for (const schedule::Action& action : actions) apply(action);
}

void CkivToolDlg::apply(const schedule::Action& action) {
    using schedule::Do;
    switch (action.what) {
    case Do::Status:
        showStatus(kiv::Time(action.at), action.a, action.b, action.flag, action.note != 0);
        break;
    case Do::Balloon:
        switch (static_cast<schedule::Note>(action.note)) {
        case schedule::Note::OneMinute: ShowBalloon(fw::loadString(IDS_BALLOON_ONE_MINUTE).c_str()); break;
        case schedule::Note::ElevatedFront: ShowBalloon(fw::loadString(IDS_BALLOON_ELEVATED_FRONT).c_str()); break;
        default: ShowBalloon(holdText().c_str()); break;
        }
        break;
    case Do::LongDay:
        g_longDayWarned = true;
        // A visible status window gets a flash instead of a balloon.
        if (IsWindowVisible())
            platform::flashWindow(m_hWnd, FALSE);
        else
            ShowBalloon(fw::loadString(IDS_BALLOON_LONG_DAY).c_str());
        break;
    case Do::OpenNotice:
        ShowPreRestNotice();
        break;
    case Do::CloseNotice:
        ClosePreRestNotice();
        break;
    case Do::Cover:
        if (!m_pNotifyDlg) {
            auto dlg = std::make_unique<CNotifyDlg>(this);
            // A rest window that could not be made is not kept: the rest is counted anyway.
            if (dlg->Create(IDD_NOTIFY_DIALOG, this)) {
                m_pNotifyDlg = dlg.release();
                m_pNotifyDlg->ShowWindow(SW_SHOW);
                m_pNotifyDlg->UpdateWindow();
            }
        }
        break;
    case Do::Uncover:
        closeRestWindow();  // the rest window stops its music as it goes
        break;
    case Do::Beep:
        platform::beep(action.a, action.b);
        break;
    case Do::Play:
        if (static_cast<schedule::Tune>(action.note) == schedule::Tune::Postponed)
            playOnce(theApp.m_settings.relaxNoticeMusic, settings::kRelaxNoticeSound);
        else
            playOnce(theApp.m_settings.relaxEndMusic, settings::kRelaxEndSound);
        break;
    case Do::WatchKeys:
        hold::watchKeys(action.flag);
        break;
    case Do::WaitForPause:
        SetTimer(kCoverWaitTimer, action.a);
        break;
    case Do::StopWaiting:
        KillTimer(kCoverWaitTimer);
        break;
    case Do::ShowEyeBreak: {
        auto dlg = std::make_unique<CEyeBreakDlg>(this, action.a);
        dlg->m_onFinish = [this, window = dlg.get()](history::EyeBreakEnd how) {
            if (m_pEyeBreakDlg == window)
                EndEyeBreak(how);  // records it, destroys the window and deletes the object
            else
                window->DestroyWindow();
        };
        if (dlg->Create(IDD_EYE_BREAK_DIALOG, this))
            m_pEyeBreakDlg = dlg.release();
        else
            m_clock.eyeBreakClosed();
        break;
    }
    case Do::EndEyeBreak:
        EndEyeBreak(static_cast<history::EyeBreakEnd>(action.note));
        break;
    case Do::UpdateTip:
        updateTrayTip();
        break;
    case Do::Exit:
        OnExit();
        break;
    default:
        applyHistory(action);
        break;
    }
}

void CkivToolDlg::applyHistory(const schedule::Action& action) {
    using schedule::Do;
    const kiv::Time at(action.at);
    switch (action.what) {
    case Do::RetryWrites: m_history.retryPending(at); break;
    case Do::WorkSecond: m_history.workSecond(at); break;
    case Do::SaveWork: m_history.saveWork(); break;
    case Do::RestStarted: m_history.restStarted(at, action.a); break;
    case Do::RestEnded: m_history.restEnded(action.a, static_cast<history::RestEnd>(action.note)); break;
    case Do::Delayed: m_history.delayed(at, action.a); break;
    case Do::Postponed: m_history.postponed(at, action.a); break;
    case Do::Held: m_history.held(at, action.a, static_cast<hold::Reason>(action.note)); break;
    case Do::SkippedToday: m_history.skippedToday(at); break;
    case Do::EndRun: m_history.endRun(action.a, static_cast<history::RestEnd>(action.note)); break;
    case Do::PauseStarted: m_history.pauseStarted(at, kiv::Time(action.at + action.a)); break;
    case Do::PauseEnded: m_history.pauseEnded(kiv::Time(action.at - action.a), at); break;
    default: break;
    }
}

void CkivToolDlg::closeRestWindow() { destroyOwned(m_pNotifyDlg); }

void CkivToolDlg::ShowPreRestNotice() {
    if (m_pPreviousNotifyDlg) return;
    auto dlg = std::make_unique<CPreviousNotifyDlg>(this);
    dlg->m_secondsLeft = schedule::kNoticeAt;
    if (!dlg->Create(IDD_PREVIOUS_NOTIFY_DIALOG, this)) return;
    m_pPreviousNotifyDlg = dlg.release();
    m_pPreviousNotifyDlg->ShowWindow(SW_SHOW);
    m_pPreviousNotifyDlg->UpdateWindow();
}

void CkivToolDlg::ClosePreRestNotice() { destroyOwned(m_pPreviousNotifyDlg); }

void CkivToolDlg::EndEyeBreak(history::EyeBreakEnd how) {
    if (!m_pEyeBreakDlg) return;
    m_history.eyeBreakEnded(m_clock.eyeBreakStart(), m_pEyeBreakDlg->m_seconds, m_pEyeBreakDlg->SecondsShown(), how);
    closeEyeBreakWindow();
}

void CkivToolDlg::closeEyeBreakWindow() {
    destroyOwned(m_pEyeBreakDlg);
    m_clock.eyeBreakClosed();
}

std::wstring CkivToolDlg::holdText() const {
    switch (m_clock.holdReason()) {
    case hold::Reason::Call: return fw::loadString(IDS_HOLD_CALL);
    case hold::Reason::Camera: return fw::loadString(IDS_HOLD_CAMERA);
    case hold::Reason::Presentation: return fw::loadString(IDS_HOLD_PRESENTATION);
    case hold::Reason::None: break;
    }
    return std::wstring();
}
