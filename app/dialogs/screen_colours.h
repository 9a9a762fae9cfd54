// The colours of the rest screens' own drawing (rest window, covers of further monitors,
// pre-rest notice): red on black as always, or, while Windows runs a high-contrast theme,
// the theme's window text on its window background.
#pragma once

#include <windows.h>

namespace rest {

struct SystemColours {
    COLORREF window;      // COLOR_WINDOW
    COLORREF windowText;  // COLOR_WINDOWTEXT
};

struct Palette {
    bool highContrast;
    COLORREF text;
    COLORREF background;  // of the fill, and behind the text when it stands on a picture
};

// The decision, without a window: the theme's pair when `highContrast`, else red on black.
Palette restPalette(bool highContrast, const SystemColours& system);

// Whether a high-contrast theme is on: the system's answer (SPI_GETHIGHCONTRAST) unless a
// test installed its own. The setter returns the function it replaces; null restores the
// system's.
using HighContrastFunction = bool (*)();
HighContrastFunction setHighContrastFunction(HighContrastFunction fn);
bool isHighContrastOn();

// The palette for drawing now: read at every paint, so a theme switched during a rest
// shows at the next repaint.
Palette currentPalette();

// Fills `rect` with the palette's background.
void fillBackground(HDC dc, const RECT& rect, const Palette& palette);

}  // namespace rest
