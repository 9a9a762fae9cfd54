// The tray icon, its tip and balloons, and the status window's labels.
#include "desktop/desktop_guard.h"
#include "framework/handles.h"
#include "framework/resources.h"
#include "kivtool_app.h"
#include "kivtool_dlg.h"
#include "messages.h"
#include "platform_calls.h"
#include "policy/policy_ui.h"

NOTIFYICONDATAW g_trayIconData{};
UINT g_taskbarCreatedMsg = 0;
UINT g_exitRequestMsg = 0;

namespace {

// Copies `text` into a fixed field of the tray record, cut to fit with its terminator.
// A cut never leaves half of a surrogate pair at the end.
void copyField(wchar_t* field, size_t size, const wchar_t* text) {
    size_t length = 0;
    while (length + 1 < size && text[length] != L'\0') {
        field[length] = text[length];
        ++length;
    }
    const bool cut = text[length] != L'\0';
    if (cut && length > 0 && IS_HIGH_SURROGATE(field[length - 1])) --length;
    field[length] = L'\0';
}

template <size_t N>
void copyField(wchar_t (&field)[N], const wchar_t* text) {
    copyField(field, N, text);
}

void setStatusLabel(HWND label, const kiv::TimeCount& duration) {
    ::SetWindowTextW(label, duration.durationText().c_wstr());
}

}  // namespace

void CkivToolDlg::UpdateStatusFields(const kiv::Time& now) {
    showStatus(now, m_clock.m_workElapsed.size(), RemainingWork().size(),
               m_clock.m_working && isOutsideWorkingHours(), m_clock.isPaused());
}

std::wstring CkivToolDlg::pausedText() const {
    kiv::String text;
    text.format(kiv::String(fw::loadString(IDS_STATUS_PAUSED).c_str()).wstr(),
                m_clock.pausedUntil().format(kiv::String(u"%H:%M")).wstr());
    return text.c_wstr();
}

void CkivToolDlg::showStatus(const kiv::Time& now, uint32_t worked, uint32_t remaining, bool outside, bool paused) {
    // The labels are looked up once: this runs on every tick, and under Wine each lookup
    // is a round trip to the server.
    if (!m_statusLabels[0]) {
        const int ids[] = {IDC_STATIC_POWERON, IDC_STATIC_WORKED, IDC_STATIC_REMAIN};
        for (size_t i = 0; i < 3; ++i) m_statusLabels[i] = GetDlgItem(ids[i]);
    }
    setStatusLabel(m_statusLabels[0], now - theApp.m_firstStartToday);
    setStatusLabel(m_statusLabels[1], worked);
    // Paused or outside working hours the count stands still and no rest is coming.
    if (paused)
        ::SetWindowTextW(m_statusLabels[2], pausedText().c_str());
    else if (outside)
        ::SetWindowTextW(m_statusLabels[2], fw::loadString(IDS_STATUS_OUTSIDE).c_str());
    else
        setStatusLabel(m_statusLabels[2], remaining);
}

void CkivToolDlg::AddTrayIcon(const wchar_t* tip) {
    g_trayIconData = NOTIFYICONDATAW{};
    g_trayIconData.cbSize = NOTIFYICONDATAW_V3_SIZE;
    g_trayIconData.hWnd = m_hWnd;
    g_trayIconData.uID = IDR_MAINFRAME;
    g_trayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    g_trayIconData.uCallbackMessage = WM_TRAY_NOTIFY;
    g_trayIconData.hIcon = m_hIcon.get();
    copyField(g_trayIconData.szTip, tip);
    platform::notifyIcon(NIM_ADD, &g_trayIconData);
}

void CkivToolDlg::RemoveTrayIcon() {
    if (!m_trayIconAdded) return;
    g_trayIconData.uFlags = 0;
    platform::notifyIcon(NIM_DELETE, &g_trayIconData);
    m_trayIconAdded = false;
}

void CkivToolDlg::ShowBalloon(const wchar_t* text) {
    g_trayIconData.uFlags = NIF_INFO;
    g_trayIconData.dwInfoFlags = 0x404;
    g_trayIconData.uTimeout = 10;
    copyField(g_trayIconData.szInfo, text);
    copyField(g_trayIconData.szInfoTitle, fw::loadString(IDS_BALLOON_TITLE).c_str());
    platform::notifyIcon(NIM_MODIFY, &g_trayIconData);
}

void CkivToolDlg::HideToTray() {
    ShowWindow(SW_HIDE);
    setTaskbarButton(false);
    if (m_trayIconAdded) return;
    AddTrayIcon(fw::loadString(IDS_TRAY_TIP).c_str());
    // Set even when the shell refused: the icon comes back with the next "TaskbarCreated".
    m_trayIconAdded = true;
}

void CkivToolDlg::OnTaskbarCreated() {
    AddTrayIcon(fw::loadString(IDS_TRAY_TIP).c_str());
    registerAppBar(ABM_REMOVE);
    registerAppBar(ABM_NEW);
    // Left at true, every rest would be postponed: the new shell has not said anything yet.
    m_fullScreenApp = false;
    if (m_pNotifyDlg) guard::showTaskbars(false);
}

// An application window has a taskbar button; a tool window has none.
void CkivToolDlg::setTaskbarButton(bool shown) {
    LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE);
    style = shown ? (style & ~WS_EX_TOOLWINDOW) | WS_EX_APPWINDOW : (style & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW;
    ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, style);
}

void CkivToolDlg::OnTrayNotify(WPARAM wParam, LPARAM lParam) {
    switch (static_cast<UINT>(lParam)) {
    case WM_MOUSEMOVE:
        updateTrayTip();
        break;
    case WM_LBUTTONDOWN:
        toggleStatusWindow();
        break;
    case WM_RBUTTONDOWN:
        if (wParam == IDR_MAINFRAME) showTrayMenu();
        break;
    default:
        break;
    }
}

// While a rest is held the tip says why; paused or outside working hours it says so.
void CkivToolDlg::updateTrayTip() {
    const kiv::String format(fw::loadString(IDS_TRAY_STATUS_TIP).c_str());
    kiv::String tip;
    if (m_clock.isPaused())
        tip = pausedText().c_str();
    else if (isRestHeld())
        tip = holdText().c_str();
    else if (m_clock.m_working && isOutsideWorkingHours())
        tip.format(kiv::String(fw::loadString(IDS_TRAY_OUTSIDE_TIP).c_str()).wstr(),
                   m_clock.m_workElapsed.durationText().wstr());
    else
        tip.format(format.wstr(), m_clock.m_workElapsed.durationText().wstr(), RemainingWork().durationText().wstr());
    g_trayIconData.uFlags = NIF_TIP;
    copyField(g_trayIconData.szTip, tip.c_wstr());
    platform::notifyIcon(NIM_MODIFY, &g_trayIconData);
}

void CkivToolDlg::toggleStatusWindow() {
    if (IsWindowVisible())
        HideToTray();
    else
        ShowStatusWindow();
}

void CkivToolDlg::ShowStatusWindow() {
    setTaskbarButton(true);
    ShowWindow(SW_SHOW);
}

void CkivToolDlg::OnShowStatusRequest() {
    ShowStatusWindow();
    if (!BringModalForward()) ::SetForegroundWindow(m_hWnd);
}

void CkivToolDlg::showTrayMenu() {
    fw::Menu menu = fw::loadMenu(IDR_TRAY_MENU);
    HMENU popup = menu ? ::GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup) return;
    // "继续" only while paused.
    if (!m_clock.isPaused()) ::DeleteMenu(popup, ID_MENU_RESUME, MF_BYCOMMAND);
    policy::greyForbiddenCommands(popup, theApp.m_policies);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    // The window must be in the foreground or the menu does not go away when the user
    // clicks elsewhere; the WM_NULL afterwards makes a second right-click work at once.
    ::SetForegroundWindow(m_hWnd);
    ::TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, m_hWnd, nullptr);
    ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}
