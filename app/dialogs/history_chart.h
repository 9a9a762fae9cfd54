// Drawing the history window's content with GDI, every length scaled by the context's
// DPI / 96 and the text in the Song face.
#pragma once

#include <windows.h>

#include "history_model.h"

namespace history {

constexpr wchar_t kNoRestToday[] = L"今天还没有休息记录";
constexpr wchar_t kNoHistory[] = L"还没有休息记录";

// Fills `client` and draws the bars, the marks, today's list and the week's totals.
void drawHistory(HDC dc, const RECT& client, const Overview& overview);

}  // namespace history
