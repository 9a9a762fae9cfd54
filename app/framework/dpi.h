// Display scale: the DPI a window is shown at and lengths scaled to it. Windows before 10
// (1607) have no per-window DPI; there the system DPI stands in, and 96 when even that
// cannot be read, so a length designed at 100% never comes out as zero.
#pragma once

#include <windows.h>

#include "framework/handles.h"

namespace fw {

constexpr UINT kDefaultDpi = 96;

// The DPI of the screen as a whole (LOGPIXELSY of the screen's context); 96 on failure.
UINT systemDpi();
// The DPI of the monitor `window` is on (GetDpiForWindow where Windows has it); the system
// DPI where it does not.
UINT dpiForWindow(HWND window);
// `length` pixels at 96 DPI as pixels at `dpi`, rounded to the nearest.
int scaleLength(int length, UINT dpi);
// A font of `pointSizeTenths` tenths of a point in `face` for a screen of `dpi`:
// height -MulDiv(dpi, pointSizeTenths, 720), DEFAULT_CHARSET, every other attribute zero.
Font createPointFontForDpi(int pointSizeTenths, const wchar_t* face, UINT dpi);

}  // namespace fw
