// The dialog base class: a window built from a dialog template of the program's
// resources, created modeless (Create) or run modally (DoModal).
//
// A dialog class names its template and overrides the handlers it needs:
//
//     class CAboutDlg : public CDialog {
//     public:
//         enum { IDD = IDD_ABOUTBOX };
//         CAboutDlg() : CDialog(IDD) {}
//     };
//
// Messages reach a dialog through one virtual, WindowProc, which each class writes as one
// `switch` over the messages it handles and ends by passing the rest to its base class.
// A handler returns true when it has handled the message (`result` is then its result)
// and false to let the dialog manager's default processing run. Commands (menu items,
// button clicks, accelerators) come to OnCommand(id). An exception escaping a handler is
// caught at the window procedure and reported to OnHandlerException; it never reaches
// Win32.
#pragma once

#include <windows.h>

#include <string>

#include "framework/data_exchange.h"

class CDialog {
public:
    // `pParentWnd` becomes the owner of a modal run; a modeless Create names its own.
    explicit CDialog(UINT nIDTemplate, CDialog* pParentWnd = nullptr);
    // The owner destroys the window first (DestroyWindow); if it is still there it is
    // destroyed here, without the derived class's handlers.
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Creates the window from template `nIDTemplate`, modeless. Without a parent the
    // application's main window becomes the owner (unless this is the main window).
    bool Create(UINT nIDTemplate, CDialog* pParentWnd = nullptr);
    // Runs the dialog modally; returns the EndDialog result, or -1 when it could not be
    // created.
    INT_PTR DoModal();
    // Modal: ends the run with `result`. Modeless: hides the window.
    void EndDialog(INT_PTR result);
    bool DestroyWindow();
    bool IsModal() const { return m_modal; }

    // Controls and window.
    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND GetDlgItem(int id) const;
    void SetDlgItemText(int id, const wchar_t* text);
    void SetDlgItemText(int id, const std::wstring& text) { SetDlgItemText(id, text.c_str()); }
    std::wstring GetDlgItemText(int id) const;
    void SetDlgItemInt(int id, UINT value, bool isSigned = false);
    void SetWindowText(const wchar_t* text);
    bool ShowWindow(int nCmdShow);
    void UpdateWindow();
    bool IsWindowVisible() const;
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse);
    bool KillTimer(UINT_PTR nIDEvent);

    // Runs DoDataExchange: save = true reads and validates the controls into the members,
    // false writes the members into the controls. False when validation failed or there
    // is no window.
    bool UpdateData(bool save = true);

    // Handlers, public so tests can drive them directly.
    // Writes the members into the controls (UpdateData(false)); TRUE lets the dialog
    // manager put the focus on the first tab stop.
    virtual BOOL OnInitDialog();
    // Validates and ends with IDOK; the dialog stays open when validation fails.
    virtual void OnOK();
    virtual void OnCancel();
    // IDOK and IDCANCEL go to OnOK and OnCancel. True when the command was handled.
    virtual bool OnCommand(UINT id);
    virtual void OnDestroy() {}
    // Called when the window is gone (WM_NCDESTROY); a self-owning dialog deletes itself
    // here. Nothing of the object may be used after it.
    virtual void PostNcDestroy() {}
    virtual void DoDataExchange(fw::DataExchange&) {}
    virtual bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // A handler of `message` threw; the message went on to the default processing.
    virtual void OnHandlerException(UINT message);

    HWND m_hWnd = nullptr;
    UINT m_nIDTemplate;
    CDialog* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static CDialog* attach(HWND hwnd, UINT message, LPARAM lParam);
    void detach();
    HWND ownerFor(CDialog* parent) const;

    bool m_modal = false;
};
