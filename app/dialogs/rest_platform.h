// System calls of the rest screens whose effect a test cannot see from inside the program:
// the monitor power broadcast (Wine never acts on it) and the hot-key registration (Wine's
// hot keys are not global). Each goes through a replaceable function pointer, like the
// main dialog's calls in platform_calls.h: tests install a recorder, the program uses the
// real call.
#pragma once

#include <windows.h>

namespace platform {

using PostMessageFunction = BOOL(WINAPI*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
using RegisterHotKeyFunction = BOOL(WINAPI*)(HWND window, int id, UINT modifiers, UINT key);
using UnregisterHotKeyFunction = BOOL(WINAPI*)(HWND window, int id);

// Each setter installs `fn` (null restores the system's function) and returns the one it
// replaces.
PostMessageFunction setBroadcastFunction(PostMessageFunction fn);
RegisterHotKeyFunction setRegisterHotKeyFunction(RegisterHotKeyFunction fn);
UnregisterHotKeyFunction setUnregisterHotKeyFunction(UnregisterHotKeyFunction fn);

// The monitor power states of SC_MONITORPOWER.
constexpr LPARAM kMonitorOff = 2;
constexpr LPARAM kMonitorOn = -1;

// Posts WM_SYSCOMMAND / SC_MONITORPOWER with `state` to HWND_BROADCAST. Posted, never sent,
// so the rest window does not wait for other programs.
BOOL broadcastMonitorPower(LPARAM state);
BOOL registerHotKey(HWND window, int id, UINT modifiers, UINT key);
BOOL unregisterHotKey(HWND window, int id);

}  // namespace platform
