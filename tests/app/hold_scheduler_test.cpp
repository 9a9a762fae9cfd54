// Calls and presentations holding a due rest, and the cover at a pause in typing, on a live
// main dialog driven tick by tick with fake signals: the signals read through their seams,
// the balloon, the tip, the keyboard hook and the wait's timer (the rules: the rest clock's
// table in tests/schedule).
#include "framework/resources.h"
#include "hold/typing_pause.h"
#include "main_dialog_fixture.h"

namespace {

class HoldSchedulerTest : public test::MainDialogTest {
protected:
    bool inRest() const { return !m_dlg->m_clock.m_working; }
    bool noticeOpen() const {
        return m_dlg->m_pPreviousNotifyDlg && ::IsWindow(m_dlg->m_pPreviousNotifyDlg->m_hWnd);
    }
    std::wstring lastTip() const {
        std::wstring tip;
        for (const NOTIFYICONDATAW& data : test::trayRecords(NIM_MODIFY))
            if (data.uFlags & NIF_TIP) tip = data.szTip;
        return tip;
    }
    const std::wstring kInACall = fw::loadString(IDS_HOLD_CALL);
};

TEST_F(HoldSchedulerTest, ACallHoldsTheRestSilentlyAndSaysWhyOnce) {
    ASSERT_TRUE(createDialog());  // 100 s of work
    m_signals.call();
    tick(39);
    EXPECT_EQ(m_signals.registryReads, 0) << "no signal is read before the last minute";
    tick();  // 60 s left
    EXPECT_GT(m_signals.registryReads, 0);
    EXPECT_TRUE(m_dlg->isRestHeld());
    EXPECT_EQ(test::balloons(), std::vector<std::wstring>{kInACall}) << "no one-minute balloon";
    EXPECT_EQ(lastTip(), kInACall);

    tick(500);
    EXPECT_FALSE(inRest());
    EXPECT_FALSE(noticeOpen());
    EXPECT_EQ(nullptr, m_dlg->m_pNotifyDlg);
    EXPECT_EQ(test::balloons().size(), 1u);
    EXPECT_TRUE(m_sound.calls.empty());
    EXPECT_TRUE(test::beeps().empty());
    EXPECT_EQ(m_dlg->m_clock.m_workElapsed.size(), 540u) << "work goes on being counted";
    EXPECT_EQ(m_dlg->RemainingWork().size(), 0u);
    // The tip, when the mouse comes over the icon, still says why.
    send(WM_TRAY_NOTIFY, IDR_MAINFRAME, WM_MOUSEMOVE);
    EXPECT_EQ(lastTip(), kInACall);
}

// --- The cover at a pause in typing -----------------------------------------------------

class TypingPauseTest : public HoldSchedulerTest {
protected:
    void SetUp() override {
        HoldSchedulerTest::SetUp();
        theApp.m_settings.workTime = 20;
        theApp.m_settings.relaxTime = 5;
    }
    // The wait's timer, as Windows would deliver it.
    void coverTimer() { m_dlg->OnTimer(CkivToolDlg::kCoverWaitTimer); }
};

TEST_F(TypingPauseTest, KeysAreWatchedOnlyInTheLastSecondsBeforeTheCover) {
    ASSERT_TRUE(createDialog());
    tick(17);
    EXPECT_FALSE(hold::isWatchingKeys());
    tick();  // 2 s left
    EXPECT_TRUE(hold::isWatchingKeys());
    tick(2);
    ASSERT_TRUE(inRest());
    EXPECT_FALSE(hold::isWatchingKeys());
}

TEST_F(TypingPauseTest, AKeyJustBeforeHoldsTheCoverUntilThePause) {
    ASSERT_TRUE(createDialog());
    tick(19);
    m_signals.millisSinceKey = 400;
    tick();
    EXPECT_FALSE(inRest()) << "typed 0.4 s ago";
    EXPECT_TRUE(m_dlg->m_clock.isWaitingForPause());
    tick(3);  // ticks in the wait count nothing
    EXPECT_FALSE(inRest());
    EXPECT_EQ(m_dlg->m_clock.m_workElapsed.size(), 20u);
    m_signals.millisSinceKey = 1500;
    coverTimer();
    ASSERT_TRUE(inRest());
    EXPECT_TRUE(m_dlg->m_pNotifyDlg != nullptr);
    // The rest has its full length from the moment it covers.
    EXPECT_EQ(m_dlg->m_clock.m_restElapsed.size(), 0u);
    tick(4);
    EXPECT_TRUE(inRest());
    tick();
    EXPECT_FALSE(inRest());
}

// The front is read through fakes (hold_fakes.h): Wine runs every process at one level. The
// wait's limit is a row of the rest clock's table.
TEST_F(TypingPauseTest, AnAdministratorsWindowInFrontHoldsTheCoverUntilItLeaves) {
    const std::wstring kElevated = fw::loadString(IDS_BALLOON_ELEVATED_FRONT);
    test::FakeFront front;
    ASSERT_TRUE(createDialog());
    tick(20);
    EXPECT_FALSE(inRest());
    EXPECT_TRUE(m_dlg->m_clock.isWaitingForPause());
    unsigned timers = 0;
    while (!inRest() && timers < 200) {
        if (timers == 5) front.window = nullptr;
        coverTimer();
        ++timers;
    }
    EXPECT_EQ(timers, 6u);
    EXPECT_EQ(test::balloons(), std::vector<std::wstring>{kElevated}) << "one balloon";
    EXPECT_EQ(m_dlg->m_clock.m_restElapsed.size(), 0u) << "the rest has its full length from the cover";
}

}  // namespace
