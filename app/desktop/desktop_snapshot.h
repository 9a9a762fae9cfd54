// The pictures of the screens that the office-mode rest window and its monitor covers
// show, so every screen looks frozen for the length of the rest.
#pragma once

#include <windows.h>

#include "framework/handles.h"

namespace rest {

// A screen-compatible bitmap as large as the desktop window's client area holding what the
// screen shows now; empty when the bitmap cannot be created.
fw::Bitmap takeDesktopSnapshot();
// The same for `area` of the virtual screen (one monitor's rectangle), in physical pixels.
fw::Bitmap takeScreenSnapshot(const RECT& area);

// Copies the part of `snapshot` behind `area` onto `dc`, one to one. `origin` is where the
// context's (0,0) lies in the snapshot (on the screen, for the primary monitor's), so the picture lines up with what it froze even inside
// a window's border. False (nothing drawn) without a snapshot.
bool drawSnapshot(HDC dc, HBITMAP snapshot, const RECT& area, POINT origin);

}  // namespace rest
