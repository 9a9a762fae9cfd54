// The rest screens' colours as a high-contrast theme turns on and off.
#include <gtest/gtest.h>

#include <windows.h>

#include "dialogs/screen_colours.h"

namespace {

TEST(RestPalette, RedOnBlackUnlessAHighContrastThemeGivesItsWindowColours) {
    const rest::SystemColours yellowOnNavy{RGB(0, 0, 128), RGB(255, 255, 0)};
    const rest::SystemColours blackOnWhite{RGB(255, 255, 255), RGB(0, 0, 0)};
    const struct {
        bool highContrast;
        rest::SystemColours system;
        COLORREF text, background;
    } rows[] = {
        {false, yellowOnNavy, RGB(255, 0, 0), RGB(0, 0, 0)},  // the theme's colours count only when it is on
        {false, blackOnWhite, RGB(255, 0, 0), RGB(0, 0, 0)},
        {true, yellowOnNavy, RGB(255, 255, 0), RGB(0, 0, 128)},
        {true, blackOnWhite, RGB(0, 0, 0), RGB(255, 255, 255)},
    };
    for (const auto& row : rows) {
        const rest::Palette palette = rest::restPalette(row.highContrast, row.system);
        EXPECT_EQ(palette.highContrast, row.highContrast);
        EXPECT_EQ(palette.text, row.text) << std::hex << palette.text;
        EXPECT_EQ(palette.background, row.background) << std::hex << palette.background;
    }
}

}  // namespace
