// The rest on every monitor: which monitors get a cover and where the time stands on each
// (plain rectangles), the covers the rest window lays and lays again when the monitors
// change (a desk of fake monitors), and the red text's size at each display scale.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "desktop/monitor_layout.h"
#include "dialogs/notify_dlg.h"
#include "dialogs/red_text.h"
#include "framework/winapp.h"
#include "framework/window_text.h"
#include "kivtool_dlg.h"
#include "rest_test_support.h"
#include "test_support.h"

namespace {

using rest::Monitor;
using rest::TextPlace;

bool sameRects(const std::vector<RECT>& a, const std::vector<RECT>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!::EqualRect(&a[i], &b[i])) return false;
    return true;
}

RECT clientOf(const RECT& monitor) { return RECT{0, 0, monitor.right - monitor.left, monitor.bottom - monitor.top}; }

TEST(MonitorLayout, EveryMonitorButThePrimaryGetsACoverWithTheTimeAtTheSamePlace) {
    const SIZE text{200, 27};
    struct Row {
        const char* desk;
        std::vector<Monitor> monitors;
        std::vector<RECT> covers;
        std::vector<POINT> centre;       // text origin on each cover, home mode
        std::vector<POINT> bottomRight;  // office mode
    };
    const Row rows[] = {
        {"one monitor", {{{0, 0, 1280, 800}, true}}, {}, {}, {}},
        {"two side by side",
         {{{0, 0, 1280, 800}, true}, {{1280, 0, 2560, 800}, false}},
         {{1280, 0, 2560, 800}},
         {{540, 386}},
         {{1070, 763}}},
        {"the second left of the primary, larger",
         {{{-1920, -280, 0, 800}, false}, {{0, 0, 1280, 800}, true}},
         {{-1920, -280, 0, 800}},
         {{860, 526}},
         {{1710, 1043}}},
        {"three of different sizes, the primary in the middle",
         {{{1280, 0, 2304, 768}, false}, {{0, 0, 1280, 800}, true}, {{-800, 0, 0, 600}, false}},
         {{1280, 0, 2304, 768}, {-800, 0, 0, 600}},
         {{412, 370}, {300, 286}},
         {{814, 731}, {590, 563}}},
        {"no monitor flagged: the one at 0,0 is the primary",
         {{{1280, 0, 2560, 800}, false}, {{0, 0, 1280, 800}, false}},
         {{1280, 0, 2560, 800}},
         {{540, 386}},
         {{1070, 763}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.desk);
        const std::vector<RECT> covers = rest::extraMonitorRects(row.monitors);
        ASSERT_TRUE(sameRects(covers, row.covers)) << covers.size() << " covers";
        for (size_t i = 0; i < covers.size(); ++i) {
            const POINT centre = rest::textOrigin(clientOf(covers[i]), text, TextPlace::Centre, 96);
            const POINT corner = rest::textOrigin(clientOf(covers[i]), text, TextPlace::BottomRight, 96);
            EXPECT_EQ(centre.x, row.centre[i].x) << "cover " << i;
            EXPECT_EQ(centre.y, row.centre[i].y) << "cover " << i;
            EXPECT_EQ(corner.x, row.bottomRight[i].x) << "cover " << i;
            EXPECT_EQ(corner.y, row.bottomRight[i].y) << "cover " << i;
        }
    }
}

TEST(RedText, GrowsWithTheDisplayScaleAndKeepsItsMarginInProportion) {
    rest_test::Canvas canvas(1200, 400);
    LONG previousHeight = 0;
    for (UINT dpi : {96u, 120u, 144u, 192u}) {
        SCOPED_TRACE(testing::Message() << dpi << " dpi");
        fw::Font font = rest::createRedTextFont(dpi);
        ASSERT_TRUE(font);
        canvas.fill(RGB(0, 0, 0));
        rest::drawRedText(canvas.dc(), font.get(), canvas.rect(), L"4 minutes,59 seconds", TextPlace::BottomRight, dpi);
        const RECT red = canvas.redBounds();
        ASSERT_FALSE(::IsRectEmpty(&red));
        const LONG height = red.bottom - red.top;
        EXPECT_GT(height, previousHeight);
        previousHeight = height;
        // 10 pixels at 96 dpi: the ink ends a little inside the text's cell.
        const LONG margin = ::MulDiv(10, dpi, 96);
        EXPECT_LE(red.right, 1200 - margin);
        EXPECT_GE(red.right, 1200 - margin - ::MulDiv(8, dpi, 96));
    }
    LOGFONTW at96{};
    fw::Font font = rest::createRedTextFont(96);
    ::GetObjectW(font.get(), sizeof at96, &at96);
    EXPECT_EQ(at96.lfHeight, -27) << "100%: the size it always had";
}

// A desk of fake monitors for the rest window: the primary is the real screen.
std::vector<Monitor>& fakeDesk() {
    static std::vector<Monitor> desk;
    return desk;
}
std::vector<Monitor> readFakeDesk() { return fakeDesk(); }

class TestApp : public CWinApp {};

class MonitorCoverTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = rest::setMonitorFunction(&readFakeDesk);
        ASSERT_TRUE(m_main.Create(IDD_PREVIOUS_NOTIFY_DIALOG));
        m_main.ShowWindow(SW_HIDE);
        m_app.m_pMainWnd = &m_main;
        m_owner.m_clock.m_restLength = 300;
    }
    void TearDown() override {
        close();
        m_app.m_pMainWnd = nullptr;
        m_main.DestroyWindow();
        test::pumpMessages();
        rest::setMonitorFunction(m_previous);
    }
    void setDesk(std::vector<RECT> extra) {
        fakeDesk() = {{{0, 0, 1280, 800}, true}};
        for (const RECT& r : extra) fakeDesk().push_back({r, false});
    }
    CNotifyDlg* open() {
        m_dlg = new CNotifyDlg(&m_owner);
        if (!m_dlg->Create(CNotifyDlg::IDD, &m_owner)) {
            delete m_dlg;
            m_dlg = nullptr;
            return nullptr;
        }
        m_dlg->KillTimer(0);
        m_dlg->ShowWindow(SW_SHOW);
        m_dlg->UpdateWindow();
        return m_dlg;
    }
    void close() {
        if (!m_dlg) return;
        m_dlg->DestroyWindow();
        delete m_dlg;
        m_dlg = nullptr;
    }
    std::vector<HWND> coverWindows() const {
        std::vector<HWND> out;
        for (const auto& cover : m_dlg->m_covers.covers()) out.push_back(cover->GetSafeHwnd());
        return out;
    }

    rest::MonitorFunction m_previous = nullptr;
    TestApp m_app;
    rest_test::UnlockCounter m_main;
    CkivToolDlg m_owner;
    rest_test::SoundScope m_soundScope{nullptr};
    rest_test::BroadcastRecorder m_broadcasts;
    rest_test::HotKeyRecorder m_hotKeys;
    CNotifyDlg* m_dlg = nullptr;
};

TEST_F(MonitorCoverTest, EachOtherMonitorIsCoveredTopMostWithoutTakingTheKeyboard) {
    const RECT second{300, 200, 700, 500};
    for (bool home : {true, false}) {
        SCOPED_TRACE(home ? "home" : "office");
        rest_test::ModeScope mode(home);
        setDesk({second});
        ASSERT_NE(open(), nullptr);
        const std::vector<HWND> covers = coverWindows();
        ASSERT_EQ(covers.size(), 1u);
        HWND cover = covers[0];
        RECT window{};
        ::GetWindowRect(cover, &window);
        EXPECT_TRUE(::EqualRect(&window, &second));
        EXPECT_TRUE(::IsWindowVisible(cover));
        EXPECT_TRUE(::GetWindowLongPtrW(cover, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_EQ(::GetActiveWindow(), m_dlg->GetSafeHwnd()) << "the rest window keeps the keyboard";
        EXPECT_EQ(::SendMessageW(cover, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(cover), 0), MA_NOACTIVATE);

        // The same time as on the primary, at the same relative place, on black at home.
        RECT client{};
        ::GetClientRect(cover, &client);
        rest_test::Canvas canvas(client.right, client.bottom);
        ::SendMessageW(cover, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0);
        if (home) {
            EXPECT_EQ(canvas.count(RGB(0, 0, 0)), client.right * client.bottom);
        }
        m_dlg->m_covers.covers()[0]->PaintText(canvas.dc());
        EXPECT_EQ(m_dlg->m_covers.covers()[0]->m_text, m_dlg->RemainingText());
        EXPECT_EQ(fw::windowText(cover), L"5 minutes");
        const RECT text = canvas.redBounds();
        ASSERT_FALSE(::IsRectEmpty(&text));
        if (home) {
            EXPECT_NEAR((text.left + text.right) / 2, client.right / 2, 6);
            EXPECT_NEAR((text.top + text.bottom) / 2, client.bottom / 2, 8);
        } else {
            EXPECT_LE(text.right, client.right - 10);
            EXPECT_GE(text.right, client.right - 18);
        }
        m_owner.m_clock.m_restElapsed = 1;
        m_dlg->OnTimer(0);
        EXPECT_EQ(m_dlg->m_covers.covers()[0]->m_text, L"4 minutes,59 seconds") << "counts down with the rest";
        EXPECT_EQ(fw::windowText(cover), L"4 minutes,59 seconds") << "read out as it is shown";
        m_owner.m_clock.m_restElapsed = 0;
        close();
        EXPECT_FALSE(::IsWindow(cover)) << "the cover goes with the rest window";
    }
}

TEST_F(MonitorCoverTest, AHighContrastThemeDrawsTheCoverInTheThemesWindowColours) {
    rest_test::HighContrastScope contrast(true);
    rest_test::ModeScope mode(true);
    setDesk({RECT{300, 200, 700, 500}});
    ASSERT_NE(open(), nullptr);
    ASSERT_EQ(coverWindows().size(), 1u);
    CMonitorCover& cover = *m_dlg->m_covers.covers()[0];
    RECT client{};
    ::GetClientRect(cover.GetSafeHwnd(), &client);
    rest_test::Canvas canvas(client.right, client.bottom);
    ::SendMessageW(cover.GetSafeHwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0);
    EXPECT_EQ(canvas.count(::GetSysColor(COLOR_WINDOW)), client.right * client.bottom);
    cover.PaintText(canvas.dc());
    const RECT red = canvas.redBounds();
    EXPECT_TRUE(::IsRectEmpty(&red)) << "red text in a high-contrast theme";
    EXPECT_GT(canvas.count(::GetSysColor(COLOR_WINDOWTEXT)), 20);
    EXPECT_TRUE(rest_test::repaintsOnThemeChange(cover.GetSafeHwnd()));
}

TEST_F(MonitorCoverTest, ADisplayChangeLaysTheCoversAgainAtOnce) {
    const RECT kept{300, 200, 700, 500};
    const RECT changed{0, 0, 200, 100};
    setDesk({kept, changed});
    ASSERT_NE(open(), nullptr);
    const std::vector<HWND> before = coverWindows();
    ASSERT_EQ(before.size(), 2u);

    const RECT added{800, 100, 1200, 400};
    setDesk({kept, RECT{0, 0, 240, 100}, added});  // one monitor's resolution changed, one more came
    ::SendMessageW(m_dlg->GetSafeHwnd(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 800));
    const std::vector<HWND> after = coverWindows();
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[0], before[0]) << "an unchanged monitor keeps its cover and picture";
    EXPECT_FALSE(::IsWindow(before[1])) << "the changed monitor's old cover is gone";
    RECT window{};
    ::GetWindowRect(after[2], &window);
    EXPECT_TRUE(::EqualRect(&window, &added));

    setDesk({});  // back to one monitor
    ::SendMessageW(m_dlg->GetSafeHwnd(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 800));
    EXPECT_TRUE(coverWindows().empty());
    for (HWND w : after) EXPECT_FALSE(::IsWindow(w));
    RECT desktop{}, rest{};
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    ::GetWindowRect(m_dlg->GetSafeHwnd(), &rest);
    EXPECT_TRUE(::EqualRect(&desktop, &rest)) << "the rest window still covers the primary monitor";
}

}  // namespace
