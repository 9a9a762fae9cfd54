#include "platform_calls.h"

namespace platform {
namespace {

BeepFunction g_beep = &::Beep;
FlashWindowFunction g_flashWindow = &::FlashWindow;
NotifyIconFunction g_notifyIcon = &::Shell_NotifyIconW;

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

BOOL beep(DWORD frequency, DWORD duration) { return g_beep(frequency, duration); }
BOOL flashWindow(HWND window, BOOL invert) { return g_flashWindow(window, invert); }
BOOL notifyIcon(DWORD message, NOTIFYICONDATAW* data) { return g_notifyIcon(message, data); }

}  // namespace platform
