// The main dialog: the status window (template 102), hidden in the tray most of the time.
// It owns the tray icon and its menu, and its one-second timer is the rest scheduler.
//
// kivtool_dlg.cpp: creation, the window procedure, painting and the menu commands;
// tray.cpp: the tray icon, its tip and balloons, the status labels;
// scheduler.cpp: the tick and the moves between work and rest;
// away/away_events.cpp: the session, sleep and input-idle events that count as time away;
// hold/hold_events.cpp: calls and presentations that hold a rest, the cover at a pause in typing.
// eyebreak/eye_break_events.cpp: the eye breaks between rests.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "away/away_detector.h"
#include "framework/dialog.h"
#include "framework/handles.h"
#include "history/history_recorder.h"
#include "hold/cover_wait.h"
#include "hold/hold_rules.h"
#include "hours/hours_clock.h"
#include "kiv/time_kiv.h"
#include "resource.h"

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

    // Scheduler (scheduler.cpp). Handlers are public so tests can drive them.
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

    // A due rest is held by a call or a presentation (hold/hold_events.cpp).
    bool isRestHeld() const { return m_hold.isHeld(); }

    // Time away (away/away_events.cpp): WM_WTSSESSION_CHANGE and WM_POWERBROADCAST.
    void OnSessionChange(WPARAM code);
    void OnPowerBroadcast(WPARAM event);
    // Session notifications for this window, from creation to destruction; a registration
    // the session service refuses (early at sign-in) is tried again from the tick.
    void RegisterSessionEvents();
    void UnregisterSessionEvents();

    // Working hours (hours/hours_events.cpp).
    // Outside working hours now: no work is counted and no rest comes (a rest already
    // running runs to its end).
    bool isOutsideWorkingHours() const { return !m_hours.isInside(); }
    // "今天不再休息": today's working hours end now, until the first range of a later day.
    void OnSkipToday();
    // After new hours were saved: the next tick decides by them.
    void ApplyWorkingHours();
    // WM_TIMECHANGE, or WM_SETTINGCHANGE for the time zone: the new zone is taken and the
    // working hours decide again at once.
    void OnTimeChange();
    // Eye breaks (eyebreak/eye_break_events.cpp). The window of one; its end, recorded in
    // the history (the window closes itself through this at the end of its count).
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
    kiv::TimeCount RemainingWork() const;

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
    kiv::TimeCount m_workLength;      // the current work period, delays included
    kiv::TimeCount m_restLength;
    kiv::TimeCount m_workElapsed;
    kiv::TimeCount m_restElapsed;
    bool m_working = true;
    CNotifyDlg* m_pNotifyDlg = nullptr;                  // the rest window, owned
    CPreviousNotifyDlg* m_pPreviousNotifyDlg = nullptr;  // the pre-rest notice, owned
    bool m_fullScreenApp = false;     // the shell reports a full-screen program in front
    // The settings dialog or About box while it runs. The tray menu keeps working during
    // a modal run, so a second command must not open a second dialog.
    CDialog* m_pOpenModal = nullptr;
    AwayDetector m_away;
    bool m_awayRested = false;        // the current away period already counted as a rest
    bool m_sessionEvents = false;     // registered for session notifications
    unsigned m_sessionRetryTicks = 0; // ticks since the registration last failed
    history::Recorder m_history;      // the rest history in the day files
    hold::HoldState m_hold;           // calls and presentations holding the due rest
    kiv::Time m_holdStart;            // when the current hold began
    bool m_coverWaiting = false;      // the rest is due and waits for a pause in typing or the front
    hold::CoverWait m_coverWaited;    // milliseconds it has waited for each
    hours::Tracker m_hours;           // inside or outside working hours, and when that changes
    kiv::Time m_lastRestEnd;          // when the last rest ended: time outside starts no earlier
    CEyeBreakDlg* m_pEyeBreakDlg = nullptr;  // the eye break, owned; null when none is shown
    // Work counted since the last rest, away period or eye break, while eye breaks are on.
    uint32_t m_eyeBreakWorked = 0;
    bool m_exitAfterRest = false;     // an exit request came while a rest could not be cut short
    kiv::Time m_eyeBreakStart;        // when the shown eye break began
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
    void onLongDay(const kiv::Time& now);
    void onWorkTick();
    void onRestTick();
    void postponeRest();
    bool fullScreenHoldsRest() const;
    bool onAwayTick(const kiv::Time& now);
    void onAwayReport(const AwayReport& report, const kiv::Time& now);
    void takeAwayRest(const kiv::Time& now, uint32_t awaySeconds);
    void retrySessionEvents(const kiv::Time& now);
    AwayReport sessionAsItIs(SessionState told, const kiv::Time& now);
    bool onHoldTick();
    void beginHold();
    void endHold();
    // A new work period or the end of the run: a hold still open is written down.
    void resetHold();
    std::wstring holdText() const;
    void coverAtPause();
    bool waitingForPause();
    void onCoverWaitTimer();
    void stopCoverWait();
    // True when the tick is outside working hours in the work phase.
    bool onWorkingHoursTick(const kiv::Time& now);
    void enterWorkingHours(const kiv::Time& now, const kiv::Time& outsideFrom);
    void restoreSkipToday(const kiv::Time& now);
    void onEyeBreakTick();
    void closeEyeBreakWindow();

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
