#include "dialogs/screen_colours.h"

#include "framework/handles.h"

namespace rest {
namespace {

bool systemHighContrast() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

HighContrastFunction g_highContrast = &systemHighContrast;

}  // namespace

Palette restPalette(bool highContrast, const SystemColours& system) {
    if (highContrast) return Palette{true, system.windowText, system.window};
    return Palette{false, RGB(255, 0, 0), RGB(0, 0, 0)};
}

HighContrastFunction setHighContrastFunction(HighContrastFunction fn) {
    const HighContrastFunction previous = g_highContrast;
    g_highContrast = fn ? fn : &systemHighContrast;
    return previous;
}

bool isHighContrastOn() { return g_highContrast(); }

Palette currentPalette() {
    return restPalette(isHighContrastOn(), SystemColours{::GetSysColor(COLOR_WINDOW), ::GetSysColor(COLOR_WINDOWTEXT)});
}

void fillBackground(HDC dc, const RECT& rect, const Palette& palette) {
    // The stock brush for the usual black, as it always was; a brush of the theme's colour
    // otherwise.
    if (!palette.highContrast) {
        ::FillRect(dc, &rect, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        return;
    }
    fw::Brush brush(::CreateSolidBrush(palette.background));
    ::FillRect(dc, &rect, brush.get());
}

}  // namespace rest
