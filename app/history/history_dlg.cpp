#include "history/history_dlg.h"

#include <string>
#include <vector>

#include "history/history_chart.h"
#include "framework/dpi.h"
#include "framework/handles.h"
#include "framework/resources.h"
#include "resource.h"

namespace {

CHistoryDlg* g_open = nullptr;

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
