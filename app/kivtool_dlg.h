// The main dialog: the status window (template 102), hidden in the tray most of the time.
// It owns the tray icon and its menu, and its one-second timer is the rest scheduler.
//
// kivtool_dlg.cpp: creation, the window procedure, painting and the menu commands;
// tray.cpp: the tray icon, its tip and balloons, the status labels;
// scheduler.cpp: the signals read for the rest clock (schedule/rest_clock.h), which decides,
// and its actions applied: the windows, sounds, balloons and history records.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/dialog.h"
#include "framework/handles.h"
#include "history/history_recorder.h"
#include "kiv/time_kiv.h"
#include "platform_asks.h"
#include "resource.h"
#include "schedule/rest_clock.h"

namespace control {
class PipeServer;
}
class CEyeBreakDlg;
class CNotifyDlg;
class CPreviousNotifyDlg;

class CkivToolDlg : public CDialog {
public:
    enum { IDD = IDD_KIVTOOL_DIALOG };

    // Takes the work and rest times from theApp (load the settings first), loads icon 128
    // and creates the sound component.
    explicit CkivToolDlg(CDialog* pParent = nullptr);
    // Destroys the window if it is still there, then the rest window and notice objects.
    ~CkivToolDlg() override;

    BOOL OnInitDialog() override;
    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnCommand(UINT id) override;
    // Takes the tray icon and the app-bar registration away with the window.
    void OnDestroy() override;

    // Scheduler (scheduler.cpp): each reads the signals, asks the clock and applies what it
    // answers. Handlers are public so tests can drive them.
    // Timer 0 is the tick; kCoverWaitTimer ends a wait for a pause in typing.
    void OnTimer(UINT_PTR nIDEvent);
    static constexpr UINT_PTR kCoverWaitTimer = 1;
    void StartRest();
    // Ends the rest (or restarts the work period) and records how the rest ended.
    void EndRest(history::RestEnd how = history::RestEnd::Time);
    void ShowPreRestNotice();
    void ClosePreRestNotice();
    void OnDelayFiveMinutes();
    void OnDelayPresetTime();
    // After a confirmed settings dialog: the new lengths apply, the phase and the elapsed
    // counters stay; a notice closes unless the rest is at most its countdown away.
    void ApplySettingLengths();
    // A due rest is held by a call or a presentation.
    bool isRestHeld() const { return m_clock.isRestHeld(); }
    // Time away: WM_WTSSESSION_CHANGE and WM_POWERBROADCAST.
    void OnSessionChange(WPARAM code);
    void OnPowerBroadcast(WPARAM event);
    // Session notifications for this window, from creation to destruction; a registration
    // the session service refuses (early at sign-in) is tried again from the tick.
    void RegisterSessionEvents();
    void UnregisterSessionEvents();
    // Outside working hours now: no work is counted and no rest comes.
    bool isOutsideWorkingHours() const { return m_clock.isOutsideWorkingHours(); }
    // "今天不再休息": today's working hours end now, until the first range of a later day.
    void OnSkipToday();
    // The timed pause ("暂停"): false during a rest, which a pause never ends.
    bool PauseBreaks(const control::Duration& length);
    void ResumeBreaks();
    // After new hours were saved: the next tick decides by them.
    void ApplyWorkingHours();
    // WM_TIMECHANGE, or WM_SETTINGCHANGE for the time zone: the new zone is taken and the
    // working hours decide again at once.
    void OnTimeChange();
    // Eye breaks: the window of one; its end, recorded in the history (the window closes
    // itself through this at the end of its count).
    void ShowEyeBreak();
    void EndEyeBreak(history::EyeBreakEnd how);

    // Control from scripts (control/control_events.cpp): the pipe served from creation to
    // destruction, and WM_CONTROL, its requests answered with the commands above.
    void StartControlPipe();
    void StopControlPipe();
    void OnControl(WPARAM kind, LPARAM lParam);

    // Tray and status window (tray.cpp).
    // The three value labels; `now` is the tick's time, so one tick reads the clock once.
    void UpdateStatusFields(const kiv::Time& now = kiv::Time::now());
    void ShowBalloon(const wchar_t* text);
    void HideToTray();
    void AddTrayIcon(const wchar_t* tip);
    void OnTrayNotify(WPARAM wParam, LPARAM lParam);
    // The shell restarted ("TaskbarCreated"): the icon and the app-bar registration are made
    // again (the old ones died with the old shell), the full-screen flag starts over, and
    // the new taskbars are hidden while a rest lasts.
    void OnTaskbarCreated();
    // Shows the status window with its taskbar button, as a click on the tray icon does.
    void ShowStatusWindow();
    // Another start of the program asked for the status window (WM_SHOW_STATUS): shown and
    // brought to the foreground, or the open settings dialog or About box in front of it.
    void OnShowStatusRequest();
    // Deletes the tray icon, if it was added.
    void RemoveTrayIcon();
    // The work time left, 0 once it is used up (the difference of two counts never wraps).
    kiv::TimeCount RemainingWork() const { return m_clock.remainingWork(); }

    // Commands and window (kivtool_dlg.cpp).
    void OnSettings();
    // WM_SETTINGCHANGE with "Policy": the policies are read again and the values in force
    // follow them.
    void OnPolicyChange();
    void OnExit();
    void OnAbout();
    void OnClose();
    // Brings the open settings dialog or About box forward; false when none is open.
    bool BringModalForward();
    // WM_ENDSESSION with the session really ending (or the Restart Manager closing the
    // program: `flags` holds ENDSESSION_CLOSEAPP): everything given back, then the window
    // destroyed, which ends the program.
    void OnEndSession(LPARAM flags);
    // False when the default processing is to run.
    bool OnSysCommand(UINT nID, LPARAM lParam);
    // False when the default painting is to run.
    bool OnPaint();

    fw::Icon m_hIcon;                 // icon 128: window, minimised window and tray
    bool m_trayIconAdded = false;
    CNotifyDlg* m_pNotifyDlg = nullptr;                  // the rest window, owned
    CPreviousNotifyDlg* m_pPreviousNotifyDlg = nullptr;  // the pre-rest notice, owned
    bool m_fullScreenApp = false;     // the shell reports a full-screen program in front
    // The settings dialog or About box while it runs. The tray menu keeps working during
    // a modal run, so a second command must not open a second dialog.
    CDialog* m_pOpenModal = nullptr;
    history::Recorder m_history;      // the rest history in the day files
    schedule::RestClock m_clock;      // the scheduler's decisions
    PlatformAsks m_asks;              // what the clock asks of the platform, when it asks
    CEyeBreakDlg* m_pEyeBreakDlg = nullptr;  // the eye break, owned; null when none is shown
    std::unique_ptr<control::PipeServer> m_controlPipe;  // null: not serving

private:
    void addAboutToSystemMenu();
    INT_PTR runModal(CDialog& dlg);
    void reportSaveFailure();
    void registerAppBar(DWORD message);
    void setTaskbarButton(bool shown);
    void updateTrayTip();
    void toggleStatusWindow();
    void showTrayMenu();
    void closeRestWindow();
    void closeEyeBreakWindow();
    std::wstring holdText() const;
    void showStatus(const kiv::Time& now, uint32_t worked, uint32_t remaining, bool outside, bool paused);
    // "已暂停，到 HH:MM".
    std::wstring pausedText() const;
    schedule::Signals signals(const kiv::Time& now);
    // Does what the clock answered, in its order.
    void apply(const schedule::Actions& actions);
    void apply(const schedule::Action& action);
    void applyHistory(const schedule::Action& action);

    HWND m_statusLabels[3] = {};  // power-on, worked, remaining: children of the dialog
};

// The one tray-icon record. The shell expects the version-3 layout (952 bytes on x86);
// newer SDK headers append hBalloonIcon, so cbSize says how much of it is meant.
extern NOTIFYICONDATAW g_trayIconData;
static_assert(NOTIFYICONDATAW_V3_SIZE == 952, "the tray record of an x86 build");
static_assert(offsetof(NOTIFYICONDATAW, guidItem) + sizeof(GUID) == NOTIFYICONDATAW_V3_SIZE,
              "the version-3 record ends with guidItem");
// The id the shell announces a new taskbar with ("TaskbarCreated"); 0 until the main
// dialog is initialised.
extern UINT g_taskbarCreatedMsg;
// The installer's request to exit (instance::kExitRequestName), registered with it.
extern UINT g_exitRequestMsg;
// How a rest in progress is recorded at the end of a session with these WM_ENDSESSION flags.
history::RestEnd endOfSessionReason(LPARAM flags);
// The long-day reminder of office mode is given once per run.
extern bool g_longDayWarned;
