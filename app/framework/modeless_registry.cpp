#include "framework/modeless_registry.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace fw {
namespace {

// Everything runs on the one user-interface thread, so a plain list will do. Nothing
// registers a dialog before main starts, so a list at namespace scope is safe.
std::vector<HWND> g_dialogs;

std::vector<HWND>& registry() { return g_dialogs; }

// The message being handed to the dialog manager now. IsDialogMessageW itself calls the
// message filter with it (Wine does), which must not route it a second time.
const MSG* g_routing = nullptr;

bool sameMessage(const MSG& a, const MSG& b) {
    return a.hwnd == b.hwnd && a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam;
}

LRESULT CALLBACK filterMessage(int code, WPARAM wParam, LPARAM lParam) {
    if ((code == MSGF_DIALOGBOX || code == MSGF_MESSAGEBOX) && lParam &&
        routeDialogMessage(*reinterpret_cast<MSG*>(lParam)))
        return 1;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void registerModeless(HWND dialog) {
    if (dialog && !isRegisteredModeless(dialog)) registry().push_back(dialog);
}

void unregisterModeless(HWND dialog) {
    auto& dialogs = registry();
    dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), dialog), dialogs.end());
}

bool isRegisteredModeless(HWND dialog) {
    const auto& dialogs = registry();
    return std::find(dialogs.begin(), dialogs.end(), dialog) != dialogs.end();
}

bool routeDialogMessage(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !msg.hwnd) return false;
    if (g_routing && sameMessage(*g_routing, msg)) return false;
    // A copy: IsDialogMessageW may run handlers that open or close dialogs.
    const std::vector<HWND> dialogs = registry();
    for (HWND dialog : dialogs) {
        if (dialog != msg.hwnd && !::IsChild(dialog, msg.hwnd)) continue;
        const MSG* outer = std::exchange(g_routing, &msg);
        const bool taken = ::IsDialogMessageW(dialog, &msg) != FALSE;
        g_routing = outer;
        return taken;
    }
    return false;
}

Hook installDialogMessageFilter() {
    return Hook(::SetWindowsHookExW(WH_MSGFILTER, &filterMessage, nullptr, ::GetCurrentThreadId()));
}

void dispatchLoopMessage(MSG& msg) {
    if (routeDialogMessage(msg)) return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

}  // namespace fw
