#include "dialogs/monitor_cover.h"

#include "desktop/desktop_snapshot.h"
#include "dialogs/red_text.h"
#include "dialogs/screen_colours.h"
#include "framework/dpi.h"
#include "kivtool_app.h"

CMonitorCover::CMonitorCover(const RECT& monitor, std::wstring text)
    : CDialog(IDD), m_monitor(monitor), m_text(std::move(text)) {}

CMonitorCover::~CMonitorCover() = default;

BOOL CMonitorCover::OnInitDialog() {
    CDialog::OnInitDialog();
    // Not even a click activates it: the rest window and the question keep the keyboard.
    ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE,
                        ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, m_monitor.left, m_monitor.top, m_monitor.right - m_monitor.left,
                   m_monitor.bottom - m_monitor.top, SWP_NOACTIVATE);
    m_tracked.track(m_hWnd);
    m_snapshot = rest::takeScreenSnapshot(m_monitor);
    SetWindowText(m_text.c_str());  // for screen readers; no caption draws it
    onDpiChanged(fw::dpiForWindow(m_hWnd));
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::UpdateWindow(m_hWnd);  // painted at once, as the rest window is
    return FALSE;  // no focus for the cover itself
}

bool CMonitorCover::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_ERASEBKGND:
        result = onEraseBackground(reinterpret_cast<HDC>(wParam));
        return true;
    case WM_PAINT: {
        fw::PaintDC paint(m_hWnd);
        PaintText(paint.get());
        result = 0;
        return true;
    }
    case WM_MOUSEACTIVATE:
        result = MA_NOACTIVATE;
        return true;
    case WM_DPICHANGED:
        // The cover stays over its monitor; only the text follows the new scale.
        onDpiChanged(LOWORD(wParam));
        result = 0;
        return true;
    default:
        return CDialog::WindowProc(message, wParam, lParam, result);
    }
}

void CMonitorCover::onDpiChanged(UINT dpi) {
    m_dpi = dpi ? dpi : fw::kDefaultDpi;
    m_font = rest::createRedTextFont(m_dpi);
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CMonitorCover::SetText(const std::wstring& text) {
    m_text = text;
    SetWindowText(m_text.c_str());
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

bool CMonitorCover::onEraseBackground(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    // Where the client area lies in the monitor's picture: inside the border.
    POINT origin{0, 0};
    ::ClientToScreen(m_hWnd, &origin);
    origin.x -= m_monitor.left;
    origin.y -= m_monitor.top;
    if (!theApp.m_settings.homeMode && rest::drawSnapshot(dc, m_snapshot.get(), client, origin)) return true;
    rest::fillBackground(dc, client, rest::currentPalette());
    return true;
}

void CMonitorCover::PaintText(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const rest::TextPlace place = theApp.m_settings.homeMode ? rest::TextPlace::Centre : rest::TextPlace::BottomRight;
    rest::drawRedText(dc, m_font.get(), client, m_text, place, m_dpi);
}

namespace rest {

void MonitorCovers::layOver(const std::vector<RECT>& monitors, CDialog* owner, const std::wstring& text) {
    auto wanted = [&](const CMonitorCover& cover) {
        for (const RECT& monitor : monitors)
            if (::EqualRect(&cover.monitor(), &monitor)) return true;
        return false;
    };
    // The covers of monitors that are gone or changed go first, or a new cover's picture
    // would show an old cover.
    std::vector<std::unique_ptr<CMonitorCover>> kept;
    for (auto& cover : m_covers) {
        if (wanted(*cover))
            kept.push_back(std::move(cover));
        else
            cover->DestroyWindow();
    }
    m_covers.clear();
    for (const RECT& monitor : monitors) {
        auto same = kept.begin();
        while (same != kept.end() && !::EqualRect(&(*same)->monitor(), &monitor)) ++same;
        if (same != kept.end()) {
            m_covers.push_back(std::move(*same));
            kept.erase(same);
            continue;
        }
        auto cover = std::make_unique<CMonitorCover>(monitor, text);
        if (cover->Create(CMonitorCover::IDD, owner)) m_covers.push_back(std::move(cover));
    }
    for (auto& duplicate : kept) duplicate->DestroyWindow();  // two monitors with one rectangle
}

void MonitorCovers::setText(const std::wstring& text) {
    for (auto& cover : m_covers) cover->SetText(text);
}

void MonitorCovers::keepOnTop() {
    for (auto& cover : m_covers)
        ::SetWindowPos(cover->GetSafeHwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

void MonitorCovers::closeAll() {
    for (auto& cover : m_covers) cover->DestroyWindow();
    m_covers.clear();
}

}  // namespace rest
