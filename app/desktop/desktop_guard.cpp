#include "desktop/desktop_guard.h"

#include <atomic>
#include <cstdlib>
#include <exception>

#include "platform_calls.h"

namespace guard {
namespace {

LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;
std::terminate_handler g_previousTerminate = nullptr;
LONG g_restored = 0;

// The rest window and one cover per further monitor; a desk of more monitors than this
// keeps the rest of its covers untracked (and of its taskbars unshown).
constexpr int kCoverSlots = 16;
std::atomic<HWND> g_covers[kCoverSlots];
std::atomic<HHOOK> g_keyboardHook{nullptr};

// ShowWindow would wait for the shell's thread, which owns the taskbars. Every taskbar is
// found before any is shown: showing one can move it in the z-order, and a search that
// goes on from it would then find the others again, for ever.
void showEveryTaskbar(int command) {
    HWND taskbars[1 + kCoverSlots] = {::FindWindowW(L"Shell_TrayWnd", nullptr)};
    int count = 1;
    for (HWND secondary = nullptr;
         count < 1 + kCoverSlots && (secondary = ::FindWindowExW(nullptr, secondary, L"Shell_SecondaryTrayWnd", nullptr));)
        taskbars[count++] = secondary;
    for (int i = 0; i < count; ++i)
        if (taskbars[i]) ::ShowWindowAsync(taskbars[i], command);
}

// Once per process: a second exception while restoring must not loop.
void restoreOnce() {
    if (::InterlockedExchange(&g_restored, 1) == 0) restoreDesktop();
}

void onTerminate() {
    restoreOnce();
    if (g_previousTerminate) g_previousTerminate();
    std::abort();
}

}  // namespace

void showTaskbars(bool show) { showEveryTaskbar(show ? SW_SHOWNA : SW_HIDE); }

void trackCover(HWND cover) {
    if (!cover) return;
    for (auto& slot : g_covers) {
        HWND empty = nullptr;
        if (slot.compare_exchange_strong(empty, cover)) return;
    }
}

void untrackCover(HWND cover) {
    if (!cover) return;
    for (auto& slot : g_covers) {
        HWND tracked = cover;
        if (slot.compare_exchange_strong(tracked, nullptr)) return;
    }
}

void trackKeyboardHook(HHOOK hook) { g_keyboardHook = hook; }

void TrackedCover::track(HWND cover) {
    untrack();
    m_cover = cover;
    trackCover(cover);
}

void TrackedCover::untrack() {
    untrackCover(m_cover);
    m_cover = nullptr;
}

void switchMonitorOn() {
    platform::broadcastMonitorPower(platform::kMonitorOn);
    platform::wakeDisplay();
}

void restoreDesktop() {
    // The hook first: from here on no key waits for this process.
    if (HHOOK hook = g_keyboardHook.exchange(nullptr)) ::UnhookWindowsHookEx(hook);
    for (auto& slot : g_covers)
        if (HWND cover = slot.exchange(nullptr)) ::ShowWindowAsync(cover, SW_HIDE);
    // Posted to the shell, never waited for: a crashed program must not hang on it.
    showEveryTaskbar(SW_SHOWNA);
    switchMonitorOn();
}

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS* info) {
    restoreOnce();
    return g_previousFilter ? g_previousFilter(info) : EXCEPTION_CONTINUE_SEARCH;
}

void installCrashHandlers() {
    LPTOP_LEVEL_EXCEPTION_FILTER previous = ::SetUnhandledExceptionFilter(&onUnhandledException);
    if (previous != &onUnhandledException) g_previousFilter = previous;
    std::terminate_handler previousTerminate = std::set_terminate(&onTerminate);
    if (previousTerminate != &onTerminate) g_previousTerminate = previousTerminate;
}

}  // namespace guard
