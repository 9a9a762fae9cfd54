#include "framework/dpi.h"

#include <cwchar>

namespace fw {

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

// Looked up at run time: a program linked against it would not start on Windows 7 or 8.
// The lookup is cheap next to what a DPI is asked for (a window laid out or a font made).
GetDpiForWindowFunction getDpiForWindow() {
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<GetDpiForWindowFunction>(
                        reinterpret_cast<void*>(::GetProcAddress(user32, "GetDpiForWindow")))
                  : nullptr;
}

}  // namespace

UINT systemDpi() {
    WindowDC screen(nullptr);
    const int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

UINT dpiForWindow(HWND window) {
    if (GetDpiForWindowFunction function = getDpiForWindow()) {
        if (const UINT dpi = window ? function(window) : 0) return dpi;
    }
    return systemDpi();
}

int scaleLength(int length, UINT dpi) { return ::MulDiv(length, static_cast<int>(dpi), kDefaultDpi); }

Font createPointFontForDpi(int pointSizeTenths, const wchar_t* face, UINT dpi) {
    LOGFONTW lf{};
    lf.lfHeight = -::MulDiv(static_cast<int>(dpi), pointSizeTenths, 720);
    lf.lfCharSet = DEFAULT_CHARSET;
    if (face) wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return Font(::CreateFontIndirectW(&lf));
}

}  // namespace fw
