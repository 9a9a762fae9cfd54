#include "desktop/desktop_guard.h"

#include <cstdlib>
#include <exception>

#include "platform_calls.h"

namespace guard {
namespace {

LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;
std::terminate_handler g_previousTerminate = nullptr;
LONG g_restored = 0;

// `show` is ShowWindow or ShowWindowAsync: the taskbar belongs to the shell's process.
template <typename Show>
void forEachTaskbar(Show show, int command) {
    if (HWND primary = ::FindWindowW(L"Shell_TrayWnd", nullptr)) show(primary, command);
    for (HWND secondary = nullptr; (secondary = ::FindWindowExW(nullptr, secondary, L"Shell_SecondaryTrayWnd", nullptr));)
        show(secondary, command);
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

void showTaskbars(bool show) { forEachTaskbar(&::ShowWindow, show ? SW_SHOW : SW_HIDE); }

void switchMonitorOn() {
    platform::broadcastMonitorPower(platform::kMonitorOn);
    platform::wakeDisplay();
}

void restoreDesktop() {
    // Posted to the shell, never waited for: a crashed program must not hang on it.
    forEachTaskbar(&::ShowWindowAsync, SW_SHOW);
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
