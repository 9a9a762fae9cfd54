#include "desktop/keyboard_hook.h"

#include <atomic>

#include "desktop/desktop_guard.h"
#include "desktop/hook_thread.h"

namespace rest {
namespace {

constexpr int kUses = 2;
// Set and cleared by the window thread, read by the hook's thread.
std::atomic<KeyFilter> g_filters[kUses];

HookThread& hookThread() {
    static HookThread thread;
    return thread;
}

std::atomic<KeyFilter>& slot(KeyboardUse use) { return g_filters[static_cast<int>(use)]; }

bool anyInUse() {
    for (const auto& filter : g_filters)
        if (filter.load()) return true;
    return false;
}

// Every filter sees every key (the typing pause notes it even while the rest holds it).
LRESULT CALLBACK onKey(int code, WPARAM message, LPARAM info) {
    if (code == HC_ACTION) {
        const auto& key = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(info);
        bool swallow = false;
        for (const auto& slotFilter : g_filters)
            if (const KeyFilter filter = slotFilter.load()) swallow = filter(message, key) || swallow;
        if (swallow) return 1;
    }
    return ::CallNextHookEx(nullptr, code, message, info);
}

}  // namespace

bool beginKeyboardUse(KeyboardUse use, KeyFilter filter) {
    if (!filter) return false;
    const bool first = !anyInUse();
    slot(use) = filter;
    if (!first) return true;
    if (!hookThread().install(WH_KEYBOARD_LL, &onKey)) {
        slot(use) = nullptr;
        return false;
    }
    guard::trackKeyboardHook(hookThread().hook());
    return true;
}

void endKeyboardUse(KeyboardUse use) {
    if (!slot(use).exchange(nullptr) || anyInUse()) return;
    guard::trackKeyboardHook(nullptr);
    hookThread().remove();
}

bool isKeyboardInUse(KeyboardUse use) { return slot(use).load() != nullptr; }

DWORD keyboardHookThreadId() { return hookThread().threadId(); }

}  // namespace rest
