// The real kivTool.exe on a desk of two monitors side by side (scripts/two-monitor-run):
// during a rest both monitors are black at home and frozen at the office, after it both show
// again what they show now.
// Read from the screen's own pixels, as a user would see them.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "kivtool_process.h"
#include "remote_window.h"

using namespace e2e;

namespace {

// A short rest: it ends by itself.
constexpr unsigned kWork = 2;
constexpr unsigned kRest = 5;

BOOL CALLBACK collectMonitor(HMONITOR, HDC, LPRECT rect, LPARAM param) {
    reinterpret_cast<std::vector<RECT>*>(param)->push_back(*rect);
    return TRUE;
}

std::vector<RECT> monitors() {
    std::vector<RECT> out;
    ::EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&out));
    return out;
}

// A plain window of one colour over the middle of a monitor: what the user was working on.
class ColourWindow {
public:
    ColourWindow(const RECT& monitor, COLORREF colour) : m_brush(::CreateSolidBrush(colour)) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = m_brush;
        swprintf(m_class, 32, L"kivColour%06lx", static_cast<unsigned long>(colour));
        wc.lpszClassName = m_class;
        ::RegisterClassW(&wc);
        m_window = ::CreateWindowExW(0, m_class, L"work", WS_POPUP | WS_VISIBLE, monitor.left + 100, monitor.top + 100,
                                     monitor.right - monitor.left - 200, monitor.bottom - monitor.top - 200, nullptr,
                                     nullptr, wc.hInstance, nullptr);
        ::UpdateWindow(m_window);
    }
    ~ColourWindow() {
        ::DestroyWindow(m_window);
        ::UnregisterClassW(m_class, ::GetModuleHandleW(nullptr));  // its brush goes next
        ::DeleteObject(m_brush);
    }
    ColourWindow(const ColourWindow&) = delete;
    ColourWindow& operator=(const ColourWindow&) = delete;
    HWND get() const { return m_window; }

private:
    HBRUSH m_brush;
    wchar_t m_class[32] = {};
    HWND m_window = nullptr;
};

void pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// The screen's colour at a point, as shown now.
COLORREF screenPixel(POINT at) {
    HDC screen = ::GetDC(nullptr);
    const COLORREF colour = ::GetPixel(screen, at.x, at.y);
    ::ReleaseDC(nullptr, screen);
    return colour;
}

// Points in the upper half of a monitor: inside the colour window, clear of the rest's
// text in the middle and the corner.
std::vector<POINT> samplePoints(const RECT& monitor) {
    const LONG w = monitor.right - monitor.left;
    const LONG h = monitor.bottom - monitor.top;
    return {{monitor.left + w / 4, monitor.top + h / 4},
            {monitor.left + w / 2, monitor.top + h / 3},
            {monitor.left + 3 * w / 4, monitor.top + h / 4}};
}

// Every sample point of `monitor` shows `colour`, within `timeoutMs` (painting is not instant).
bool monitorShows(const RECT& monitor, COLORREF colour, DWORD timeoutMs) {
    return waitFor(
        [&] {
            pump();
            for (POINT p : samplePoints(monitor))
                if (screenPixel(p) != colour) return false;
            return true;
        },
        timeoutMs);
}

TEST(TwoMonitorsE2E, ARestCoversBothMonitorsAndGivesBothBack) {
    const std::vector<RECT> desk = monitors();
    ASSERT_EQ(desk.size(), 2u) << "this test needs the two-monitor desk of scripts/two-monitor-run";
    ASSERT_EQ(::GetSystemMetrics(SM_CMONITORS), 2);

    const COLORREF colours[2] = {RGB(0, 0, 255), RGB(0, 160, 0)};
    ColourWindow first(desk[0], colours[0]);
    ColourWindow second(desk[1], colours[1]);
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(monitorShows(desk[i], colours[i], 5000)) << "monitor " << i << " does not show its window";

    KivTool app({kWork, kRest, 1});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start());
    const DWORD waited = ::GetTickCount();
    ASSERT_TRUE(waitFor([&] { return app.restWindow() != nullptr; }, (kWork + 10) * 1000)) << "no rest window";
    std::printf("rest window after %lu ms\n", static_cast<unsigned long>(::GetTickCount() - waited));
    // How soon is the benchmark's question (make bench-win); here only that both are covered.
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(monitorShows(desk[i], RGB(0, 0, 0), 5000)) << "monitor " << i << " is not covered in black";

    ASSERT_TRUE(waitFor([&] { return app.restWindow() == nullptr; }, (kRest + 5) * 1000)) << "the rest did not end";
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(monitorShows(desk[i], colours[i], 3000)) << "monitor " << i << " did not come back";
    EXPECT_TRUE(app.command(kCommandExit));
    EXPECT_TRUE(app.waitForExit(5000));
}

TEST(TwoMonitorsE2E, AtTheOfficeEachMonitorShowsItsOwnFrozenPicture) {
    const std::vector<RECT> desk = monitors();
    ASSERT_EQ(desk.size(), 2u) << "this test needs the two-monitor desk of scripts/two-monitor-run";
    const COLORREF colours[2] = {RGB(0, 0, 255), RGB(0, 160, 0)};
    ColourWindow first(desk[0], colours[0]);
    auto second = std::make_unique<ColourWindow>(desk[1], colours[1]);
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(monitorShows(desk[i], colours[i], 5000)) << "monitor " << i;

    KivTool app({kWork, kRest, 0});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(waitFor([&] { return app.restWindow() != nullptr; }, (kWork + 10) * 1000)) << "no rest window";
    ::Sleep(500);
    // What lies under the covers changes; the pictures do not.
    second.reset();
    ::ShowWindow(first.get(), SW_HIDE);
    ::Sleep(500);
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(monitorShows(desk[i], colours[i], 1000)) << "monitor " << i << " does not show its frozen picture";

    ASSERT_TRUE(waitFor([&] { return app.restWindow() == nullptr; }, (kRest + 5) * 1000)) << "the rest did not end";
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(waitFor([&] { pump(); return screenPixel(samplePoints(desk[i])[0]) != colours[i]; }, 3000))
            << "monitor " << i << " still shows the frozen picture";
    EXPECT_TRUE(app.command(kCommandExit));
    EXPECT_TRUE(app.waitForExit(5000));
}

}  // namespace
