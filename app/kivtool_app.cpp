// The application object: start-up and shutdown of the program.
#include "kivtool_app.h"

#include <commctrl.h>

#include "control/export_mode.h"
#include "desktop/desktop_guard.h"
#include "kivtool_dlg.h"
#include "desktop/single_instance.h"
#include "platform_calls.h"
#include "ui_language.h"

settings::Values CkivToolApp::m_settings;
settings::Values CkivToolApp::m_ownSettings;
policy::Policies CkivToolApp::m_policies;
CkivToolApp theApp;
bool g_exiting = false;

CkivToolApp::CkivToolApp() = default;

CkivToolApp::~CkivToolApp() = default;

BOOL CkivToolApp::InitInstance() {
    std::wstring exportFile;  // kivctl export: no window, no one-copy name
    if (control::exportRequested(::GetCommandLineW(), exportFile)) {
        m_exitCode = control::exportHistoryTo(exportFile);
        return FALSE;
    }
    if (!m_instanceLock) m_instanceLock = std::make_unique<instance::InstanceLock>(instance::kMutexName);
    const instance::LockState lock = m_instanceLock->state();
    // Someone holds the name: a copy of ours if its status window comes within a few seconds.
    const bool held = lock == instance::LockState::Exists || lock == instance::LockState::Denied;
    const instance::StartAction start = instance::startActionFor(
        lock, held && instance::waitForRunningCopy(instance::kRunningCopyWaitMs) != nullptr);
    if (start == instance::StartAction::ShowRunningCopy) {
        instance::showRunningCopy();
        return FALSE;
    }
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = 0xFF;
    ::InitCommonControlsEx(&controls);
    CWinApp::InitInstance();

    guard::installCrashHandlers();
    // A rest that was cut short (the process killed, the power gone) left them hidden.
    guard::showTaskbars(true);
    LoadSettings();
    language::apply(m_settings.language);
    m_pMainDlg = std::make_unique<CkivToolDlg>();
    m_pMainWnd = m_pMainDlg.get();
    // Without its window the program would sit in the loop with nothing to end it.
    if (!m_pMainDlg->Create(CkivToolDlg::IDD)) return FALSE;
    m_pMainDlg->ShowWindow(SW_SHOWNORMAL);
    m_pMainDlg->HideToTray();
    m_pMainDlg->UpdateWindow();
    platform::registerForRestart();  // a failure only means no restart after an update
    // In the user's language, once the program is in the tray (its tick runs on meanwhile).
    if (start == instance::StartAction::RunAndWarn) instance::warnNameTaken();
    return TRUE;
}

int CkivToolApp::ExitInstance() {
    m_pMainWnd = nullptr;
    m_pMainDlg.reset();
    return CWinApp::ExitInstance();
}
