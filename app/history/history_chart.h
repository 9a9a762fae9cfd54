// Drawing the history window's content with GDI, every length scaled by the context's
// DPI / 96 and the text in the face the language's strings name (the Song face in Chinese),
// in the colours of history_colours.h.
#pragma once

#include <windows.h>

#include "history/history_model.h"

namespace history {

// Fills `client` and draws the bars, the marks, today's list and the week's totals.
void drawHistory(HDC dc, const RECT& client, const Overview& overview);

}  // namespace history
