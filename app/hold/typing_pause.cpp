#include "hold/typing_pause.h"

#include <windows.h>

#include "framework/handles.h"

namespace hold {
namespace {

fw::Hook g_hook;
bool g_keySeen = false;
DWORD g_lastKey = 0;  // GetTickCount time of the last key press

// Only notes the time: the hook runs for every key of every program.
LRESULT CALLBACK keyHook(int code, WPARAM message, LPARAM info) {
    if (code == HC_ACTION && (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)) {
        g_lastKey = reinterpret_cast<const KBDLLHOOKSTRUCT*>(info)->time;
        g_keySeen = true;
    }
    return ::CallNextHookEx(nullptr, code, message, info);
}

long long hookSinceKey() {
    if (!g_keySeen) return -1;
    // Unsigned 32-bit difference: right across the tick counter's wrap.
    return static_cast<DWORD>(::GetTickCount() - g_lastKey);
}

SinceKeyFunction g_sinceKey = &hookSinceKey;

}  // namespace

void watchKeys(bool on) {
    if (on == static_cast<bool>(g_hook)) return;
    g_keySeen = false;
    if (on)
        g_hook.reset(::SetWindowsHookExW(WH_KEYBOARD_LL, &keyHook, ::GetModuleHandleW(nullptr), 0));
    else
        g_hook.reset();
}

bool isWatchingKeys() { return static_cast<bool>(g_hook); }

SinceKeyFunction setSinceKeyFunction(SinceKeyFunction fn) {
    SinceKeyFunction old = g_sinceKey;
    g_sinceKey = fn ? fn : &hookSinceKey;
    return old;
}

long long millisSinceKey() { return g_sinceKey(); }

}  // namespace hold
