// The colours of the history window's chart: its own soft colours, or, while Windows runs
// a high-contrast theme, the theme's.
#pragma once

#include <windows.h>

namespace history {

// The theme colours the chart may take.
struct ChartSystemColours {
    COLORREF window;      // COLOR_WINDOW
    COLORREF windowText;  // COLOR_WINDOWTEXT
    COLORREF grayText;    // COLOR_GRAYTEXT
    COLORREF highlight;   // COLOR_HIGHLIGHT
    COLORREF hotLight;    // COLOR_HOTLIGHT
};

struct ChartPalette {
    COLORREF background;
    COLORREF text;
    COLORREF muted;      // the axis, the other days' labels, hints
    COLORREF grid;       // the lines across the chart and the dash of a day without records
    COLORREF work;       // the bars of work
    COLORREF rest;       // the bars of rest
    COLORREF cutShort;   // the marks and today's lines of rests left early
    COLORREF todayBand;  // behind today's column
};

// The decision, without a window: the usual colours, or, when `highContrast`, the theme's,
// with today's band left out (the background) and today's label standing out in the text colour.
ChartPalette chartPalette(bool highContrast, const ChartSystemColours& system);

// The palette for drawing now, read at every paint so that a theme switched while the
// window is open shows at the next repaint.
ChartPalette currentChartPalette();

}  // namespace history
