// The large red text of the rest window and the pre-rest notice: what it says and where it
// stands. Shared by both windows, which draw it alike.
#pragma once

#include <windows.h>

#include <string>

#include "kiv/time_kiv.h"

namespace rest {

// The rest window's text: the duration text of length - elapsed ('4 minutes,59 seconds').
// An elapsed time beyond the length reads as '0 seconds', never as a wrapped count.
std::wstring restTimeText(const kiv::TimeCount& length, const kiv::TimeCount& elapsed);

enum class TextPlace {
    Centre,       // centred in the client area
    BottomRight,  // 10 pixels in from the right and bottom edges
};

// Draws `text` in RGB(255,0,0) with `font` on a transparent background at its place in
// `client` (integer arithmetic, truncating toward zero).
void drawRedText(HDC dc, HFONT font, const RECT& client, const std::wstring& text, TextPlace place);

}  // namespace rest
