// How long the rest window takes to repaint one monitor: its background (home: black; office:
// the frozen picture copied one to one) and then the red time text, drawn by the same
// functions the rest window and its monitor covers call, into a memory context of the
// monitor's size. Prints the mean and the best of many repaints per monitor size and mode;
// the goal is at most 5 ms for a 1920x1080 monitor. A program that prints, never a test.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "desktop/desktop_snapshot.h"
#include "dialogs/red_text.h"
#include "framework/handles.h"

namespace {

struct Monitor {
    int width;
    int height;
    UINT dpi;  // the text's size follows it, as on the monitor
    int repaints;
};

// A picture to freeze: not one flat colour, so the copy moves real pixels.
void drawSomething(HDC dc, int width, int height) {
    for (int y = 0; y < height; y += 64) {
        for (int x = 0; x < width; x += 64) {
            fw::Brush brush(::CreateSolidBrush(RGB(x * 255 / width, y * 255 / height, (x + y) & 0xFF)));
            RECT cell{x, y, x + 64, y + 64};
            ::FillRect(dc, &cell, brush.get());
        }
    }
}

// One repaint as WM_ERASEBKGND and WM_PAINT do it, finished (GdiFlush) before the clock stops.
void repaint(HDC dc, const RECT& client, bool home, HBITMAP snapshot, HFONT font, const std::wstring& text, UINT dpi) {
    if (home || !rest::drawSnapshot(dc, snapshot, client, POINT{0, 0}))
        ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    rest::drawRedText(dc, font, client, text, home ? rest::TextPlace::Centre : rest::TextPlace::BottomRight, dpi);
    ::GdiFlush();
}

bool measure(const Monitor& monitor, bool home) {
    fw::WindowDC screen(nullptr);
    fw::MemoryDC target(::CreateCompatibleDC(screen.get()));
    fw::Bitmap surface(::CreateCompatibleBitmap(screen.get(), monitor.width, monitor.height));
    fw::MemoryDC source(::CreateCompatibleDC(screen.get()));
    fw::Bitmap snapshot(::CreateCompatibleBitmap(screen.get(), monitor.width, monitor.height));
    if (!target || !surface || !source || !snapshot) {
        std::printf("%4dx%-4d %-7s could not make the bitmaps\n", monitor.width, monitor.height, home ? "home" : "office");
        return false;
    }
    {
        fw::SelectedObject picture(source.get(), snapshot.get());
        drawSomething(source.get(), monitor.width, monitor.height);
    }
    fw::SelectedObject selected(target.get(), surface.get());
    const fw::Font font = rest::createRedTextFont(monitor.dpi);
    const std::wstring text = rest::restTimeText(480, 17);
    const RECT client{0, 0, monitor.width, monitor.height};

    using Clock = std::chrono::steady_clock;
    repaint(target.get(), client, home, snapshot.get(), font.get(), text, monitor.dpi);  // warm-up
    double total = 0, best = 1e300;
    for (int i = 0; i < monitor.repaints; ++i) {
        const auto start = Clock::now();
        repaint(target.get(), client, home, snapshot.get(), font.get(), text, monitor.dpi);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        total += ms;
        if (ms < best) best = ms;
    }
    const double mean = total / monitor.repaints;
    std::printf("%4dx%-4d %3u dpi  %-7s %8.2f ms mean %8.2f ms best  (%d repaints)%s\n", monitor.width,
                monitor.height, monitor.dpi, home ? "home" : "office", mean, best, monitor.repaints,
                monitor.width == 1920 && mean > 5.0 ? "  over the 5 ms goal" : "");
    return true;
}

}  // namespace

int main() {
    fw::WindowDC screen(nullptr);
    std::printf("rest window repaint per monitor (background + red text), screen depth %d bits\n",
                ::GetDeviceCaps(screen.get(), BITSPIXEL));
    const Monitor monitors[] = {{1920, 1080, 96, 200}, {3840, 2160, 96, 50}, {3840, 2160, 192, 50}};
    bool ok = true;
    for (const Monitor& monitor : monitors) {
        for (bool home : {true, false}) ok = measure(monitor, home) && ok;
    }
    return ok ? 0 : 1;
}
