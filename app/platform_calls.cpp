#include "platform_calls.h"

#include "kiv/time_kiv.h"

namespace platform {
namespace {

BeepFunction g_beep = &::Beep;
FlashWindowFunction g_flashWindow = &::FlashWindow;
NotifyIconFunction g_notifyIcon = &::Shell_NotifyIconW;
PostMessageFunction g_broadcast = &::PostMessageW;
RegisterHotKeyFunction g_registerHotKey = &::RegisterHotKey;
UnregisterHotKeyFunction g_unregisterHotKey = &::UnregisterHotKey;

long long systemClock() { return kiv::Time::now().timeValue(); }

long long systemInputIdle() {
    LASTINPUTINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetLastInputInfo(&info)) return 0;
    // Unsigned 32-bit difference: right across the tick counter's wrap.
    return (::GetTickCount() - info.dwTime) / 1000;
}

ClockFunction g_clock = &systemClock;
InputIdleFunction g_inputIdle = &systemInputIdle;

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
ClockFunction setClockFunction(ClockFunction fn) { return replace(g_clock, fn, &systemClock); }
InputIdleFunction setInputIdleFunction(InputIdleFunction fn) { return replace(g_inputIdle, fn, &systemInputIdle); }

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
long long clockSeconds() { return g_clock(); }
long long inputIdleSeconds() { return g_inputIdle(); }

}  // namespace platform
