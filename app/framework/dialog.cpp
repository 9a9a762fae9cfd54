#include "framework/dialog.h"

#include "framework/modeless_registry.h"
#include "framework/resources.h"
#include "framework/winapp.h"
#include "framework/window_text.h"

namespace {

// Messages whose dialog-procedure result is the return value itself rather than
// DWLP_MSGRESULT (see DialogProc in the Win32 documentation).
bool returnsResultDirectly(UINT message) {
    switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return true;
    default:
        return false;
    }
}

// A command is a menu item or button click (code 0) or an accelerator (code 1 without a
// control); other control notifications stay with WindowProc.
bool isCommand(WPARAM wParam, LPARAM lParam) {
    const UINT code = HIWORD(wParam);
    return code == 0 || (code == 1 && lParam == 0);
}

}  // namespace

CDialog::CDialog(UINT nIDTemplate, CDialog* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
    if (m_hWnd) ::DestroyWindow(m_hWnd);
}

bool CDialog::Create(UINT nIDTemplate, CDialog* pParentWnd) {
    if (m_hWnd) return false;
    m_nIDTemplate = nIDTemplate;
    m_modal = false;
    const DLGTEMPLATE* dialogTemplate = fw::dialogTemplate(nIDTemplate);
    if (!dialogTemplate) return false;
    HWND hwnd = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), dialogTemplate, ownerFor(pParentWnd),
                                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd) return -1;
    const DLGTEMPLATE* dialogTemplate = fw::dialogTemplate(m_nIDTemplate);
    if (!dialogTemplate) return -1;
    m_modal = true;
    const INT_PTR result = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), dialogTemplate,
                                                     ownerFor(m_pParentWnd), &CDialog::DialogProc,
                                                     reinterpret_cast<LPARAM>(this));
    m_modal = false;
    return result;
}

void CDialog::EndDialog(INT_PTR result) {
    if (!m_hWnd) return;
    if (m_modal)
        ::EndDialog(m_hWnd, result);
    else
        ::ShowWindow(m_hWnd, SW_HIDE);
}

bool CDialog::DestroyWindow() {
    return m_hWnd && ::DestroyWindow(m_hWnd);
}

HWND CDialog::GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }

void CDialog::SetDlgItemText(int id, const wchar_t* text) { ::SetDlgItemTextW(m_hWnd, id, text); }

std::wstring CDialog::GetDlgItemText(int id) const { return fw::windowText(GetDlgItem(id)); }

void CDialog::SetDlgItemInt(int id, UINT value, bool isSigned) {
    ::SetDlgItemInt(m_hWnd, id, value, isSigned ? TRUE : FALSE);
}

void CDialog::SetWindowText(const wchar_t* text) { ::SetWindowTextW(m_hWnd, text); }

bool CDialog::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow) != FALSE; }

void CDialog::UpdateWindow() { ::UpdateWindow(m_hWnd); }

bool CDialog::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }

UINT_PTR CDialog::SetTimer(UINT_PTR nIDEvent, UINT nElapse) { return ::SetTimer(m_hWnd, nIDEvent, nElapse, nullptr); }

bool CDialog::KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent) != FALSE; }

bool CDialog::UpdateData(bool save) {
    // Without a window every field would read as empty and fail with a message box.
    if (!m_hWnd) return false;
    fw::DataExchange dx(m_hWnd, save);
    DoDataExchange(dx);
    return !dx.hasFailed();
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(true)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::OnCommand(UINT id) {
    switch (id) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    default:
        return false;
    }
}

bool CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_INITDIALOG:
        result = OnInitDialog();
        return true;
    case WM_COMMAND:
        return isCommand(wParam, lParam) && OnCommand(LOWORD(wParam));
    case WM_DESTROY:
        OnDestroy();
        return false;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        // A high-contrast theme may have come or gone: what we draw ourselves follows it at once.
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
        return false;
    case WM_DPICHANGED: {
        // Moved to another monitor's scale: take the size and place Windows suggests, then
        // let the dialog manager scale the fonts of the controls.
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        if (suggested)
            ::SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                           suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        ::InvalidateRect(m_hWnd, nullptr, TRUE);  // what we draw ourselves follows the new scale
        return false;
    }
    default:
        return false;
    }
}

void CDialog::OnHandlerException(UINT message) {
    wchar_t line[96];
    wsprintfW(line, L"kivTool: a handler of message 0x%04X threw; default processing ran\n", message);
    ::OutputDebugStringW(line);
}

HWND CDialog::ownerFor(CDialog* parent) const {
    if (parent && parent->m_hWnd) return parent->m_hWnd;
    CWinApp* app = CWinApp::instance();
    if (app && app->m_pMainWnd && app->m_pMainWnd != this) return app->m_pMainWnd->m_hWnd;
    return nullptr;
}

CDialog* CDialog::attach(HWND hwnd, UINT message, LPARAM lParam) {
    if (message != WM_INITDIALOG) return reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    auto* self = reinterpret_cast<CDialog*>(lParam);
    if (!self) return nullptr;
    ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->m_hWnd = hwnd;
    if (!self->m_modal) fw::registerModeless(hwnd);
    return self;
}

void CDialog::detach() {
    fw::unregisterModeless(m_hWnd);
    ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
    m_hWnd = nullptr;
    // The end of the main window is the end of the program's message loop.
    CWinApp* app = CWinApp::instance();
    if (app && app->m_pMainWnd == this) ::PostQuitMessage(0);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = attach(hwnd, message, lParam);
    if (!self) return FALSE;

    LRESULT result = 0;
    bool handled = false;
    try {
        handled = self->WindowProc(message, wParam, lParam, result);
    } catch (...) {
        handled = false;
        // The handler may have destroyed (and so deleted) its dialog before throwing.
        if (::IsWindow(hwnd) && ::GetWindowLongPtrW(hwnd, DWLP_USER) == reinterpret_cast<LONG_PTR>(self)) {
            try {
                self->OnHandlerException(message);
            } catch (...) {
            }
        }
    }

    if (message == WM_NCDESTROY) {
        self->detach();
        try {
            self->PostNcDestroy();
        } catch (...) {
        }
        return FALSE;
    }
    if (!handled) return FALSE;
    if (returnsResultDirectly(message)) return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}
