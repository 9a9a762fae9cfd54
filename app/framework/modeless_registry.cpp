#include "framework/modeless_registry.h"

#include <algorithm>
#include <vector>

namespace fw {
namespace {

// Everything runs on the one user-interface thread, so a plain list will do.
std::vector<HWND>& registry() {
    static std::vector<HWND> dialogs;
    return dialogs;
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
    // A copy: IsDialogMessageW may run handlers that open or close dialogs.
    const std::vector<HWND> dialogs = registry();
    for (HWND dialog : dialogs) {
        if (dialog == msg.hwnd || ::IsChild(dialog, msg.hwnd)) return ::IsDialogMessageW(dialog, &msg) != FALSE;
    }
    return false;
}

void dispatchLoopMessage(MSG& msg) {
    if (routeDialogMessage(msg)) return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

}  // namespace fw
