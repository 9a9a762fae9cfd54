#include "eyebreak/eye_break_dlg.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "framework/resources.h"

namespace eyebreak {

RECT placeNearCentre(const RECT& area, SIZE size) {
    const LONG width = area.right - area.left, height = area.bottom - area.top;
    const LONG left = area.left + std::max<LONG>(0, (width - size.cx) / 2);
    const LONG top = area.top + std::max<LONG>(0, (height - size.cy) / 2);
    return RECT{left, top, left + size.cx, top + size.cy};
}

}  // namespace eyebreak

namespace {

const UINT_PTR kSkipSubclass = 1;

// The skip button clicks without taking the focus: a button's own click handling calls
// SetFocus, and SetFocus activates the window it is in, which would take the keyboard
// from the user's program. Pressed, held and released as a button is, then the click goes
// to the dialog as BN_CLICKED. BM_CLICK (screen readers' default action) lands here too.
LRESULT CALLBACK skipButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        ::SetCapture(button);
        ::SendMessageW(button, BM_SETSTATE, TRUE, 0);
        return 0;
    case WM_MOUSEMOVE:
        if (::GetCapture() == button) {
            RECT client{};
            ::GetClientRect(button, &client);
            const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ::SendMessageW(button, BM_SETSTATE, ::PtInRect(&client, at), 0);
        }
        return 0;
    case WM_LBUTTONUP: {
        if (::GetCapture() != button) return 0;
        ::ReleaseCapture();  // WM_CAPTURECHANGED lifts the button
        RECT client{};
        ::GetClientRect(button, &client);
        const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (::PtInRect(&client, at)) ::SendMessageW(button, BM_CLICK, 0, 0);
        return 0;
    }
    case WM_CAPTURECHANGED:
        ::SendMessageW(button, BM_SETSTATE, FALSE, 0);
        return 0;
    case BM_CLICK:
        // Posted: the dialog may destroy the button while it handles the click.
        ::PostMessageW(::GetParent(button), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                       reinterpret_cast<LPARAM>(button));
        return 0;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(button, &skipButtonProc, kSkipSubclass);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(button, message, wParam, lParam);
}

}  // namespace

CEyeBreakDlg::CEyeBreakDlg(CDialog* owner, UINT32 seconds)
    : CDialog(IDD, owner), m_seconds(seconds), m_secondsLeft(seconds) {}

CEyeBreakDlg::~CEyeBreakDlg() = default;

BOOL CEyeBreakDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ::SetWindowSubclass(GetDlgItem(IDC_EYE_BREAK_SKIP), &skipButtonProc, kSkipSubclass, 0);
    showCount();
    placeOnMouseMonitor();
    SetTimer(0, 1000);
    // FALSE: no control gets the focus, which would activate the window.
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    return FALSE;
}

void CEyeBreakDlg::placeOnMouseMonitor() {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(::MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY), &info)) return;
    m_monitorArea = info.rcWork;
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    // The move may bring the window onto a monitor of another scale: WM_DPICHANGED then
    // resizes it and centres it again.
    const RECT place = eyebreak::placeNearCentre(m_monitorArea, SIZE{window.right - window.left, window.bottom - window.top});
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

bool CEyeBreakDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_TIMER:
        OnTimer(wParam);  // may delete this object
        return true;
    case WM_MOUSEACTIVATE:  // a click anywhere on it leaves the user's window active
        result = MA_NOACTIVATE;
        return true;
    case WM_DPICHANGED: {
        CDialog::WindowProc(message, wParam, lParam, result);
        RECT window{};
        ::GetWindowRect(m_hWnd, &window);
        const RECT place =
            eyebreak::placeNearCentre(m_monitorArea, SIZE{window.right - window.left, window.bottom - window.top});
        ::SetWindowPos(m_hWnd, nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        result = 0;
        return true;
    }
    default:
        return CDialog::WindowProc(message, wParam, lParam, result);
    }
}

bool CEyeBreakDlg::OnCommand(UINT id) {
    if (id == IDC_EYE_BREAK_SKIP) {
        finish(history::EyeBreakEnd::Skip);
        return true;
    }
    return CDialog::OnCommand(id);
}

void CEyeBreakDlg::OnTimer(UINT_PTR) {
    if (m_secondsLeft > 0) --m_secondsLeft;
    if (m_secondsLeft == 0) {
        finish(history::EyeBreakEnd::Time);
        return;
    }
    showCount();
    // Another top-most window may have come in front meanwhile.
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

std::wstring CEyeBreakDlg::CountText() const {
    kiv::String text;
    text.format(kiv::String(fw::loadString(IDS_EYE_BREAK_COUNT).c_str()).wstr(), m_secondsLeft);
    return text.c_wstr();
}

// The count in its label, and the line with the count as the window's text: what a screen
// reader says of the window.
void CEyeBreakDlg::showCount() {
    const std::wstring count = CountText();
    SetDlgItemText(IDC_EYE_BREAK_COUNT, count);
    SetWindowText((GetDlgItemText(IDC_EYE_BREAK_TEXT) + L" " + count).c_str());
}

void CEyeBreakDlg::finish(history::EyeBreakEnd how) {
    if (m_onFinish)
        m_onFinish(how);  // records it, destroys the window and deletes this object
    else
        DestroyWindow();
}
