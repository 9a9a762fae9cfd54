#include "desktop/single_instance.h"

#include "framework/message_box.h"
#include "framework/resources.h"
#include "messages.h"
#include "platform_calls.h"
#include "resource.h"

namespace instance {

const wchar_t kMutexName[] = L"Local\\Kelbrook.Murvel.kivTool.running";

const wchar_t kExitRequestName[] = L"Kelbrook.Murvel.kivTool.exit";

LockState lockStateOf(bool created, DWORD lastError) {
    if (created) return lastError == ERROR_ALREADY_EXISTS ? LockState::Exists : LockState::Created;
    // Access denied: the name is taken by an object of other rights, a copy of ours or not.
    // Any other failure lets this copy run: one copy too many is better than none.
    return lastError == ERROR_ACCESS_DENIED ? LockState::Denied : LockState::Failed;
}

InstanceLock::InstanceLock(const wchar_t* name) {
    ::SetLastError(ERROR_SUCCESS);
    m_mutex.reset(::CreateMutexW(nullptr, FALSE, name));
    m_state = lockStateOf(static_cast<bool>(m_mutex), ::GetLastError());
}

StartAction startActionFor(LockState state, bool runningCopyFound) {
    switch (state) {
    case LockState::Exists:
    case LockState::Denied:
        return runningCopyFound ? StartAction::ShowRunningCopy : StartAction::RunAndWarn;
    case LockState::Created:
    case LockState::Failed:
        break;
    }
    return StartAction::Run;
}

void warnNameTaken() { fw::showMessageBox(nullptr, fw::loadString(IDS_ONE_COPY_NAME_TAKEN), MB_OK | MB_ICONWARNING); }

UINT exitRequestMessage() { return ::RegisterWindowMessageW(kExitRequestName); }

DWORD processIntegrity() {
    uint32_t level = 0;
    return platform::integrityLevel(::GetCurrentProcess(), level) ? level : SECURITY_MANDATORY_MEDIUM_RID;
}

bool opensMessageFilter(DWORD integrity) { return integrity > SECURITY_MANDATORY_MEDIUM_RID; }

void acceptFromLowerRights(HWND window, UINT exitRequest, DWORD integrity) {
    if (!opensMessageFilter(integrity)) return;
    platform::changeMessageFilter(window, WM_SHOW_STATUS, MSGFLT_ALLOW);
    if (exitRequest != 0) platform::changeMessageFilter(window, exitRequest, MSGFLT_ALLOW);
}

bool answersExitRequestNow(bool resting, bool earlyUnlockAllowed) { return !resting || earlyUnlockAllowed; }

bool isRunningCopyStatus(const WindowFacts& window, DWORD ownProcessId) {
    if (window.processId == ownProcessId || window.className != L"#32770" || !window.hasStatusLabels) return false;
    for (LANGID language : {fw::kChineseResources, fw::kEnglishResources})
        if (window.title == fw::dialogCaption(IDD_KIVTOOL_DIALOG, language)) return true;
    return false;
}

namespace {

std::wstring text(HWND window, int (WINAPI* read)(HWND, LPWSTR, int)) {
    wchar_t buffer[64] = L"";
    const int n = read(window, buffer, 64);
    return std::wstring(buffer, n > 0 ? n : 0);
}

WindowFacts factsOf(HWND window) {
    WindowFacts facts;
    facts.title = text(window, &::GetWindowTextW);
    facts.className = text(window, &::GetClassNameW);
    ::GetWindowThreadProcessId(window, &facts.processId);
    facts.hasStatusLabels = ::GetDlgItem(window, IDC_STATIC_POWERON) && ::GetDlgItem(window, IDC_STATIC_REMAIN);
    return facts;
}

BOOL CALLBACK findStatus(HWND window, LPARAM found) {
    if (!isRunningCopyStatus(factsOf(window), ::GetCurrentProcessId())) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

}  // namespace

HWND findRunningCopy() {
    HWND found = nullptr;
    ::EnumWindows(&findStatus, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND waitForRunningCopy(DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (HWND found = findRunningCopy()) return found;
        if (::GetTickCount() - start >= timeoutMs) return nullptr;
        ::Sleep(100);
    }
}

bool showRunningCopy() {
    HWND status = findRunningCopy();
    if (!status) return false;
    DWORD processId = 0;
    ::GetWindowThreadProcessId(status, &processId);
    // Only the process in the foreground (this one, just started by the user) may hand
    // the foreground on.
    ::AllowSetForegroundWindow(processId);
    return ::PostMessageW(status, WM_SHOW_STATUS, 0, 0) != FALSE;
}

}  // namespace instance
