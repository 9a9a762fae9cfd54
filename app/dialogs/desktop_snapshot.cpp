#include "dialogs/desktop_snapshot.h"

namespace rest {

fw::Bitmap takeDesktopSnapshot() {
    HWND desktop = ::GetDesktopWindow();
    fw::WindowDC screen(desktop);
    if (!screen.get()) return fw::Bitmap();
    RECT rc{};
    ::GetClientRect(desktop, &rc);
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;

    fw::MemoryDC memory(::CreateCompatibleDC(screen.get()));
    fw::Bitmap snapshot(::CreateCompatibleBitmap(screen.get(), width, height));
    if (memory && snapshot) {
        fw::SelectedObject selected(memory.get(), snapshot.get());
        ::StretchBlt(memory.get(), 0, 0, width, height, screen.get(), 0, 0, width, height, SRCCOPY);
    }
    return snapshot;
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
