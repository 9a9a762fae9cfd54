// Keeps the desktop usable whatever becomes of a rest: the rest hides every taskbar and may
// switch the monitor off, and both must come back even when the process does not end the
// rest itself (killed, crashed, the session ending).
#pragma once

#include <windows.h>

namespace guard {

// Shows or hides every taskbar: the primary one ("Shell_TrayWnd") and the one on each
// further monitor ("Shell_SecondaryTrayWnd"). Asked of the shell, never waited for: the
// shell's thread may be slow to answer, and the rest must not wait for it. Shown without
// activation, so the window given the keyboard back after a rest keeps it.
void showTaskbars(bool show);
// The SC_MONITORPOWER "on" broadcast, then a wake-up of the display.
void switchMonitorOn();

// What a rest lays over the desktop, for a dying process to take away: the windows that
// cover the monitors and the keyboard hook. Kept in a few fixed slots, changed and read
// without a lock or an allocation.
void trackCover(HWND cover);
void untrackCover(HWND cover);
// The keyboard hook of the rest now (null: none).
void trackKeyboardHook(HHOOK hook);

// One tracked cover while alive (the rest window, each monitor cover).
class TrackedCover {
public:
    TrackedCover() = default;
    ~TrackedCover() { untrack(); }
    TrackedCover(const TrackedCover&) = delete;
    TrackedCover& operator=(const TrackedCover&) = delete;
    void track(HWND cover);
    void untrack();

private:
    HWND m_cover = nullptr;
};

// What a dying process gives back: the keyboard hook removed, the covers hidden, every
// taskbar shown, the monitor switched on. Only a few calls that neither allocate nor wait
// for another program, so it is safe from an exception filter: a hook left to a process
// that hangs in the system's crash handling would hold every key of the desktop up to the
// hook timeout, and its covers would hide the screen and the crash report.
void restoreDesktop();
// The filter for exceptions nothing handles: restores the desktop once, then lets the
// exception go on as it would have (an earlier filter, then the system's crash handling).
LONG WINAPI onUnhandledException(EXCEPTION_POINTERS* info);
// Installs onUnhandledException and a C++ terminate handler that does the same.
void installCrashHandlers();

}  // namespace guard
