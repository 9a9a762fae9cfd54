#include "dialogs/ask_dlg.h"

#include <cstdlib>

#include "dialogs/accessible_name.h"
#include "dialogs/ask_answer.h"
#include "framework/resource_string.h"
#include "framework/unsigned_text.h"
#include "messages.h"

CAskDlg::CAskDlg() : CDialog(IDD) {}

CAskDlg::~CAskDlg() = default;

bool CAskDlg::RegisterWindowClass() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (::GetClassInfoExW(instance, kClassName, &wc)) return true;
    // The system's dialog class (its cursor, styles and background), so the question looks
    // and behaves as it always has; only the name is the program's.
    if (!::GetClassInfoExW(nullptr, MAKEINTATOM(0x8002), &wc)) return false;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &::DefDlgProcW;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    return ::RegisterClassExW(&wc) != 0;
}

HWND CAskDlg::Find() { return ::FindWindowW(kClassName, nullptr); }

HWND CAskDlg::Open() {
    if (HWND open = Find()) return open;
    if (!RegisterWindowClass()) return nullptr;
    auto* dlg = new CAskDlg;
    // Create fails only when the window cannot be made at all; the dialog procedure has
    // then never seen the object, so nothing else will delete it.
    if (!dlg->Create(IDD)) {
        delete dlg;
        return nullptr;
    }
    dlg->ShowWindow(SW_SHOW);
    dlg->UpdateWindow();
    return dlg->GetSafeHwnd();
}

BOOL CAskDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    centreOnPrimaryScreen(HWND_TOPMOST, 0);

    ::srand(::GetTickCount());
    m_factor1 = std::rand() % 100;
    m_factor2 = std::rand() % 100;
    SetDlgItemInt(IDC_STATIC_FACTOR1, static_cast<UINT>(m_factor1));
    SetDlgItemInt(IDC_STATIC_FACTOR2, static_cast<UINT>(m_factor2));
    const std::wstring question =
        fw::formatString(fw::loadString(IDS_ASK_PROMPT), {fw::unsignedText(static_cast<UINT32>(m_factor1)),
                                                          fw::unsignedText(static_cast<UINT32>(m_factor2))});
    a11y::setAccessibleName(GetDlgItem(IDC_EDIT_ANSWER), question.c_str());
    SetWindowText(fw::loadString(IDS_ASK_TITLE).c_str());
    return TRUE;
}

void CAskDlg::centreOnPrimaryScreen(HWND after, UINT flags) {
    RECT desktop{};
    RECT client{};
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    ::GetClientRect(m_hWnd, &client);
    const int x = ((desktop.right - desktop.left) - (client.right - client.left)) / 2;
    const int y = ((desktop.bottom - desktop.top) - (client.bottom - client.top)) / 2;
    ::SetWindowPos(m_hWnd, after, x, y, 0, 0, SWP_NOSIZE | flags);
}

// An annotation left on a destroyed window is never freed.
void CAskDlg::OnDestroy() { a11y::clearAccessibleName(GetDlgItem(IDC_EDIT_ANSWER)); }

void CAskDlg::OnCancel() {
    CDialog::OnCancel();
    DestroyWindow();  // deletes this object
}

bool CAskDlg::OnCommand(UINT id) {
    if (id != IDOK) return CDialog::OnCommand(id);
    OnAnswer();
    return true;
}

void CAskDlg::OnAnswer() {
    const std::wstring answer = GetDlgItemText(IDC_EDIT_ANSWER);
    if (!rest::isRightAnswer(answer.c_str(), m_factor1, m_factor2)) {
        SetDlgItemText(IDC_EDIT_ANSWER, L"");
        return;
    }
    // The question stays open: the main dialog ends the rest, and the rest window takes
    // the question with it when it closes.
    if (HWND owner = ::GetParent(m_hWnd)) ::PostMessageW(owner, WM_REST_UNLOCKED, 0, 0);
}

bool CAskDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_CLOSE:  // Alt+F4
        result = 0;
        DestroyWindow();  // deletes this object
        return true;
    case WM_DPICHANGED:
        // The new size from the base class, then the middle of the primary screen again.
        CDialog::WindowProc(message, wParam, lParam, result);
        centreOnPrimaryScreen(nullptr, SWP_NOZORDER | SWP_NOACTIVATE);
        return false;
    default:
        return CDialog::WindowProc(message, wParam, lParam, result);
    }
}
