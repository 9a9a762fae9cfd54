// Keeps the desktop usable whatever becomes of a rest: the rest hides every taskbar and may
// switch the monitor off, and both must come back even when the process does not end the
// rest itself (killed, crashed, the session ending).
#pragma once

#include <windows.h>

namespace guard {

// Shows or hides every taskbar: the primary one ("Shell_TrayWnd") and the one on each
// further monitor ("Shell_SecondaryTrayWnd").
void showTaskbars(bool show);
// The SC_MONITORPOWER "on" broadcast, then a wake-up of the display.
void switchMonitorOn();

// What a dying process gives back: every taskbar shown, the monitor switched on. Only a
// few calls that neither allocate nor wait for another program, so it is safe from an
// exception filter.
void restoreDesktop();
// The filter for exceptions nothing handles: restores the desktop once, then lets the
// exception go on as it would have (an earlier filter, then the system's crash handling).
LONG WINAPI onUnhandledException(EXCEPTION_POINTERS* info);
// Installs onUnhandledException and a C++ terminate handler that does the same.
void installCrashHandlers();

}  // namespace guard
