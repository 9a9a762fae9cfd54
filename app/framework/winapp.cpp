#include "framework/winapp.h"

#include "framework/modeless_registry.h"

namespace {

CWinApp* g_currentApp = nullptr;

}  // namespace

// The program has one application object; tests construct their own while it lives,
// which is why the previous one is kept and restored.
CWinApp::CWinApp() : m_previous(g_currentApp) { g_currentApp = this; }

CWinApp::~CWinApp() {
    if (g_currentApp == this) g_currentApp = m_previous;
}

CWinApp* CWinApp::instance() { return g_currentApp; }

BOOL CWinApp::InitInstance() {
    if (!m_dialogMessageFilter) m_dialogMessageFilter = fw::installDialogMessageFilter();
    return TRUE;
}

int CWinApp::Run() {
    MSG msg{};
    for (;;) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) break;
        if (got == -1) {
            m_exitCode = -1;
            return m_exitCode;
        }
        fw::dispatchLoopMessage(msg);
    }
    m_exitCode = static_cast<int>(msg.wParam);
    return m_exitCode;
}
