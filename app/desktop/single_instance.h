// One copy of the program per session. The first start holds a named mutex for its whole
// run; a later start finds the running copy's status window, asks it to come forward and
// ends before it reads or writes any file. Two copies would give two tray icons and two
// rests, and the second copy's Ctrl+Alt+U could not be registered.
#pragma once

#include <windows.h>

#include <string>

#include "framework/handles.h"

namespace instance {

// In the session's namespace: copies run by other users in other sessions do not count.
// The installer and the uninstaller look for it too: keep the name as it is.
extern const wchar_t kMutexName[];

// What creating the named mutex found.
enum class LockState {
    Created,  // this copy is the first
    Exists,   // another copy holds it
    Denied,   // the name is taken by an object this copy may not open
    Failed,   // no mutex at all for another reason
};

// The state from CreateMutexW's result (`created`: a handle came back) and its last error.
LockState lockStateOf(bool created, DWORD lastError);

// Holds the named mutex `name` while alive (the program: for the whole run).
class InstanceLock {
public:
    explicit InstanceLock(const wchar_t* name);
    // False when another holder of the name was there first (Exists or Denied).
    bool isFirst() const { return m_state == LockState::Created || m_state == LockState::Failed; }
    LockState state() const { return m_state; }

private:
    fw::KernelHandle m_mutex;
    LockState m_state = LockState::Created;
};

// What a start does with the lock's state and whether the running copy's status window is
// there.
enum class StartAction {
    Run,              // the one copy
    RunAndWarn,       // the name is someone else's: say so once, then run all the same
    ShowRunningCopy,  // a copy runs already: bring it forward and end
};

// A name held by another (whether this copy may open it or not) is a running copy's only
// when its status window is there, looked for up to kRunningCopyWaitMs (it may still be
// starting); otherwise another program holds the name, and ending silently would keep the
// program from ever running in this session.
StartAction startActionFor(LockState state, bool runningCopyFound);
constexpr DWORD kRunningCopyWaitMs = 5000;

// Tells the user, in a message box, that another program holds the one-copy name and that
// this copy runs anyway (a second start may then give a second copy).
void warnNameTaken();

// The name of the window message the installer and the uninstaller broadcast to ask every
// running copy to exit, whatever the language or the title of its windows.
extern const wchar_t kExitRequestName[];
// Its id in this session (RegisterWindowMessageW); 0 when it cannot be registered.
UINT exitRequestMessage();
// The integrity level of this process (SECURITY_MANDATORY_..._RID); medium when unknown.
DWORD processIntegrity();
// Whether a copy of this integrity opens the message filter for the exit request and
// WM_SHOW_STATUS: only above medium (started as administrator), where the user's own
// programs at normal rights (the per-user installer and uninstaller, a second start) could
// not reach it otherwise. At normal rights they reach it anyway, and the filter stays
// shut to sandboxed (low-integrity) programs, which must not end a rest.
bool opensMessageFilter(DWORD integrity);
// Lets the two messages through to `window` when opensMessageFilter(integrity) says so.
void acceptFromLowerRights(HWND window, UINT exitRequest, DWORD integrity);
// Whether an exit request is answered at once: during a rest under AllowEarlyUnlock=0 it
// waits for the rest's end (the end of the session and the Restart Manager come by
// WM_ENDSESSION and are never held).
bool answersExitRequestNow(bool resting, bool earlyUnlockAllowed);

// What the search for the running copy reads of a top-level window.
struct WindowFacts {
    std::wstring title;
    std::wstring className;
    DWORD processId = 0;
    bool hasStatusLabels = false;  // the value labels 1000 and 1002 are among its controls
};

// True for the status window of a copy running in a process other than `ownProcessId`.
// Its caption is that of template 102 in either language: the running copy may show the
// other set.
bool isRunningCopyStatus(const WindowFacts& window, DWORD ownProcessId);

// The running copy's status window, or null (the copy is still starting).
HWND findRunningCopy();
// The same, looked for again until it is there or `timeoutMs` have passed.
HWND waitForRunningCopy(DWORD timeoutMs);

// Asks the running copy to show its status window and lets it take the foreground. False
// when its window was not found.
bool showRunningCopy();

}  // namespace instance
