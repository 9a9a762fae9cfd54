#include "dialogs/previous_notify_dlg.h"

#include "dialogs/red_text.h"
#include "dialogs/screen_colours.h"
#include "framework/dpi.h"
#include "framework/unsigned_text.h"
#include "kivtool_app.h"
#include "kivtool_dlg.h"

CPreviousNotifyDlg::CPreviousNotifyDlg(CkivToolDlg* pParent) : CDialog(IDD, pParent) {}

CPreviousNotifyDlg::~CPreviousNotifyDlg() = default;

CkivToolDlg* CPreviousNotifyDlg::owner() const { return static_cast<CkivToolDlg*>(m_pParentWnd); }

BOOL CPreviousNotifyDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Never activated, not even by a click: whatever the user is typing into keeps the
    // keyboard during the countdown.
    ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) | WS_EX_NOACTIVATE);
    moveToCorner();
    m_font = rest::createRedTextFont(fw::dpiForWindow(m_hWnd));
    SetWindowText(CountText().c_str());  // for screen readers; no caption draws it
    SetTimer(0, 1000);
    // Shown here without activation; the dialog manager's own show (and a later SW_SHOW)
    // then finds the window visible already and leaves the activation alone. FALSE: with
    // no control to take the focus, the dialog manager would give it to the notice itself.
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    return FALSE;
}

void CPreviousNotifyDlg::moveToCorner() {
    RECT desktop{};
    RECT client{};
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    ::GetClientRect(m_hWnd, &client);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, client.left + desktop.right - client.right,
                   client.top + desktop.bottom - client.bottom, client.right - client.left,
                   client.bottom - client.top, SWP_NOACTIVATE);
}

bool CPreviousNotifyDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_TIMER:
        OnTimer(wParam);  // may delete this object
        return false;
    case WM_ERASEBKGND:
        result = TRUE;
        return onEraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_PAINT:
        onPaint();
        result = 0;
        return true;
    case WM_DPICHANGED:
        // The new size from the base class, the font for the new scale, the corner again.
        CDialog::WindowProc(message, wParam, lParam, result);
        m_font = rest::createRedTextFont(LOWORD(wParam));
        moveToCorner();
        result = 0;
        return true;
    default:
        return CDialog::WindowProc(message, wParam, lParam, result);
    }
}

void CPreviousNotifyDlg::OnTimer(UINT_PTR) {
    if (m_secondsLeft > 0) --m_secondsLeft;
    SetWindowText(CountText().c_str());
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    if (m_secondsLeft == 0) removeSelf();
}

void CPreviousNotifyDlg::removeSelf() {
    CkivToolDlg* scheduler = owner();
    if (scheduler && scheduler->m_pPreviousNotifyDlg == this)
        scheduler->ClosePreRestNotice();  // destroys the window and deletes this object
    else
        DestroyWindow();  // not the owner's notice: whoever holds the object deletes it
}

std::wstring CPreviousNotifyDlg::CountText() const {
    if (m_secondsLeft == 0) return std::wstring();
    return fw::unsignedText(m_secondsLeft);
}

bool CPreviousNotifyDlg::onEraseBackground(HDC dc) {
    const rest::Palette palette = rest::currentPalette();
    // Office mode: the dialog's own background, unless a high-contrast theme asks for its
    // window colour behind its window text.
    if (!theApp.m_settings.homeMode && !palette.highContrast) return false;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    rest::fillBackground(dc, client, palette);
    return true;
}

void CPreviousNotifyDlg::onPaint() {
    fw::PaintDC paint(m_hWnd);
    PaintText(paint.get());
}

void CPreviousNotifyDlg::PaintText(HDC dc) {
    const std::wstring text = CountText();
    if (text.empty()) return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    rest::drawRedText(dc, m_font.get(), client, text, rest::TextPlace::Centre, fw::dpiForWindow(m_hWnd));
}
