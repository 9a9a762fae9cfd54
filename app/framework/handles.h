// Owning holders for the Win32 handles the program uses: GDI objects, device contexts,
// menus, icons, kernel objects, hooks and registry keys. Each releases its handle with the one call that matches how it was
// obtained, so a handler that returns early (or throws) never leaks a handle.
#pragma once

#include <windows.h>

#include <utility>

namespace fw {

// A move-only owner of one handle; Traits::release frees it.
template <typename H, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : m_h(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : m_h(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    H get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    H release() { return std::exchange(m_h, nullptr); }
    void reset(H h = nullptr) {
        H old = std::exchange(m_h, h);
        if (old) Traits::release(old);
    }

private:
    H m_h = nullptr;
};

struct GdiObjectTraits { static void release(HGDIOBJ h) { ::DeleteObject(h); } };
struct MenuTraits { static void release(HMENU h) { ::DestroyMenu(h); } };
struct IconTraits { static void release(HICON h) { ::DestroyIcon(h); } };
struct MemoryDcTraits { static void release(HDC h) { ::DeleteDC(h); } };
struct KernelHandleTraits { static void release(HANDLE h) { ::CloseHandle(h); } };
struct HookTraits { static void release(HHOOK h) { ::UnhookWindowsHookEx(h); } };
struct RegistryKeyTraits { static void release(HKEY h) { ::RegCloseKey(h); } };

using Font = UniqueHandle<HFONT, GdiObjectTraits>;
using Brush = UniqueHandle<HBRUSH, GdiObjectTraits>;
using Bitmap = UniqueHandle<HBITMAP, GdiObjectTraits>;
using Menu = UniqueHandle<HMENU, MenuTraits>;
// Only for icons the program created or loaded without LR_SHARED; shared icons
// (LoadIconW) belong to the system and must not be destroyed.
using Icon = UniqueHandle<HICON, IconTraits>;
// A memory context from CreateCompatibleDC.
using MemoryDC = UniqueHandle<HDC, MemoryDcTraits>;
// A kernel object (mutex, event, process) closed with CloseHandle.
using KernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
// A hook from SetWindowsHookExW.
using Hook = UniqueHandle<HHOOK, HookTraits>;
// A key from RegOpenKeyExW.
using RegistryKey = UniqueHandle<HKEY, RegistryKeyTraits>;

// Selects an object into a context and puts the previous one back at scope end, so the
// object can be deleted afterwards (GDI refuses to delete a selected object).
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(::SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (m_old && m_old != HGDI_ERROR) ::SelectObject(m_dc, m_old);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// A window's (or with null, the screen's) context from GetDC, given back with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND wnd) : m_wnd(wnd), m_dc(::GetDC(wnd)) {}
    ~WindowDC() {
        if (m_dc) ::ReleaseDC(m_wnd, m_dc);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return m_dc; }

private:
    HWND m_wnd;
    HDC m_dc;
};

// The paint context of a WM_PAINT handler: BeginPaint in, EndPaint out.
class PaintDC {
public:
    explicit PaintDC(HWND wnd) : m_wnd(wnd), m_dc(::BeginPaint(wnd, &m_ps)) {}
    ~PaintDC() { ::EndPaint(m_wnd, &m_ps); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC get() const { return m_dc; }

private:
    HWND m_wnd;
    PAINTSTRUCT m_ps{};
    HDC m_dc;
};

// A font of `pointSizeTenths` tenths of a point in `face`, DEFAULT_CHARSET, every other
// attribute zero. The height is converted for `dc` (the screen when null):
// -MulDiv(LOGPIXELSY, pointSizeTenths, 720), which is -27 for 20 pt at 96 dpi.
Font createPointFont(int pointSizeTenths, const wchar_t* face, HDC dc = nullptr);

// Icon `id` of the program's resources at the given size (0, 0: the system's large
// icon size), owned by the caller.
Icon loadIcon(UINT id, int width = 0, int height = 0);

// Menu resource `id` of the program's resources, in the language of its windows.
Menu loadMenu(UINT id);

}  // namespace fw
