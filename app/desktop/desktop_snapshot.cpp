#include "desktop/desktop_snapshot.h"

namespace rest {

namespace {

// `width` x `height` pixels of `screen` from (x, y) into a new compatible bitmap.
fw::Bitmap copyScreen(HDC screen, int x, int y, int width, int height) {
    fw::MemoryDC memory(::CreateCompatibleDC(screen));
    fw::Bitmap snapshot(::CreateCompatibleBitmap(screen, width, height));
    if (memory && snapshot) {
        fw::SelectedObject selected(memory.get(), snapshot.get());
        ::StretchBlt(memory.get(), 0, 0, width, height, screen, x, y, width, height, SRCCOPY);
    }
    return snapshot;
}

}  // namespace

fw::Bitmap takeDesktopSnapshot() {
    HWND desktop = ::GetDesktopWindow();
    fw::WindowDC screen(desktop);
    if (!screen.get()) return fw::Bitmap();
    RECT rc{};
    ::GetClientRect(desktop, &rc);
    return copyScreen(screen.get(), 0, 0, rc.right - rc.left, rc.bottom - rc.top);
}

fw::Bitmap takeScreenSnapshot(const RECT& area) {
    // The screen's own context spans every monitor, in virtual-screen coordinates.
    fw::WindowDC screen(nullptr);
    if (!screen.get() || ::IsRectEmpty(&area)) return fw::Bitmap();
    return copyScreen(screen.get(), area.left, area.top, area.right - area.left, area.bottom - area.top);
}

bool drawSnapshot(HDC dc, HBITMAP snapshot, const RECT& area, POINT origin) {
    if (!snapshot) return false;
    fw::MemoryDC memory(::CreateCompatibleDC(dc));
    if (!memory) return false;
    fw::SelectedObject selected(memory.get(), snapshot);
    return ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, memory.get(),
                    area.left + origin.x, area.top + origin.y, SRCCOPY) != FALSE;
}

}  // namespace rest
