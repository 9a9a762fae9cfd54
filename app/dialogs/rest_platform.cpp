#include "dialogs/rest_platform.h"

namespace platform {
namespace {

PostMessageFunction g_broadcast = &::PostMessageW;
RegisterHotKeyFunction g_registerHotKey = &::RegisterHotKey;
UnregisterHotKeyFunction g_unregisterHotKey = &::UnregisterHotKey;

template <typename Fn>
Fn replace(Fn& slot, Fn fn, Fn system) {
    Fn old = slot;
    slot = fn ? fn : system;
    return old;
}

}  // namespace

PostMessageFunction setBroadcastFunction(PostMessageFunction fn) {
    return replace(g_broadcast, fn, &::PostMessageW);
}
RegisterHotKeyFunction setRegisterHotKeyFunction(RegisterHotKeyFunction fn) {
    return replace(g_registerHotKey, fn, &::RegisterHotKey);
}
UnregisterHotKeyFunction setUnregisterHotKeyFunction(UnregisterHotKeyFunction fn) {
    return replace(g_unregisterHotKey, fn, &::UnregisterHotKey);
}

BOOL broadcastMonitorPower(LPARAM state) {
    return g_broadcast(HWND_BROADCAST, WM_SYSCOMMAND, SC_MONITORPOWER, state);
}
BOOL registerHotKey(HWND window, int id, UINT modifiers, UINT key) {
    return g_registerHotKey(window, id, modifiers, key);
}
BOOL unregisterHotKey(HWND window, int id) { return g_unregisterHotKey(window, id); }

}  // namespace platform
