// Eye breaks: the timing decision as a table, the place of the window, and a live main
// dialog driven tick by tick with a set clock: when the small window comes, that it never
// takes the keyboard, how it ends and what the day file keeps of it.
#include <windows.h>
#include <wtsapi32.h>

#include "eyebreak/eye_break_dlg.h"
#include "eyebreak/eye_break_timing.h"
#include "framework/window_text.h"
#include "history/history_store.h"
#include "main_dialog_fixture.h"
#include "seams.h"

namespace {

using eyebreak::Moment;
using history::EyeBreakEnd;

TEST(EyeBreakTiming, DueAfterTheIntervalUnlessSomethingStandsInTheWay) {
    const uint32_t every = 1200;
    auto moment = [](uint32_t worked, uint32_t restIn) {
        Moment m;
        m.workedSince = worked;
        m.restIn = restIn;
        return m;
    };
    const struct {
        const char* name;
        Moment moment;
        bool due;
    } rows[] = {
        {"a second short of the interval", moment(1199, 2000), false},
        {"the interval worked", moment(1200, 2000), true},
        {"held back, then due at once", moment(1500, 2000), true},
        {"five minutes and one second before the rest", moment(1200, 301), true},
        {"exactly five minutes before the rest", moment(1200, 300), false},
        {"a minute before the rest", moment(1200, 60), false},
        {"the rest due now", moment(1200, 0), false},
        {"full screen", [&] { Moment m = moment(1200, 2000); m.fullScreen = true; return m; }(), false},
        {"away", [&] { Moment m = moment(1200, 2000); m.away = true; return m; }(), false},
        {"rest held", [&] { Moment m = moment(1200, 2000); m.restHeld = true; return m; }(), false},
        {"outside working hours", [&] { Moment m = moment(1200, 2000); m.outsideWorkingHours = true; return m; }(),
         false},
    };
    for (const auto& row : rows) EXPECT_EQ(eyebreak::isDue(every, row.moment), row.due) << row.name;
    EXPECT_TRUE(eyebreak::isDue(1, moment(1, 301))) << "the shortest interval";
}

TEST(EyeBreakTiming, SettingsOutsideTheirRangeTakeTheDefault) {
    const struct {
        uint32_t value, limit, fallback, expected;
    } rows[] = {{0, 86400, 1200, 1200}, {1, 86400, 1200, 1}, {86400, 86400, 1200, 86400}, {86401, 86400, 1200, 1200},
                {600, 600, 20, 600},    {601, 600, 20, 20}};
    for (const auto& row : rows) EXPECT_EQ(eyebreak::valueOrDefault(row.value, row.limit, row.fallback), row.expected)
        << row.value;
}

TEST(EyeBreakPlace, CentredOnTheMonitorsWorkAreaAndInsideIt) {
    const struct {
        RECT area;
        SIZE size;
        RECT expected;
    } rows[] = {
        {{0, 0, 1280, 760}, {270, 80}, {505, 340, 775, 420}},
        {{1280, 0, 2560, 800}, {270, 80}, {1785, 360, 2055, 440}},  // a second monitor to the right
        {{-1920, -200, 0, 880}, {300, 100}, {-1110, 290, -810, 390}},
        {{0, 0, 200, 50}, {270, 80}, {0, 0, 270, 80}},  // larger than the area: from its corner
    };
    for (const auto& row : rows) {
        const RECT got = eyebreak::placeNearCentre(row.area, row.size);
        EXPECT_TRUE(::EqualRect(&got, &row.expected))
            << got.left << "," << got.top << "," << got.right << "," << got.bottom;
    }
}

class EyeBreakTest : public test::MainDialogTest {
protected:
    void SetUp() override {
        MainDialogTest::SetUp();
        theApp.m_settings.workTime = 1000;
        theApp.m_settings.relaxTime = 30;
        theApp.m_settings.eyeBreak = true;
        theApp.m_settings.eyeBreakEvery = 60;
        theApp.m_settings.eyeBreakSeconds = 5;
    }
    void run(unsigned count) {
        for (unsigned i = 0; i < count; ++i) {
            m_clock.advance();
            tick();
        }
    }
    CEyeBreakDlg* eyeBreak() const { return m_dlg->m_pEyeBreakDlg; }
    // The eye break's own countdown, second by second, until it closes or `count` ran out.
    void countDown(unsigned count) {
        for (unsigned i = 0; i < count && eyeBreak(); ++i) eyeBreak()->OnTimer(0);
    }
    std::vector<history::EyeBreak> recorded() const {
        return history::readDay(theApp.m_profileDir, m_clock.now()).eyeBreaks;
    }

    test::FakeClock m_clock{u"2027-01-15 10-00-00"};
};

TEST_F(EyeBreakTest, ComesEveryIntervalOfWorkAndClosesItselfAtTheEndOfItsCount) {
    ASSERT_TRUE(createDialog());
    run(59);
    EXPECT_EQ(eyeBreak(), nullptr);
    run(1);
    ASSERT_NE(eyeBreak(), nullptr) << "after 60 s of work";
    HWND window = eyeBreak()->GetSafeHwnd();
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(eyeBreak()->CountText(), L"5秒");
    EXPECT_EQ(eyeBreak()->GetDlgItemText(IDC_EYE_BREAK_TEXT), L"看向6米外的远处，放松眼睛");
    EXPECT_EQ(fw::windowText(window), L"看向6米外的远处，放松眼睛 5秒") << "what a screen reader says";
    EXPECT_TRUE(m_sound.calls.empty() && test::beeps().empty()) << "no sound";

    countDown(4);
    EXPECT_EQ(eyeBreak()->GetDlgItemText(IDC_EYE_BREAK_COUNT), L"1秒");
    countDown(1);
    EXPECT_EQ(eyeBreak(), nullptr);
    EXPECT_FALSE(::IsWindow(window));
    const auto kept = recorded();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].start, 10u * 3600 + 60);
    EXPECT_EQ(kept[0].planned, 5u);
    EXPECT_EQ(kept[0].rested, 5u);
    EXPECT_EQ(kept[0].end, EyeBreakEnd::Time);

    // The next one counts from the start of this one.
    run(59);
    EXPECT_EQ(eyeBreak(), nullptr);
    run(1);
    EXPECT_NE(eyeBreak(), nullptr);
}

TEST_F(EyeBreakTest, SkipEndsItAndIsRecordedAsSkipped) {
    ASSERT_TRUE(createDialog());
    run(60);
    ASSERT_NE(eyeBreak(), nullptr);
    countDown(2);
    HWND window = eyeBreak()->GetSafeHwnd();
    // As a screen reader's default action or a click would: the button's click arrives posted.
    ::SendMessageW(eyeBreak()->GetDlgItem(IDC_EYE_BREAK_SKIP), BM_CLICK, 0, 0);
    test::pumpMessages();
    EXPECT_EQ(eyeBreak(), nullptr);
    EXPECT_FALSE(::IsWindow(window));
    const auto kept = recorded();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].rested, 2u);
    EXPECT_EQ(kept[0].end, EyeBreakEnd::Skip);
}

TEST_F(EyeBreakTest, ARestOrTheExitClosesAnOpenOne) {
    ASSERT_TRUE(createDialog());
    run(60);
    ASSERT_NE(eyeBreak(), nullptr);
    m_dlg->StartRest();
    EXPECT_EQ(eyeBreak(), nullptr);
    m_dlg->EndRest();
    run(60);
    ASSERT_NE(eyeBreak(), nullptr);
    m_dlg->OnExit();
    EXPECT_EQ(eyeBreak(), nullptr);
    const auto kept = recorded();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].end, EyeBreakEnd::Closed);
    EXPECT_EQ(kept[1].end, EyeBreakEnd::Closed);
}

// The window the user is typing into stays active, before, during and after a click on the
// eye break; the eye break is top-most and never activates.
TEST_F(EyeBreakTest, NeverTakesTheKeyboardNotEvenWhenItsButtonIsClicked) {
    ASSERT_TRUE(createDialog());
    CDialog working(IDD_ASK_DIALOG);
    ASSERT_TRUE(working.Create(IDD_ASK_DIALOG));
    ::SetActiveWindow(working.GetSafeHwnd());
    ::SetFocus(working.GetDlgItem(IDC_EDIT_ANSWER));
    ASSERT_EQ(::GetActiveWindow(), working.GetSafeHwnd());

    run(60);
    ASSERT_NE(eyeBreak(), nullptr);
    HWND window = eyeBreak()->GetSafeHwnd();
    EXPECT_EQ(::GetActiveWindow(), working.GetSafeHwnd());
    EXPECT_EQ(::GetFocus(), working.GetDlgItem(IDC_EDIT_ANSWER));
    const LONG_PTR ex = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_NOACTIVATE);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_EQ(::SendMessageW(window, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(window),
                             MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);

    // Pressed and released over the button, as the mouse would.
    HWND skip = eyeBreak()->GetDlgItem(IDC_EYE_BREAK_SKIP);
    ::SendMessageW(skip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_NE(::SendMessageW(skip, BM_GETSTATE, 0, 0) & BST_PUSHED, 0) << "shown pressed";
    ::SendMessageW(skip, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    test::pumpMessages();
    EXPECT_EQ(eyeBreak(), nullptr) << "the click skipped it";
    EXPECT_EQ(::GetActiveWindow(), working.GetSafeHwnd());
    EXPECT_EQ(::GetFocus(), working.GetDlgItem(IDC_EDIT_ANSWER));
    working.DestroyWindow();
}

TEST_F(EyeBreakTest, APressReleasedOffTheButtonDoesNotSkip) {
    ASSERT_TRUE(createDialog());
    run(60);
    ASSERT_NE(eyeBreak(), nullptr);
    HWND skip = eyeBreak()->GetDlgItem(IDC_EYE_BREAK_SKIP);
    ::SendMessageW(skip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::SendMessageW(skip, WM_LBUTTONUP, 0, MAKELPARAM(-50, -50));
    test::pumpMessages();
    ASSERT_NE(eyeBreak(), nullptr);
    EXPECT_EQ(::SendMessageW(skip, BM_GETSTATE, 0, 0) & BST_PUSHED, 0u);
}

}  // namespace
