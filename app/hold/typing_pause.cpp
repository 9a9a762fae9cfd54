#include "hold/typing_pause.h"

#include <windows.h>

#include <atomic>

#include "desktop/keyboard_hook.h"

namespace hold {
namespace {

// Written on the hook's thread, read on the window thread: the time first, then the flag.
std::atomic<bool> g_keySeen{false};
std::atomic<DWORD> g_lastKey{0};  // GetTickCount time of the last key press

// Only notes the time and never swallows: the hook runs for every key of every program.
bool noteKey(WPARAM message, const KBDLLHOOKSTRUCT& key) {
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
        g_lastKey = key.time;
        g_keySeen = true;
    }
    return false;
}

long long hookSinceKey() {
    if (!g_keySeen) return -1;
    // Unsigned 32-bit difference: right across the tick counter's wrap.
    return static_cast<DWORD>(::GetTickCount() - g_lastKey.load());
}

SinceKeyFunction g_sinceKey = &hookSinceKey;

}  // namespace

void watchKeys(bool on) {
    if (on == isWatchingKeys()) return;
    g_keySeen = false;
    if (on)
        rest::beginKeyboardUse(rest::KeyboardUse::WatchTyping, &noteKey);
    else
        rest::endKeyboardUse(rest::KeyboardUse::WatchTyping);
}

bool isWatchingKeys() { return rest::isKeyboardInUse(rest::KeyboardUse::WatchTyping); }

SinceKeyFunction setSinceKeyFunction(SinceKeyFunction fn) {
    SinceKeyFunction old = g_sinceKey;
    g_sinceKey = fn ? fn : &hookSinceKey;
    return old;
}

long long millisSinceKey() { return g_sinceKey(); }

}  // namespace hold
