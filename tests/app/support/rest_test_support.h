// Fakes and probes shared by the rest-screen tests: a recording sound component, recorders
// for the monitor broadcast and the hot-key registration, a memory canvas to paint on, and
// a window that counts the unlock messages it receives.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "dialogs/screen_colours.h"
#include "framework/dialog.h"
#include "framework/handles.h"
#include "isound.h"
#include "kivtool_app.h"
#include "messages.h"
#include "platform_calls.h"
#include "recording_sound.h"
#include "resource.h"
#include "sound_holder.h"
#include "test_support.h"

namespace rest_test {

using test::RecordingSound;

// Holds `sound` (or nothing) in g_pSound while alive.
class SoundScope {
public:
    explicit SoundScope(ISound* sound) { g_pSound.reset(sound); }
    ~SoundScope() { g_pSound.reset(nullptr); }
    SoundScope(const SoundScope&) = delete;
    SoundScope& operator=(const SoundScope&) = delete;
};

struct Posted {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Records the monitor broadcasts instead of posting them.
class BroadcastRecorder {
public:
    BroadcastRecorder() : m_previous(platform::setBroadcastFunction(&record)) { posted().clear(); }
    ~BroadcastRecorder() { platform::setBroadcastFunction(m_previous); }
    BroadcastRecorder(const BroadcastRecorder&) = delete;
    BroadcastRecorder& operator=(const BroadcastRecorder&) = delete;

    static std::vector<Posted>& posted() {
        static std::vector<Posted> list;
        return list;
    }
    // The lParam of each broadcast: 2 off, -1 on.
    static std::vector<LPARAM> states() {
        std::vector<LPARAM> out;
        for (const Posted& p : posted()) out.push_back(p.lParam);
        return out;
    }

private:
    static BOOL WINAPI record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        posted().push_back({window, message, wParam, lParam});
        return TRUE;
    }
    platform::PostMessageFunction m_previous;
};

// Records the display wake-ups instead of making them, as text: "execution state 0x2",
// "mouse 0,0 flags 0x1".
class WakeRecorder {
public:
    WakeRecorder()
        : m_previousState(platform::setExecutionStateFunction(&recordState)),
          m_previousInput(platform::setSendInputFunction(&recordInput)) {
        calls().clear();
    }
    ~WakeRecorder() {
        platform::setExecutionStateFunction(m_previousState);
        platform::setSendInputFunction(m_previousInput);
    }
    WakeRecorder(const WakeRecorder&) = delete;
    WakeRecorder& operator=(const WakeRecorder&) = delete;

    static std::vector<std::string>& calls() {
        static std::vector<std::string> list;
        return list;
    }

private:
    static EXECUTION_STATE WINAPI recordState(EXECUTION_STATE flags) {
        char text[64];
        std::snprintf(text, sizeof text, "execution state 0x%lx", static_cast<unsigned long>(flags));
        calls().push_back(text);
        return ES_SYSTEM_REQUIRED;
    }
    static UINT WINAPI recordInput(UINT count, INPUT* inputs, int size) {
        for (UINT i = 0; i < count; ++i) {
            char text[64] = "not a mouse input";
            if (size == sizeof(INPUT) && inputs[i].type == INPUT_MOUSE)
                std::snprintf(text, sizeof text, "mouse %ld,%ld flags 0x%lx", inputs[i].mi.dx, inputs[i].mi.dy,
                              static_cast<unsigned long>(inputs[i].mi.dwFlags));
            calls().push_back(text);
        }
        return count;
    }
    platform::ExecutionStateFunction m_previousState;
    platform::SendInputFunction m_previousInput;
};

// Whether `window` is (or becomes) shown or hidden as asked. The taskbars are shown and
// hidden asynchronously and belong to the shell's process, which does it in its own time.
inline bool becomesVisible(HWND window, bool visible) {
    for (int i = 0; i < 200 && (::IsWindowVisible(window) != FALSE) != visible; ++i) {
        test::pumpMessages();
        ::Sleep(10);
    }
    return (::IsWindowVisible(window) != FALSE) == visible;
}

// What ending a rest with the monitor off asks for, after the "on" broadcast.
inline std::vector<std::string> displayWake() { return {"execution state 0x2", "mouse 0,0 flags 0x1"}; }

// Visible windows of the class the shell gives the taskbar of each further monitor, made in
// this process while alive.
class SecondaryTaskbars {
public:
    explicit SecondaryTaskbars(int count) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        ::RegisterClassW(&wc);  // fails harmlessly when an earlier test registered it
        for (int i = 0; i < count; ++i)
            m_windows.push_back(::CreateWindowExW(WS_EX_TOOLWINDOW, kClass, L"", WS_POPUP | WS_VISIBLE, 0, 760 - 40 * i,
                                                  200, 40, nullptr, nullptr, wc.hInstance, nullptr));
    }
    ~SecondaryTaskbars() {
        for (HWND w : m_windows) ::DestroyWindow(w);
    }
    SecondaryTaskbars(const SecondaryTaskbars&) = delete;
    SecondaryTaskbars& operator=(const SecondaryTaskbars&) = delete;

    bool allCreated() const {
        for (HWND w : m_windows)
            if (!w) return false;
        return !m_windows.empty();
    }
    int visibleCount() const {
        int n = 0;
        for (HWND w : m_windows) n += ::IsWindowVisible(w) ? 1 : 0;
        return n;
    }
    int count() const { return static_cast<int>(m_windows.size()); }
    void hide() {
        for (HWND w : m_windows) ::ShowWindow(w, SW_HIDE);
    }

private:
    static constexpr const wchar_t* kClass = L"Shell_SecondaryTrayWnd";
    std::vector<HWND> m_windows;
};

struct HotKeyCall {
    bool isRegister;
    HWND window;
    int id;
    UINT modifiers;
    UINT key;
};

// Records hot-key registrations and answers `registerResult`.
class HotKeyRecorder {
public:
    explicit HotKeyRecorder(BOOL registerResult = TRUE)
        : m_previousRegister(platform::setRegisterHotKeyFunction(&recordRegister)),
          m_previousUnregister(platform::setUnregisterHotKeyFunction(&recordUnregister)) {
        calls().clear();
        result() = registerResult;
    }
    ~HotKeyRecorder() {
        platform::setRegisterHotKeyFunction(m_previousRegister);
        platform::setUnregisterHotKeyFunction(m_previousUnregister);
    }
    HotKeyRecorder(const HotKeyRecorder&) = delete;
    HotKeyRecorder& operator=(const HotKeyRecorder&) = delete;

    static std::vector<HotKeyCall>& calls() {
        static std::vector<HotKeyCall> list;
        return list;
    }

private:
    static BOOL& result() {
        static BOOL value = TRUE;
        return value;
    }
    static BOOL WINAPI recordRegister(HWND window, int id, UINT modifiers, UINT key) {
        calls().push_back({true, window, id, modifiers, key});
        return result();
    }
    static BOOL WINAPI recordUnregister(HWND window, int id) {
        calls().push_back({false, window, id, 0, 0});
        return TRUE;
    }
    platform::RegisterHotKeyFunction m_previousRegister;
    platform::UnregisterHotKeyFunction m_previousUnregister;
};

// Makes the rest screens see a high-contrast theme on or off while alive.
class HighContrastScope {
public:
    explicit HighContrastScope(bool on) : m_previous(rest::setHighContrastFunction(on ? &yes : &no)) {}
    ~HighContrastScope() { rest::setHighContrastFunction(m_previous); }
    HighContrastScope(const HighContrastScope&) = delete;
    HighContrastScope& operator=(const HighContrastScope&) = delete;

private:
    static bool yes() { return true; }
    static bool no() { return false; }
    rest::HighContrastFunction m_previous;
};

// Whether a theme change (WM_SYSCOLORCHANGE, WM_SETTINGCHANGE) sent to `window` leaves it
// to be painted again, each checked from a validated window.
inline bool repaintsOnThemeChange(HWND window) {
    for (UINT message : {WM_SYSCOLORCHANGE, WM_SETTINGCHANGE}) {
        ::ValidateRect(window, nullptr);
        ::SendMessageW(window, message, message == WM_SETTINGCHANGE ? SPI_SETHIGHCONTRAST : 0, 0);
        if (!::GetUpdateRect(window, nullptr, FALSE)) return false;
    }
    return true;
}

// theApp's mode for one test.
class ModeScope {
public:
    explicit ModeScope(bool homeMode) : m_saved(theApp.m_settings.homeMode) { theApp.m_settings.homeMode = homeMode; }
    ~ModeScope() { theApp.m_settings.homeMode = m_saved; }
    ModeScope(const ModeScope&) = delete;
    ModeScope& operator=(const ModeScope&) = delete;

private:
    bool m_saved;
};

// A 32-bit memory bitmap to paint on and read back.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height), m_dc(::CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap.reset(::CreateDIBSection(m_dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        m_bits = static_cast<const DWORD*>(bits);
        m_old = ::SelectObject(m_dc.get(), m_bitmap.get());
        fill(RGB(0, 128, 0));
    }
    ~Canvas() { ::SelectObject(m_dc.get(), m_old); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return m_dc.get(); }
    RECT rect() const { return RECT{0, 0, m_width, m_height}; }
    void fill(COLORREF colour) {
        fw::Brush brush(::CreateSolidBrush(colour));
        RECT r = rect();
        ::FillRect(m_dc.get(), &r, brush.get());
    }
    // Call flush() after drawing, before reading pixels.
    void flush() const { ::GdiFlush(); }
    COLORREF pixel(int x, int y) const {
        const DWORD v = m_bits[y * m_width + x];  // 0x00RRGGBB
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    // The bounding box of the reddish pixels (the text, antialiased edges included);
    // empty when there are none.
    RECT redBounds() const {
        flush();
        RECT box{m_width, m_height, 0, 0};
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) {
                const COLORREF c = pixel(x, y);
                if (GetRValue(c) < 128 || GetGValue(c) > 100 || GetBValue(c) > 100) continue;
                box.left = x < box.left ? x : box.left;
                box.top = y < box.top ? y : box.top;
                box.right = x + 1 > box.right ? x + 1 : box.right;
                box.bottom = y + 1 > box.bottom ? y + 1 : box.bottom;
            }
        if (box.right == 0) return RECT{0, 0, 0, 0};
        return box;
    }
    // What the screen shows of `area` once it has settled: Wine hands a window's painting to
    // the X server a moment later, so a capture right after a repaint may miss its last
    // strokes. Captures until two in a row agree (at most about two seconds).
    void captureSettledScreen(const RECT& area) {
        Canvas previous(m_width, m_height);
        fw::WindowDC screen(nullptr);
        for (int attempt = 0; attempt < 80; ++attempt) {
            ::BitBlt(previous.dc(), 0, 0, m_width, m_height, m_dc.get(), 0, 0, SRCCOPY);
            ::BitBlt(m_dc.get(), 0, 0, m_width, m_height, screen.get(), area.left, area.top, SRCCOPY);
            flush();
            if (attempt > 0 && std::equal(m_bits, m_bits + m_width * m_height, previous.m_bits)) return;
            ::Sleep(25);
        }
    }
    int count(COLORREF colour) const {
        flush();
        int n = 0;
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) n += pixel(x, y) == colour;
        return n;
    }

private:
    int m_width;
    int m_height;
    fw::MemoryDC m_dc;
    fw::Bitmap m_bitmap;
    const DWORD* m_bits = nullptr;
    HGDIOBJ m_old = nullptr;
};

// The top-level windows of class `className`.
inline std::vector<HWND> windowsOfClass(const wchar_t* className) {
    std::vector<HWND> found;
    for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, className, nullptr)) != nullptr;) found.push_back(w);
    return found;
}

// Stands in for the main dialog where only its window matters: counts WM_REST_UNLOCKED.
class UnlockCounter : public CDialog {
public:
    UnlockCounter() : CDialog(IDD_PREVIOUS_NOTIFY_DIALOG) {}
    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == WM_REST_UNLOCKED) {
            ++unlocked;
            result = 0;
            return true;
        }
        return CDialog::WindowProc(message, wParam, lParam, result);
    }
    int unlocked = 0;
};

}  // namespace rest_test
