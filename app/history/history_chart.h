// Drawing the history window's content with GDI, every length and the font scaled by the
// window's DPI / 96 (the monitor's, not the system's: a 150% laptop beside a 100% screen) and the text in the face the language's strings name (the Song face in Chinese),
// in the colours of history_colours.h.
#pragma once

#include <windows.h>

#include "history/history_model.h"

namespace history {

// Fills `client` and draws the bars, the marks, today's list and the week's totals, for a
// window shown at `dpi`.
void drawHistory(HDC dc, const RECT& client, const Overview& overview, UINT dpi);

}  // namespace history
