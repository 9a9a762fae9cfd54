#include "dialogs/notify_dlg.h"

#include "desktop/desktop_guard.h"
#include "dialogs/ask_dlg.h"
#include "desktop/desktop_snapshot.h"
#include "desktop/foreground.h"
#include "desktop/monitor_layout.h"
#include "dialogs/red_text.h"
#include "dialogs/screen_colours.h"
#include "desktop/shell_windows.h"
#include "framework/dpi.h"
#include "framework/resource_string.h"
#include "kivtool_app.h"
#include "kivtool_dlg.h"
#include "platform_calls.h"
#include "settings_store.h"
#include "sound_holder.h"

namespace {

// The monitor goes off at this tick of a home-mode rest.
constexpr UINT32 kMonitorOffTick = 6;

}  // namespace

CNotifyDlg::CNotifyDlg(CkivToolDlg* pOwner) : CDialog(IDD, pOwner), m_pOwner(pOwner) {}

CNotifyDlg::~CNotifyDlg() = default;

BOOL CNotifyDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // First: no key waits for what follows, and laying the window over the screen activates
    // it, while the window that had the keyboard until now is the one to give it back to.
    m_keyboard.take(m_hWnd);
    m_tracked.track(m_hWnd);  // a crash takes the cover away
    m_ticks = 0;
    m_monitorOff = false;
    coverPrimaryScreen();
    // Read out once as the window comes: the rest, then the time. The window has no
    // caption, so its text is never drawn.
    SetWindowText(fw::formatString(fw::loadString(IDS_REST_TITLE), {RemainingText()}).c_str());
    onDpiChanged(fw::dpiForWindow(m_hWnd));
    // The window is not visible yet, so the picture is the screen just before the rest.
    m_desktopSnapshot = rest::takeDesktopSnapshot();
    m_covers.layOver(rest::extraMonitorRects(rest::currentMonitors()), this, RemainingText());
    guard::showTaskbars(false);
    m_hotKey.registerFor(m_hWnd);  // without it the rest ends only by time
    SetTimer(0, 1000);
    // The screen covered and painted before the music: the sound device can take a while
    // to open, the first time above all.
    ShowWindow(SW_SHOW);
    UpdateWindow();
    rest::takeForeground(m_hWnd);  // again, now that it can be seen: nothing if it has it
    startRestMusic();
    return TRUE;
}

void CNotifyDlg::startRestMusic() {
    if (!theApp.m_settings.homeMode || !g_pSound) return;
    // A setting that is not a local file path plays the default music instead.
    const std::wstring file = settings::soundFileFor(theApp.m_settings.relaxMusic, settings::kRelaxSound);
    if (file.empty()) return;
    g_pSound->Open(file.c_str());
    g_pSound->Play(1);
}

void CNotifyDlg::coverPrimaryScreen() {
    RECT desktop{};
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, desktop.left, desktop.top, desktop.right - desktop.left,
                   desktop.bottom - desktop.top, 0);
}

void CNotifyDlg::coverEveryMonitor() {
    coverPrimaryScreen();
    m_covers.layOver(rest::extraMonitorRects(rest::currentMonitors()), this, RemainingText());
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CNotifyDlg::onDpiChanged(UINT dpi) {
    m_dpi = dpi ? dpi : fw::kDefaultDpi;
    m_font = rest::createRedTextFont(m_dpi);
}

void CNotifyDlg::OnDestroy() {
    m_tracked.untrack();
    m_covers.closeAll();
    if (HWND question = CAskDlg::Find()) ::DestroyWindow(question);
    CDialog::OnDestroy();
    guard::showTaskbars(true);
    m_hotKey.release();
    // Switched on again whatever the mode is now: the settings may have changed to office
    // mode during the rest, and the monitor must not stay dark.
    if (m_monitorOff) guard::switchMonitorOn();
    m_monitorOff = false;
    if (g_pSound) g_pSound->Stop();
    // Last: the hook holds the keys until the rest is all gone, and the window that had
    // the keyboard gets it back after everything else has moved.
    m_keyboard.release();
}

bool CNotifyDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_TIMER:
        OnTimer(wParam);
        return false;
    case WM_ERASEBKGND:
        result = onEraseBackground(reinterpret_cast<HDC>(wParam));
        return true;
    case WM_PAINT:
        onPaint();
        result = 0;
        return true;
    case WM_HOTKEY:
        OnHotKey();
        result = 0;
        return true;
    case WM_DISPLAYCHANGE:
        coverEveryMonitor();
        result = 0;
        return true;
    case WM_DPICHANGED:
        // The window stays over the primary monitor whatever rectangle Windows suggests.
        onDpiChanged(LOWORD(wParam));
        coverEveryMonitor();
        result = 0;
        return true;
    default:
        return CDialog::WindowProc(message, wParam, lParam, result);
    }
}

void CNotifyDlg::OnTimer(UINT_PTR) {
    rest::minimiseTaskManager();
    // Not SWP_NOACTIVATE: the question, or else the rest window, takes the keyboard too.
    HWND question = CAskDlg::Find();
    ::SetWindowPos(question ? question : m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    m_covers.keepOnTop();
    ++m_ticks;
    if (theApp.m_settings.homeMode && m_ticks >= kMonitorOffTick && !m_monitorOff && !question) {
        platform::broadcastMonitorPower(platform::kMonitorOff);
        m_monitorOff = true;
    }
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    // From now on the window reads as what it shows.
    const std::wstring text = RemainingText();
    SetWindowText(text.c_str());
    m_covers.setText(text);
}

void CNotifyDlg::OnHotKey() {
    if (!theApp.m_policies.allows(policy::Id::AllowEarlyUnlock)) return;
    CAskDlg::Open();  // does nothing while a question is open
}

std::wstring CNotifyDlg::RemainingText() const {
    if (!m_pOwner) return std::wstring();
    return rest::restTimeText(m_pOwner->m_clock.m_restLength, m_pOwner->m_clock.m_restElapsed);
}

bool CNotifyDlg::onEraseBackground(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    // The client area starts inside the window's border: the picture is taken from where
    // the client area lies on the screen, or the frozen desktop would sit a pixel off.
    POINT origin{0, 0};
    ::ClientToScreen(m_hWnd, &origin);
    // Without a picture (the bitmap could not be made) office mode falls back to black
    // rather than leaving whatever was on the screen.
    if (!theApp.m_settings.homeMode && rest::drawSnapshot(dc, m_desktopSnapshot.get(), client, origin)) return true;
    rest::fillBackground(dc, client, rest::currentPalette());
    return true;
}

void CNotifyDlg::onPaint() {
    fw::PaintDC paint(m_hWnd);
    PaintText(paint.get());
}

void CNotifyDlg::PaintText(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const rest::TextPlace place = theApp.m_settings.homeMode ? rest::TextPlace::Centre : rest::TextPlace::BottomRight;
    rest::drawRedText(dc, m_font.get(), client, RemainingText(), place, m_dpi);
}
