#include "platform_calls.h"

#include "framework/handles.h"
#include "framework/integrity_level.h"

namespace platform {
namespace {

BeepFunction g_beep = &::Beep;
FlashWindowFunction g_flashWindow = &::FlashWindow;
NotifyIconFunction g_notifyIcon = &::Shell_NotifyIconW;
PostMessageFunction g_broadcast = &::PostMessageW;
RegisterHotKeyFunction g_registerHotKey = &::RegisterHotKey;
UnregisterHotKeyFunction g_unregisterHotKey = &::UnregisterHotKey;
AppBarFunction g_appBar = &::SHAppBarMessage;
ExecutionStateFunction g_executionState = &::SetThreadExecutionState;
SendInputFunction g_sendInput = &::SendInput;

LastInputFunction g_lastInput = &::GetLastInputInfo;
TickCountFunction g_tickCount = &::GetTickCount;
OwnInput g_ownInput;

// The tick of the last input, or nothing.
bool lastInput(DWORD& tick) {
    LASTINPUTINFO info{};
    info.cbSize = sizeof(info);
    if (!g_lastInput(&info)) return false;
    tick = info.dwTime;
    return true;
}

long long systemInputIdle() {
    DWORD last = 0;
    if (!lastInput(last)) return 0;
    // Unsigned 32-bit difference: right across the tick counter's wrap.
    return (g_tickCount() - userLastInput(last, g_ownInput)) / 1000;
}

InputIdleFunction g_inputIdle = &systemInputIdle;
RegisterRestartFunction g_registerRestart = &::RegisterApplicationRestart;
MessageFilterFunction g_messageFilter = &::ChangeWindowMessageFilterEx;
OpenProcessFunction g_openProcess = &::OpenProcess;
OpenProcessTokenFunction g_openProcessToken = &::OpenProcessToken;
TokenInformationFunction g_tokenInformation = &::GetTokenInformation;

template <typename Fn>
Fn replace(Fn& slot, Fn fn, Fn system) {
    Fn old = slot;
    slot = fn ? fn : system;
    return old;
}

}  // namespace

BeepFunction setBeepFunction(BeepFunction fn) { return replace(g_beep, fn, &::Beep); }
FlashWindowFunction setFlashWindowFunction(FlashWindowFunction fn) {
    return replace(g_flashWindow, fn, &::FlashWindow);
}
NotifyIconFunction setNotifyIconFunction(NotifyIconFunction fn) {
    return replace(g_notifyIcon, fn, &::Shell_NotifyIconW);
}
PostMessageFunction setBroadcastFunction(PostMessageFunction fn) {
    return replace(g_broadcast, fn, &::PostMessageW);
}
RegisterHotKeyFunction setRegisterHotKeyFunction(RegisterHotKeyFunction fn) {
    return replace(g_registerHotKey, fn, &::RegisterHotKey);
}
UnregisterHotKeyFunction setUnregisterHotKeyFunction(UnregisterHotKeyFunction fn) {
    return replace(g_unregisterHotKey, fn, &::UnregisterHotKey);
}
AppBarFunction setAppBarFunction(AppBarFunction fn) { return replace(g_appBar, fn, &::SHAppBarMessage); }
ExecutionStateFunction setExecutionStateFunction(ExecutionStateFunction fn) {
    return replace(g_executionState, fn, &::SetThreadExecutionState);
}
SendInputFunction setSendInputFunction(SendInputFunction fn) { return replace(g_sendInput, fn, &::SendInput); }
InputIdleFunction setInputIdleFunction(InputIdleFunction fn) { return replace(g_inputIdle, fn, &systemInputIdle); }
RegisterRestartFunction setRegisterRestartFunction(RegisterRestartFunction fn) {
    return replace(g_registerRestart, fn, &::RegisterApplicationRestart);
}
LastInputFunction setLastInputFunction(LastInputFunction fn) { return replace(g_lastInput, fn, &::GetLastInputInfo); }
TickCountFunction setTickCountFunction(TickCountFunction fn) { return replace(g_tickCount, fn, &::GetTickCount); }
MessageFilterFunction setMessageFilterFunction(MessageFilterFunction fn) {
    return replace(g_messageFilter, fn, &::ChangeWindowMessageFilterEx);
}
OpenProcessFunction setOpenProcessFunction(OpenProcessFunction fn) { return replace(g_openProcess, fn, &::OpenProcess); }
OpenProcessTokenFunction setOpenProcessTokenFunction(OpenProcessTokenFunction fn) {
    return replace(g_openProcessToken, fn, &::OpenProcessToken);
}
TokenInformationFunction setTokenInformationFunction(TokenInformationFunction fn) {
    return replace(g_tokenInformation, fn, &::GetTokenInformation);
}

bool integrityLevel(HANDLE process, uint32_t& level) {
    return fw::readIntegrityLevel(process, &openProcessToken, &tokenInformation, level);
}

DWORD userLastInput(DWORD lastInput, const OwnInput& own) {
    if (!own.made) return lastInput;
    // Unsigned: an input before the move gives a difference near 2^32.
    return lastInput - own.at <= OwnInput::kWindowMs ? own.userLastBefore : lastInput;
}

BOOL beep(DWORD frequency, DWORD duration) { return g_beep(frequency, duration); }
BOOL flashWindow(HWND window, BOOL invert) { return g_flashWindow(window, invert); }
BOOL notifyIcon(DWORD message, NOTIFYICONDATAW* data) { return g_notifyIcon(message, data); }
BOOL broadcastMonitorPower(LPARAM state) {
    return g_broadcast(HWND_BROADCAST, WM_SYSCOMMAND, SC_MONITORPOWER, state);
}
BOOL registerHotKey(HWND window, int id, UINT modifiers, UINT key) {
    return g_registerHotKey(window, id, modifiers, key);
}
BOOL unregisterHotKey(HWND window, int id) { return g_unregisterHotKey(window, id); }
UINT_PTR appBarMessage(DWORD message, APPBARDATA* data) { return g_appBar(message, data); }

void wakeDisplay() {
    g_executionState(ES_DISPLAY_REQUIRED);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dwFlags = MOUSEEVENTF_MOVE;  // relative, 0 by 0
    // The move is the program's, not the user's: the input-idle time goes on from the
    // user's own last input (a user away through a rest is still away after it).
    DWORD before = 0;
    const bool known = lastInput(before);
    g_ownInput = {known, g_tickCount(), known ? userLastInput(before, g_ownInput) : 0};
    g_sendInput(1, &move, sizeof(move));
}
long long inputIdleSeconds() { return g_inputIdle(); }
HANDLE openProcess(DWORD access, DWORD processId) { return g_openProcess(access, FALSE, processId); }
BOOL openProcessToken(HANDLE process, DWORD access, HANDLE* token) {
    return g_openProcessToken(process, access, token);
}
BOOL tokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, void* data, DWORD size, DWORD* returned) {
    return g_tokenInformation(token, kind, data, size, returned);
}
HRESULT registerForRestart() {
    return g_registerRestart(nullptr, RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT);
}
BOOL changeMessageFilter(HWND window, UINT message, DWORD action) {
    return g_messageFilter(window, message, action, nullptr);
}

}  // namespace platform
