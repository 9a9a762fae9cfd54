#include "dialogs/red_text.h"

#include "dialogs/screen_colours.h"
#include "framework/dpi.h"

namespace rest {

std::wstring restTimeText(const kiv::TimeCount& length, const kiv::TimeCount& elapsed) {
    const kiv::String text = (length - elapsed).durationText();
    return std::wstring(text.c_wstr(), text.length());
}

fw::Font createRedTextFont(UINT dpi) { return fw::createPointFontForDpi(200, L"Courier New", dpi); }

POINT textOrigin(const RECT& client, SIZE size, TextPlace place, UINT dpi) {
    const LONG spareX = client.right - size.cx - client.left;
    const LONG spareY = client.bottom - size.cy - client.top;
    if (place == TextPlace::Centre) return POINT{spareX / 2, spareY / 2};
    const LONG margin = fw::scaleLength(10, dpi);
    return POINT{spareX - margin, spareY - margin};
}

void drawRedText(HDC dc, HFONT font, const RECT& client, const std::wstring& text, TextPlace place, UINT dpi) {
    fw::SelectedObject selected(dc, font);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    const POINT at = textOrigin(client, size, place, dpi);
    const Palette palette = currentPalette();
    // In a high-contrast theme the text brings its own background, so it stays readable over
    // the office mode's picture too.
    ::SetBkMode(dc, palette.highContrast ? OPAQUE : TRANSPARENT);
    ::SetBkColor(dc, palette.background);
    ::SetTextColor(dc, palette.text);
    ::TextOutW(dc, at.x, at.y, text.c_str(), static_cast<int>(text.size()));
}

}  // namespace rest
