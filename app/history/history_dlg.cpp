#include "history/history_dlg.h"

#include <algorithm>
#include <string>
#include <vector>

#include "history/history_chart.h"
#include "framework/dpi.h"
#include "history/history_csv.h"
#include "framework/handles.h"
#include "framework/message_box.h"
#include "framework/resources.h"
#include "resource.h"

namespace {

CHistoryDlg* g_open = nullptr;
CHistoryDlg::SaveDialogFunction g_saveDialog = &::GetSaveFileNameW;

// The path the user chose, or empty when the dialog was cancelled.
std::wstring chooseExportPath(HWND owner) {
    std::wstring filter = fw::loadString(IDS_EXPORT_FILTER);
    for (wchar_t& unit : filter)
        if (unit == L'|') unit = L'\0';  // the dialog's list ends with two terminators
    wchar_t path[MAX_PATH * 4] = {};
    const std::wstring name = fw::loadString(IDS_EXPORT_FILE_NAME);
    name.copy(path, std::min<size_t>(name.size(), MAX_PATH));
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path / sizeof path[0];
    dialog.lpstrDefExt = L"csv";
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!g_saveDialog(&dialog)) return std::wstring();
    return path;
}

std::wstring withNumbers(UINT id, unsigned number, const std::wstring& path = std::wstring()) {
    kiv::String text;
    text.format(kiv::String(fw::loadString(id).c_str()).wstr(), number, kiv::String(path.c_str()).wstr());
    return text.c_wstr();
}

// Today's lines and the week line, one per line.
std::wstring listText(const history::Overview& overview) {
    std::wstring text;
    const std::vector<history::TodayLine> lines = history::todaysLines(overview);
    if (lines.empty()) text = fw::loadString(IDS_HISTORY_NONE_TODAY);
    for (const history::TodayLine& line : lines) {
        if (!text.empty()) text += L"\r\n";
        text += line.text.c_wstr();
    }
    return text + L"\r\n" + history::weekLine(overview.week).c_wstr();
}

}  // namespace

CHistoryDlg* CHistoryDlg::Current() { return g_open; }

HWND CHistoryDlg::Open(CDialog* owner, const kiv::String& profileDir, const kiv::Time& now) {
    if (g_open) {
        ::ShowWindow(g_open->m_hWnd, SW_RESTORE);
        ::SetForegroundWindow(g_open->m_hWnd);
        return g_open->m_hWnd;
    }
    auto* dlg = new CHistoryDlg(owner);
    dlg->m_overview = history::loadOverview(profileDir, now);
    dlg->m_profileDir = profileDir;
    // A window that could not be made never reached the dialog procedure: nothing else
    // deletes the object.
    if (!dlg->Create(IDD, owner)) {
        delete dlg;
        return nullptr;
    }
    g_open = dlg;
    dlg->ShowWindow(SW_SHOW);
    ::SetForegroundWindow(dlg->m_hWnd);
    return dlg->m_hWnd;
}

BOOL CHistoryDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_HISTORY_TEXT, listText(m_overview));
    return TRUE;
}

bool CHistoryDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_PAINT:
        onPaint();
        return true;
    case WM_ERASEBKGND:  // the paint fills the whole client area
        result = TRUE;
        return true;
    default:
        return CDialog::WindowProc(message, wParam, lParam, result);
    }
}

bool CHistoryDlg::OnCommand(UINT id) {
    if (id == IDC_HISTORY_EXPORT) {
        OnExport();
        return true;
    }
    return CDialog::OnCommand(id);
}

CHistoryDlg::SaveDialogFunction CHistoryDlg::setSaveDialogFunction(SaveDialogFunction fn) {
    const SaveDialogFunction previous = g_saveDialog;
    g_saveDialog = fn ? fn : &::GetSaveFileNameW;
    return previous;
}

void CHistoryDlg::OnExport() {
    const std::wstring path = chooseExportPath(m_hWnd);
    if (path.empty()) return;
    const history::ExportResult result = history::exportHistory(m_profileDir, path, history::currentCsvTexts());
    if (!result.written) {
        fw::showMessageBox(m_hWnd, fw::loadString(IDS_EXPORT_FAILED) + path, MB_OK | MB_ICONWARNING);
        return;
    }
    std::wstring message = withNumbers(IDS_EXPORT_DONE, result.days, path);
    if (result.unreadable != 0) message += withNumbers(IDS_EXPORT_SKIPPED, result.unreadable);
    fw::showMessageBox(m_hWnd, message, MB_OK | (result.unreadable != 0 ? MB_ICONWARNING : MB_ICONINFORMATION));
}

void CHistoryDlg::onPaint() {
    fw::PaintDC dc(m_hWnd);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    history::drawHistory(dc.get(), client, m_overview, fw::dpiForWindow(m_hWnd));
}

void CHistoryDlg::PostNcDestroy() {
    if (g_open == this) g_open = nullptr;
    delete this;
}
