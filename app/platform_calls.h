// System calls the main dialog makes whose effect a test cannot see from inside the
// program (a beep, a window flash, the shell's tray): each goes through a replaceable
// function pointer, so tests install a recorder and the program uses the real call.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace platform {

using BeepFunction = BOOL(WINAPI*)(DWORD frequency, DWORD duration);
using FlashWindowFunction = BOOL(WINAPI*)(HWND window, BOOL invert);
using NotifyIconFunction = BOOL(WINAPI*)(DWORD message, NOTIFYICONDATAW* data);

// Each setter installs `fn` (null restores the system's function) and returns the one
// it replaces.
BeepFunction setBeepFunction(BeepFunction fn);
FlashWindowFunction setFlashWindowFunction(FlashWindowFunction fn);
NotifyIconFunction setNotifyIconFunction(NotifyIconFunction fn);

BOOL beep(DWORD frequency, DWORD duration);
BOOL flashWindow(HWND window, BOOL invert);
BOOL notifyIcon(DWORD message, NOTIFYICONDATAW* data);

}  // namespace platform
