// The main dialog: creation, the window procedure, painting and the menu commands.
#include "kivtool_dlg.h"

#include "control/pipe_server.h"
#include "desktop/single_instance.h"
#include "dialogs/about_dlg.h"
#include "history/history_dlg.h"
#include "history/history_store.h"
#include "hold/typing_pause.h"
#include "hours/time_zone.h"
#include "dialogs/notify_dlg.h"
#include "dialogs/previous_notify_dlg.h"
#include "dialogs/setting_dlg.h"
#include "framework/message_box.h"
#include "framework/resources.h"
#include "kivtool_app.h"
#include "messages.h"
#include "platform_calls.h"
#include "policy/policy_ui.h"
#include "settings_store.h"
#include "sound_holder.h"
#include "ui_language.h"
#include "wall_clock.h"

namespace {

// "No more breaks today" chosen in an earlier run today, or a pause still running, holds:
// the day files say when. A pause that ran out meanwhile is written down as ended.
schedule::Actions restoreToday(schedule::RestClock& clock, const kiv::String& profileDir, const kiv::Time& now) {
    if (profileDir.isEmpty()) return {};
    const kiv::Time yesterday = control::dayBefore(now);
    schedule::Actions ended = clock.restorePause(history::readDay(profileDir, yesterday).pauses, yesterday, now);
    const history::Day today = history::readDay(profileDir, now);
    ended.append(clock.restorePause(today.pauses, now, now));
    if (today.skips.empty()) return ended;
    const uint32_t at = today.skips.back();
    kiv::String text = now.format(kiv::String(u"%Y-%m-%d"));
    kiv::String time;
    time.format(u" %02u-%02u-%02u", at / 3600, at / 60 % 60, at % 60);
    text += time;
    const kiv::Time when(text, kiv::String(u"%Y-%m-%d %H-%M-%S"));
    if (when.timeValue() >= 0) clock.restoreSkipToday(when);
    return ended;
}

}  // namespace

CkivToolDlg::CkivToolDlg(CDialog* pParent)
    : CDialog(IDD, pParent),
      m_hIcon(fw::loadIcon(IDR_MAINFRAME)),
      m_history(theApp.m_profileDir),
      m_clock(theApp.m_settings, theApp.m_workingHours) {
    apply(restoreToday(m_clock, theApp.m_profileDir, wallclock::now()));
    if (g_longDayWarned) m_clock.longDayGiven();
    g_pSound.create();  // false: the program runs silently
}

CkivToolDlg::~CkivToolDlg() {
    // Normally the window is gone already (Exit), and the rest window and the notice went
    // with it as owned windows; only their objects remain. Destroying here, while this is
    // still a CkivToolDlg, lets every OnDestroy run (tray icon, taskbar, hot key, sound).
    DestroyWindow();
    closeRestWindow();
    ClosePreRestNotice();
    hold::watchKeys(false);
    closeEyeBreakWindow();
}

BOOL CkivToolDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    addAboutToSystemMenu();
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon.get()));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon.get()));
    SetTimer(0, 1000);  // the scheduler tick, for the whole run
    UpdateStatusFields();
    registerAppBar(ABM_NEW);
    RegisterSessionEvents();
    g_taskbarCreatedMsg = ::RegisterWindowMessageW(L"TaskbarCreated");
    g_exitRequestMsg = instance::exitRequestMessage();
    instance::acceptFromLowerRights(m_hWnd, g_exitRequestMsg, instance::processIntegrity());
    StartControlPipe();
    return TRUE;
}

// An empty string 101 leaves the system menu as it is.
void CkivToolDlg::addAboutToSystemMenu() {
    HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE);
    const std::wstring text = fw::loadString(IDS_ABOUTBOX);
    if (!systemMenu || text.empty()) return;
    ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, text.c_str());
}

// The app-bar registration only serves to hear when a full-screen program opens or closes.
void CkivToolDlg::registerAppBar(DWORD message) {
    APPBARDATA data{};
    data.cbSize = sizeof(data);
    data.hWnd = m_hWnd;
    data.uCallbackMessage = WM_APPBAR_NOTIFY;
    platform::appBarMessage(message, &data);
}

bool CkivToolDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_SYSCOMMAND:
        return OnSysCommand(static_cast<UINT>(wParam), lParam);
    case WM_PAINT:
        return OnPaint();
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<LRESULT>(m_hIcon.get());
        return true;
    case WM_TRAY_NOTIFY:
        OnTrayNotify(wParam, lParam);
        return true;
    case WM_APPBAR_NOTIFY:
        if (wParam == ABN_FULLSCREENAPP) m_fullScreenApp = (lParam == 1);
        return true;
    case WM_CLOSE:
        OnClose();
        return true;
    case WM_TIMER:
        OnTimer(wParam);
        return true;
    case WM_HOTKEY:  // the hot key belongs to the rest window
        return true;
    case WM_REST_UNLOCKED:
        EndRest(history::RestEnd::Unlock);
        return true;
    case WM_SHOW_STATUS:
        OnShowStatusRequest();
        return true;
    case WM_CONTROL:
        OnControl(wParam, lParam);
        return true;
    case WM_QUERYENDSESSION:  // never holds up the end of the session
        result = TRUE;
        return true;
    case WM_ENDSESSION:
        if (wParam) OnEndSession(lParam);
        return true;
    case WM_WTSSESSION_CHANGE:
        OnSessionChange(wParam);
        return true;
    case WM_POWERBROADCAST:
        OnPowerBroadcast(wParam);
        result = TRUE;
        return true;
    case WM_TIMECHANGE:
        OnTimeChange();
        return true;
    case WM_SETTINGCHANGE:
        if (policy::isPolicyChange(lParam)) OnPolicyChange();
        if (hours::isTimeZoneArea(lParam)) OnTimeChange();
        return CDialog::WindowProc(message, wParam, lParam, result);
    default:
        // The id is 0 until OnInitDialog registers it, and 0 is WM_NULL.
        if (g_taskbarCreatedMsg != 0 && message == g_taskbarCreatedMsg) OnTaskbarCreated();
        // The installer or the uninstaller: exit as the tray menu's Exit does.
        if (g_exitRequestMsg != 0 && message == g_exitRequestMsg) {
            const bool earlyUnlock = theApp.m_policies.allows(policy::Id::AllowEarlyUnlock);
            apply(m_clock.exitRequested(instance::answersExitRequestNow(!m_clock.m_working, earlyUnlock)));
            return true;
        }
        return CDialog::WindowProc(message, wParam, lParam, result);
    }
}

bool CkivToolDlg::OnCommand(UINT id) {
    if (!policy::allowsCommand(theApp.m_policies, id)) return true;  // greyed in the menu
    switch (id) {
    case IDOK:
        HideToTray();
        return true;
    case ID_MENU_EXIT:
        OnExit();
        return true;
    case ID_MENU_DELAY5:
        OnDelayFiveMinutes();
        return true;
    case ID_MENU_DELAY_PRESET:
        OnDelayPresetTime();
        return true;
    case ID_MENU_SETTINGS:
        OnSettings();
        return true;
    case ID_MENU_ABOUT:
        OnAbout();
        return true;
    case ID_MENU_HISTORY:
        CHistoryDlg::Open(this, theApp.m_profileDir, wallclock::now());
        return true;
    case ID_MENU_SKIP_TODAY:
        OnSkipToday();
        return true;
    case ID_MENU_PAUSE_30:
        PauseBreaks({false, 30});
        return true;
    case ID_MENU_PAUSE_60:
        PauseBreaks({false, 60});
        return true;
    case ID_MENU_PAUSE_120:
        PauseBreaks({false, 120});
        return true;
    case ID_MENU_PAUSE_TOMORROW:
        PauseBreaks({true, 0});
        return true;
    case ID_MENU_RESUME:
        ResumeBreaks();
        return true;
    default:
        return CDialog::OnCommand(id);  // IDCANCEL: a modeless dialog only hides
    }
}

bool CkivToolDlg::OnSysCommand(UINT nID, LPARAM /*lParam*/) {
    switch (nID & 0xFFF0) {
    case IDM_ABOUTBOX:
        OnAbout();
        return true;
    case SC_MINIMIZE:
        HideToTray();
        return true;
    default:
        return false;
    }
}

bool CkivToolDlg::OnPaint() {
    if (!::IsIconic(m_hWnd)) return false;
    fw::PaintDC dc(m_hWnd);
    ::SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc.get(), x, y, m_hIcon.get());
    return true;
}

// Closing the status window only hides it; the program ends only after the Exit command.
void CkivToolDlg::OnClose() {
    OnCancel();
    if (!g_exiting) return;
    RemoveTrayIcon();
    DestroyWindow();
}

INT_PTR CkivToolDlg::runModal(CDialog& dlg) {
    m_pOpenModal = &dlg;
    const INT_PTR result = dlg.DoModal();
    m_pOpenModal = nullptr;
    return result;
}

bool CkivToolDlg::BringModalForward() {
    if (!m_pOpenModal) return false;
    // Its window may not be there yet, in the moment DoModal creates it.
    if (m_pOpenModal->m_hWnd) ::SetForegroundWindow(m_pOpenModal->m_hWnd);
    return true;
}

void CkivToolDlg::OnSettings() {
    if (BringModalForward()) return;
    ClosePreRestNotice();
    CSettingDlg dlg(this);
    dlg.m_workMinutes = theApp.m_settings.workTime.size() / 60;
    dlg.m_restMinutes = theApp.m_settings.relaxTime.size() / 60;
    dlg.m_restAtFullScreen = theApp.m_settings.relaxAtFullScreen ? 1 : 0;
    dlg.m_place = theApp.m_settings.homeMode ? 0 : 1;
    dlg.m_idleIsRest = theApp.m_settings.idleIsRest ? 1 : 0;
    dlg.m_holdForCalls = theApp.m_settings.holdForCalls ? 1 : 0;
    dlg.m_workingHours = theApp.m_workingHours;
    dlg.m_eyeBreak = theApp.m_settings.eyeBreak ? 1 : 0;
    dlg.m_policies = theApp.m_policies;
    if (runModal(dlg) != IDOK) return;
    // The policies changed while the dialog was open: what it showed as managed is no
    // longer what the policies give, and taking it would write a policy's value as the user's.
    if (dlg.m_policies != theApp.m_policies) return;
    theApp.m_settings.workTime = dlg.m_workMinutes * 60;
    theApp.m_settings.relaxTime = dlg.m_restMinutes * 60;
    theApp.m_settings.relaxAtFullScreen = dlg.m_restAtFullScreen != 0;
    theApp.m_settings.homeMode = dlg.m_place == 0;
    theApp.m_settings.idleIsRest = dlg.m_idleIsRest != 0;
    theApp.m_settings.holdForCalls = dlg.m_holdForCalls != 0;
    if (dlg.m_workingHoursChanged) theApp.setWorkingHoursText(hours::valueOf(dlg.m_workingHours));
    theApp.m_settings.eyeBreak = dlg.m_eyeBreak != 0;
    // The new values hold for this run even when the file cannot be written.
    const bool saved = theApp.SaveSettings();
    ApplySettingLengths();
    if (dlg.m_workingHoursChanged) ApplyWorkingHours();
    if (!saved) reportSaveFailure();
}

void CkivToolDlg::OnPolicyChange() {
    const uint32_t work = theApp.m_settings.workTime.size();
    const uint32_t rest = theApp.m_settings.relaxTime.size();
    const kiv::String workingHours = theApp.m_settings.workingHours;
    // Windows says so after every Group Policy refresh, changed or not: only a change counts.
    if (!theApp.ReadPolicies()) return;
    language::apply(theApp.m_settings.language);
    // New lengths restart the period's length as a confirmed settings dialog does; others
    // leave the delays of this period alone.
    if (theApp.m_settings.workTime.size() != work || theApp.m_settings.relaxTime.size() != rest)
        ApplySettingLengths();
    if (theApp.m_settings.workingHours != workingHours) ApplyWorkingHours();
}

void CkivToolDlg::reportSaveFailure() {
    const kiv::String path = settings::settingsFilePath(theApp.m_profileDir);
    fw::showMessageBox(m_hWnd, fw::loadString(IDS_SAVE_FAILED) + path.c_wstr(),
                       MB_OK | MB_ICONWARNING);
}

void CkivToolDlg::OnAbout() {
    if (BringModalForward()) return;
    CAboutDlg dlg(this);
    runModal(dlg);
}

void CkivToolDlg::OnExit() {
    apply(m_clock.exit());
    g_exiting = true;
    ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
}

// After this the process may be ended at any moment: a rest ends now, without its end
// sound, and the scheduler stops so that no new one begins. Nothing is left half-written:
// the history is saved whole before it replaces the day file. Then the program ends: the
// Restart Manager (ENDSESSION_CLOSEAPP, an installer replacing our files) does not end the
// process itself, and a copy left without its timer and tray icon would keep the one-copy
// name, so that every later start only showed its frozen status window.
void CkivToolDlg::OnEndSession(LPARAM flags) {
    KillTimer(0);
    apply(m_clock.endSession(endOfSessionReason(flags)));
    closeRestWindow();  // the taskbars, the monitor, the hot key and the music come back with it
    if (g_pSound) g_pSound->Stop();
    RemoveTrayIcon();
    g_exiting = true;
    DestroyWindow();  // the end of the main window ends the message loop
}

history::RestEnd endOfSessionReason(LPARAM flags) {
    // Closed to be restarted: the computer goes on, so the rest ends as at an exit.
    return (flags & ENDSESSION_CLOSEAPP) ? history::RestEnd::Exit : history::RestEnd::Shutdown;
}

// The window may go without OnClose (a test, the system shutting down): the icon and the
// app-bar registration must not outlive it.
void CkivToolDlg::OnDestroy() {
    RemoveTrayIcon();
    registerAppBar(ABM_REMOVE);
    UnregisterSessionEvents();
    StopControlPipe();
}
