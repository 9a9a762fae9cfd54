// The large red text of the rest window and the pre-rest notice: what it says, where it
// stands and in which colours. Shared by both windows, which draw it alike.
#pragma once

#include <windows.h>

#include <string>

#include "framework/handles.h"
#include "kiv/time_kiv.h"

namespace rest {

// The rest window's text: the duration text of length - elapsed ('4 minutes,59 seconds').
// An elapsed time beyond the length reads as '0 seconds', never as a wrapped count.
std::wstring restTimeText(const kiv::TimeCount& length, const kiv::TimeCount& elapsed);

enum class TextPlace {
    Centre,       // centred in the client area
    BottomRight,  // 10 pixels (at 96 DPI) in from the right and bottom edges
};

// "Courier New" at 20 points for a screen of `dpi`: height -27 at 96 DPI.
fw::Font createRedTextFont(UINT dpi);

// Where text of `size` starts in `client` (a client area starting at 0,0) at `place`, on a
// screen of `dpi`: integer arithmetic, truncating toward zero. Every monitor's cover uses
// it over its own client area, so the time stands at the same relative place on each.
POINT textOrigin(const RECT& client, SIZE size, TextPlace place, UINT dpi);

// Draws `text` with `font` at its place in `client`: in RGB(255,0,0) on a transparent
// background, or with a high-contrast theme on, in the theme's window text on its window
// colour (screen_colours.h).
void drawRedText(HDC dc, HFONT font, const RECT& client, const std::wstring& text, TextPlace place, UINT dpi);

}  // namespace rest
