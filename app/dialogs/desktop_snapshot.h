// The picture of the primary screen that the office-mode rest window shows, so the screen
// looks frozen for the length of the rest.
#pragma once

#include <windows.h>

#include "framework/handles.h"

namespace kiv {

// A screen-compatible bitmap as large as the desktop window's client area holding what the
// screen shows now; empty when the bitmap cannot be created.
fw::Bitmap takeDesktopSnapshot();

// Copies `area` of `snapshot` one to one onto the same place of `dc`. False (nothing drawn)
// without a snapshot.
bool drawSnapshot(HDC dc, HBITMAP snapshot, const RECT& area);

}  // namespace kiv
