// The history window ("休息记录"): the last 14 days as bars, today's rests and the week's
// totals, read from the day files once, when it opens. One window at a time; it deletes
// itself when closed. Its hidden label IDC_HISTORY_TEXT holds today's list and the week
// line as text, for screen readers and for checks from outside. Its button "导出..." writes
// every recorded day as CSV to a file the user picks in the standard save dialog.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

#include "framework/dialog.h"
#include "history/history_model.h"
#include "resource.h"

class CHistoryDlg : public CDialog {
public:
    enum { IDD = IDD_HISTORY_DIALOG };

    // Opens the window over `owner`, or brings the open one forward. Its window; null when
    // it could not be made.
    static HWND Open(CDialog* owner, const kiv::String& profileDir, const kiv::Time& now);
    // The open window's object, or null.
    static CHistoryDlg* Current();

    BOOL OnInitDialog() override;
    void OnOK() override {}  // Enter does not close it
    void OnCancel() override { DestroyWindow(); }
    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnCommand(UINT id) override;
    void PostNcDestroy() override;

    // The export button: the save dialog, then the file and a message of what was written.
    void OnExport();

    // The save dialog (GetSaveFileNameW unless a test installed its own); the setter
    // returns the one it replaces, null restores the system's.
    using SaveDialogFunction = BOOL(WINAPI*)(OPENFILENAMEW* dialog);
    static SaveDialogFunction setSaveDialogFunction(SaveDialogFunction fn);

    history::Overview m_overview;
    kiv::String m_profileDir;

private:
    explicit CHistoryDlg(CDialog* owner) : CDialog(IDD, owner) {}
    void onPaint();
};
