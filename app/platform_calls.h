// System calls whose effect a test cannot see from inside the program: the main dialog's
// beep, window flash, the shell's tray and app-bar registration and the input-idle time
// of its tick; the rest screens' monitor power broadcast and display wake-up (Wine never
// acts on them), hot-key registration (Wine's hot keys are not global) and the
// registration with the Restart Manager (which Wine does not have); the integrity level of
// the process in front (Wine runs every process at one level). Each goes through a
// replaceable function pointer, so tests install a recorder and the program uses the real call.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>

namespace platform {

using BeepFunction = BOOL(WINAPI*)(DWORD frequency, DWORD duration);
using FlashWindowFunction = BOOL(WINAPI*)(HWND window, BOOL invert);
using NotifyIconFunction = BOOL(WINAPI*)(DWORD message, NOTIFYICONDATAW* data);
using PostMessageFunction = BOOL(WINAPI*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
using RegisterHotKeyFunction = BOOL(WINAPI*)(HWND window, int id, UINT modifiers, UINT key);
using UnregisterHotKeyFunction = BOOL(WINAPI*)(HWND window, int id);
using AppBarFunction = UINT_PTR(WINAPI*)(DWORD message, APPBARDATA* data);
using ExecutionStateFunction = EXECUTION_STATE(WINAPI*)(EXECUTION_STATE flags);
using SendInputFunction = UINT(WINAPI*)(UINT count, INPUT* inputs, int size);
using InputIdleFunction = long long (*)();  // seconds since the last keyboard or mouse input
using RegisterRestartFunction = HRESULT(WINAPI*)(PCWSTR commandLine, DWORD flags);
using LastInputFunction = BOOL(WINAPI*)(LASTINPUTINFO* info);
using TickCountFunction = DWORD(WINAPI*)();
using MessageFilterFunction = BOOL(WINAPI*)(HWND window, UINT message, DWORD action, PCHANGEFILTERSTRUCT status);
using OpenProcessFunction = HANDLE(WINAPI*)(DWORD access, BOOL inherit, DWORD processId);
using OpenProcessTokenFunction = BOOL(WINAPI*)(HANDLE process, DWORD access, HANDLE* token);
using TokenInformationFunction = BOOL(WINAPI*)(HANDLE token, TOKEN_INFORMATION_CLASS kind, void* data, DWORD size,
                                               DWORD* returned);

// Each setter installs `fn` (null restores the system's function) and returns the one
// it replaces.
BeepFunction setBeepFunction(BeepFunction fn);
FlashWindowFunction setFlashWindowFunction(FlashWindowFunction fn);
NotifyIconFunction setNotifyIconFunction(NotifyIconFunction fn);
PostMessageFunction setBroadcastFunction(PostMessageFunction fn);
RegisterHotKeyFunction setRegisterHotKeyFunction(RegisterHotKeyFunction fn);
UnregisterHotKeyFunction setUnregisterHotKeyFunction(UnregisterHotKeyFunction fn);
AppBarFunction setAppBarFunction(AppBarFunction fn);
ExecutionStateFunction setExecutionStateFunction(ExecutionStateFunction fn);
SendInputFunction setSendInputFunction(SendInputFunction fn);
InputIdleFunction setInputIdleFunction(InputIdleFunction fn);
RegisterRestartFunction setRegisterRestartFunction(RegisterRestartFunction fn);
// Below the input-idle time: the last input's tick and the tick counter it is read against.
LastInputFunction setLastInputFunction(LastInputFunction fn);
TickCountFunction setTickCountFunction(TickCountFunction fn);
// Which messages of less privileged processes a window takes (Wine has no such filter).
MessageFilterFunction setMessageFilterFunction(MessageFilterFunction fn);
OpenProcessFunction setOpenProcessFunction(OpenProcessFunction fn);
OpenProcessTokenFunction setOpenProcessTokenFunction(OpenProcessTokenFunction fn);
TokenInformationFunction setTokenInformationFunction(TokenInformationFunction fn);

// The monitor power states of SC_MONITORPOWER.
constexpr LPARAM kMonitorOff = 2;
constexpr LPARAM kMonitorOn = -1;

BOOL beep(DWORD frequency, DWORD duration);
BOOL flashWindow(HWND window, BOOL invert);
BOOL notifyIcon(DWORD message, NOTIFYICONDATAW* data);
// Posts WM_SYSCOMMAND / SC_MONITORPOWER with `state` to HWND_BROADCAST. Posted, never sent,
// so the rest window does not wait for other programs.
BOOL broadcastMonitorPower(LPARAM state);
BOOL registerHotKey(HWND window, int id, UINT modifiers, UINT key);
BOOL unregisterHotKey(HWND window, int id);
UINT_PTR appBarMessage(DWORD message, APPBARDATA* data);
// Asks for the display once (no lasting request) and moves the mouse by nothing: since
// Windows 8 the SC_MONITORPOWER broadcast alone no longer wakes a display, input does.
void wakeDisplay();
// From GetLastInputInfo; 0 when it fails, so a failure never looks like time away. The
// display wake-up's own mouse move is not the user's input.
long long inputIdleSeconds();
// Asks the Restart Manager to start the program again (same path, no arguments) after it
// closed it to replace a file, as an installer does. Not after a crash or a hang, and not
// after a reboot: the Startup entry starts it then.
HRESULT registerForRestart();
BOOL changeMessageFilter(HWND window, UINT message, DWORD action);

HANDLE openProcess(DWORD access, DWORD processId);
BOOL openProcessToken(HANDLE process, DWORD access, HANDLE* token);
BOOL tokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, void* data, DWORD size, DWORD* returned);
// The integrity level of `process` (the last sub-authority of its token's mandatory label),
// through the three calls above; false when any of them fails.
bool integrityLevel(HANDLE process, uint32_t& level);

// The display wake-up's mouse move: the tick it was sent at, and the user's last input
// before it. Windows stamps the move a moment later; an input stamped within kWindowMs
// of `at` is taken as the move.
struct OwnInput {
    static constexpr DWORD kWindowMs = 2000;
    bool made = false;
    DWORD at = 0;
    DWORD userLastBefore = 0;
};
// The tick of the user's last input, given the last input's tick and the program's own move.
DWORD userLastInput(DWORD lastInput, const OwnInput& own);

}  // namespace platform
