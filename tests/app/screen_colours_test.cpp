// The rest screens' and the history window's colours as a high-contrast theme turns on and off.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include <windows.h>

#include "history/history_chart.h"
#include "history/history_colours.h"
#include "history/history_dlg.h"
#include "dialogs/screen_colours.h"
#include "rest_test_support.h"
#include "scratch_folder.h"

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

// The history window's colours in the usual theme.
const COLORREF kChartColours[] = {
    RGB(255, 255, 255), RGB(0, 0, 0),     RGB(120, 120, 120), RGB(225, 225, 225),  // background, text, muted, grid
    RGB(91, 123, 176),  RGB(67, 160, 71), RGB(211, 47, 47),   RGB(255, 246, 214),  // work, rest, cut short, today
};

TEST(ChartPalette, UsualColoursUnlessAHighContrastThemeGivesWorkAndCutMarksTheirOwn) {
    const history::ChartSystemColours white{RGB(255, 255, 255), RGB(0, 0, 0), RGB(109, 109, 109),
                                            RGB(0, 120, 215), RGB(0, 102, 204)};
    const history::ChartSystemColours black{RGB(0, 0, 0), RGB(255, 255, 255), RGB(63, 242, 63),
                                            RGB(26, 235, 255), RGB(255, 255, 0)};
    using P = history::ChartPalette;
    const struct {
        bool highContrast;
        history::ChartSystemColours system;
        P expected;
    } rows[] = {
        {false, black, {kChartColours[0], kChartColours[1], kChartColours[2], kChartColours[3], kChartColours[4],
                        kChartColours[5], kChartColours[6], kChartColours[7]}},
        {true, white, {white.window, white.windowText, white.grayText, white.grayText, white.highlight,
                       white.windowText, white.hotLight, white.window}},
        {true, black, {black.window, black.windowText, black.grayText, black.grayText, black.highlight,
                       black.windowText, black.hotLight, black.window}},
    };
    for (const auto& row : rows) {
        const P got = history::chartPalette(row.highContrast, row.system);
        const P& want = row.expected;
        const COLORREF pairs[][2] = {{got.background, want.background}, {got.text, want.text},
                                     {got.muted, want.muted},           {got.grid, want.grid},
                                     {got.work, want.work},             {got.rest, want.rest},
                                     {got.cutShort, want.cutShort},     {got.todayBand, want.todayBand}};
        for (const auto& pair : pairs) EXPECT_EQ(pair[0], pair[1]) << row.highContrast << " " << &pair - pairs;
        // The three kinds of mark stay apart from each other and from the background.
        EXPECT_NE(got.work, got.rest);
        EXPECT_NE(got.rest, got.cutShort);
        EXPECT_NE(got.work, got.background);
        EXPECT_NE(got.rest, got.background);
        EXPECT_NE(got.cutShort, got.background);
    }
}

// Fourteen days with work, rests and cut-short marks, today last.
history::Overview busyFortnight() {
    history::Overview overview;
    for (int day = 0; day < 14; ++day) {
        history::DayBar bar;
        bar.label = kiv::String(L"1/15");
        bar.worked = 3600u * static_cast<uint32_t>(1 + day % 4);
        bar.rested = 900u * static_cast<uint32_t>(1 + day % 3);
        bar.cutShort = static_cast<unsigned>(day % 3);
        bar.isToday = day == 13;
        overview.bars.push_back(bar);
    }
    return overview;
}

TEST(HistoryChart, DrawsInItsOwnColoursUnlessAHighContrastThemeIsOn) {
    const history::Overview overview = busyFortnight();
    {
        rest_test::HighContrastScope contrast(false);
        rest_test::Canvas canvas(640, 400);
        history::drawHistory(canvas.dc(), canvas.rect(), overview, 96);
        canvas.flush();
        EXPECT_EQ(canvas.pixel(1, 1), RGB(255, 255, 255));
        for (COLORREF colour : kChartColours) EXPECT_GT(canvas.count(colour), 0) << std::hex << colour;
    }
    rest_test::HighContrastScope contrast(true);
    rest_test::Canvas canvas(640, 400);
    history::drawHistory(canvas.dc(), canvas.rect(), overview, 96);
    canvas.flush();
    EXPECT_EQ(canvas.pixel(1, 1), ::GetSysColor(COLOR_WINDOW));
    EXPECT_GT(canvas.count(::GetSysColor(COLOR_HIGHLIGHT)), 0);  // the work bars
    EXPECT_GT(canvas.count(::GetSysColor(COLOR_HOTLIGHT)), 0);   // the cut-short marks
    // A usual colour that the theme shares (the default theme's white window) proves nothing,
    // nor does a grey: the smoothed edges of black text on white hold them all.
    const COLORREF theme[] = {::GetSysColor(COLOR_WINDOW), ::GetSysColor(COLOR_WINDOWTEXT),
                              ::GetSysColor(COLOR_GRAYTEXT), ::GetSysColor(COLOR_HIGHLIGHT),
                              ::GetSysColor(COLOR_HOTLIGHT)};
    for (COLORREF colour : kChartColours) {
        if (std::find(std::begin(theme), std::end(theme), colour) != std::end(theme)) continue;
        if (GetRValue(colour) == GetGValue(colour) && GetGValue(colour) == GetBValue(colour)) continue;
        EXPECT_EQ(canvas.count(colour), 0) << std::hex << colour;
    }
}

// The window's DPI sets the text and the margins, not the context's (a memory context is
// always at the system DPI): at 150% the same days take more ink and start further in.
TEST(HistoryChart, DrawsAtTheWindowsDpiNotTheSystems) {
    const history::Overview overview = busyFortnight();
    rest_test::HighContrastScope contrast(false);
    const COLORREF text = kChartColours[1];
    struct Drawn {
        int textPixels;
        int firstInkRow;
    };
    auto draw = [&](UINT dpi) {
        rest_test::Canvas canvas(900, 600);
        history::drawHistory(canvas.dc(), canvas.rect(), overview, dpi);
        canvas.flush();
        int firstInkRow = -1;
        for (int y = 0; y < 600 && firstInkRow < 0; ++y)
            for (int x = 0; x < 900; ++x)
                if (canvas.pixel(x, y) != RGB(255, 255, 255)) {
                    firstInkRow = y;
                    break;
                }
        return Drawn{canvas.count(text), firstInkRow};
    };
    const Drawn at100 = draw(96), at150 = draw(144);
    EXPECT_GT(at150.textPixels, at100.textPixels * 3 / 2);
    EXPECT_GT(at150.firstInkRow, at100.firstInkRow);
}

TEST(HistoryChart, WindowPaintsAgainWhenTheThemeChanges) {
    test::ScratchFolder profile;
    const HWND window = CHistoryDlg::Open(nullptr, test::toKiv(profile.path()), kiv::Time());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(rest_test::repaintsOnThemeChange(window));
    ::DestroyWindow(window);
    EXPECT_EQ(CHistoryDlg::Current(), nullptr);
}

}  // namespace
