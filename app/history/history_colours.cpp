#include "history/history_colours.h"

#include "dialogs/screen_colours.h"

namespace history {

ChartPalette chartPalette(bool highContrast, const ChartSystemColours& system) {
    if (highContrast)
        return ChartPalette{system.window,    system.windowText, system.grayText, system.grayText,
                            system.highlight, system.windowText, system.hotLight, system.window};
    return ChartPalette{RGB(255, 255, 255), RGB(0, 0, 0),    RGB(120, 120, 120), RGB(225, 225, 225),
                        RGB(91, 123, 176),  RGB(67, 160, 71), RGB(211, 47, 47),   RGB(255, 246, 214)};
}

ChartPalette currentChartPalette() {
    const ChartSystemColours system{::GetSysColor(COLOR_WINDOW), ::GetSysColor(COLOR_WINDOWTEXT),
                                    ::GetSysColor(COLOR_GRAYTEXT), ::GetSysColor(COLOR_HIGHLIGHT),
                                    ::GetSysColor(COLOR_HOTLIGHT)};
    return chartPalette(rest::isHighContrastOn(), system);
}

}  // namespace history
