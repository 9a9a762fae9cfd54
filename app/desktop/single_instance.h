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
extern const wchar_t kMutexName[];

// Holds the named mutex `name` while alive (the program: for the whole run).
class InstanceLock {
public:
    explicit InstanceLock(const wchar_t* name);
    // False when another holder of the name was there first.
    bool isFirst() const { return m_first; }

private:
    fw::KernelHandle m_mutex;
    bool m_first = true;
};

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

// Asks the running copy to show its status window and lets it take the foreground. False
// when its window was not found.
bool showRunningCopy();

}  // namespace instance
