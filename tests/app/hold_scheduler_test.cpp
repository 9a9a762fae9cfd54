// Calls and presentations holding a due rest, and the cover at a pause in typing, on a live
// main dialog driven tick by tick with fake signals.
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
    // Ticks until the rest begins, at most `limit`; the count it took, 0 when it did not.
    unsigned ticksUntilRest(unsigned limit) {
        for (unsigned n = 1; n <= limit; ++n) {
            tick();
            if (inRest()) return n;
        }
        return 0;
    }
    const std::wstring kOneMinute = fw::loadString(IDS_BALLOON_ONE_MINUTE);
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

TEST_F(HoldSchedulerTest, WhenTheCallEndsTheRestComesAMinuteLaterWithItsReminders) {
    const struct {
        unsigned heldTicks;  // ticks after 60 s left before the call ends
    } rows[] = {{5}, {59}, {60}, {400}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.heldTicks);
        m_signals.clear();
        test::trayCalls().clear();
        ASSERT_TRUE(createDialog());
        m_signals.call();
        tick(40 + row.heldTicks);
        ASSERT_TRUE(m_dlg->isRestHeld());
        m_signals.clear();
        tick();
        EXPECT_FALSE(m_dlg->isRestHeld());
        EXPECT_EQ(test::balloons(), (std::vector<std::wstring>{kInACall, kOneMinute}));
        EXPECT_EQ(m_dlg->RemainingWork().size(), 60u);
        tick(44);
        EXPECT_FALSE(noticeOpen());
        tick();
        EXPECT_TRUE(noticeOpen()) << "15 s left";
        EXPECT_EQ(ticksUntilRest(100), 15u);
        EXPECT_EQ(m_dlg->m_pPreviousNotifyDlg, nullptr);
    }
}

TEST_F(HoldSchedulerTest, AHoldLastsAtMostTwoHoursThenTheRestComesWithItsReminders) {
    ASSERT_TRUE(createDialog());
    m_signals.call();
    tick(40);  // the hold's first second
    tick(hold::kLongestHold - 2);
    ASSERT_TRUE(m_dlg->isRestHeld());
    tick();
    EXPECT_FALSE(m_dlg->isRestHeld()) << "the call goes on, the rest no longer waits";
    EXPECT_EQ(test::balloons(), (std::vector<std::wstring>{kInACall, kOneMinute}));
    EXPECT_EQ(ticksUntilRest(100), 60u);
    EXPECT_TRUE(m_dlg->m_pNotifyDlg != nullptr);
    // The next work period may be held again.
    tick(theApp.m_settings.relaxTime.size());
    ASSERT_FALSE(inRest());
    tick(40);
    EXPECT_TRUE(m_dlg->isRestHeld());
}

TEST_F(HoldSchedulerTest, SignalsComingInTheLastMinuteCloseTheNoticeAndHoldTheRest) {
    ASSERT_TRUE(createDialog());
    tick(90);  // 10 s left: the balloon and the notice came
    ASSERT_TRUE(noticeOpen());
    m_signals.notificationState = QUNS_RUNNING_D3D_FULL_SCREEN;
    tick();
    EXPECT_TRUE(m_dlg->isRestHeld());
    EXPECT_FALSE(noticeOpen());
    EXPECT_EQ(test::balloons(), (std::vector<std::wstring>{kOneMinute, fw::loadString(IDS_HOLD_PRESENTATION)}));
    tick(30);
    EXPECT_FALSE(inRest());
}

TEST_F(HoldSchedulerTest, TurnedOffNothingIsReadAndTheRestComesOnTime) {
    theApp.m_settings.holdForCalls = false;
    ASSERT_TRUE(createDialog());
    m_signals.call();
    EXPECT_EQ(ticksUntilRest(200), 100u);
    EXPECT_EQ(m_signals.registryReads, 0);
    EXPECT_EQ(test::balloons(), std::vector<std::wstring>{kOneMinute});
}

// The stated full-screen rule goes first: postponed by 1200 s with its beep, as ever.
TEST_F(HoldSchedulerTest, TheFullScreenRuleIsUntouchedByACall) {
    theApp.m_settings.homeMode = false;
    ASSERT_TRUE(createDialog());
    m_signals.call();
    send(WM_APPBAR_NOTIFY, ABN_FULLSCREENAPP, 1);
    tick(100);
    EXPECT_FALSE(inRest());
    EXPECT_EQ(m_dlg->m_clock.m_workLength.size(), 1300u);
    ASSERT_EQ(test::beeps().size(), 1u);
    EXPECT_EQ(test::beeps()[0].frequency, 1000u);
    EXPECT_TRUE(test::balloons().empty());
    EXPECT_EQ(m_signals.registryReads, 0);
}

TEST_F(HoldSchedulerTest, ADelayDuringAHoldCountsFromNow) {
    ASSERT_TRUE(createDialog());
    m_signals.call();
    tick(150);  // held 50 s past the end of the period
    command(ID_MENU_DELAY5);
    EXPECT_EQ(m_dlg->RemainingWork().size(), 300u);
    m_signals.clear();
    tick();
    EXPECT_FALSE(m_dlg->isRestHeld());
    EXPECT_EQ(m_dlg->RemainingWork().size(), 299u) << "the delay is kept";
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

TEST_F(TypingPauseTest, TypingOnCoversAfterTenSeconds) {
    ASSERT_TRUE(createDialog());
    tick(19);
    m_signals.millisSinceKey = 100;  // a key every moment
    tick();
    unsigned timers = 0;
    while (!inRest() && timers < 20) {
        coverTimer();
        ++timers;
    }
    EXPECT_TRUE(inRest());
    EXPECT_EQ(m_dlg->m_clock.m_restElapsed.size(), 0u);
    EXPECT_EQ(timers, 8u) << "seven waits of 1400 ms and one of 200 ms: ten seconds";
}

TEST_F(TypingPauseTest, ADelayDuringTheWaitLetsTheWorkGoOn) {
    ASSERT_TRUE(createDialog());
    tick(19);
    m_signals.millisSinceKey = 0;
    tick();
    ASSERT_TRUE(m_dlg->m_clock.isWaitingForPause());
    command(ID_MENU_DELAY5);
    coverTimer();
    EXPECT_FALSE(inRest());
    EXPECT_FALSE(m_dlg->m_clock.isWaitingForPause());
    tick();
    EXPECT_EQ(m_dlg->RemainingWork().size(), 299u);
}

}  // namespace
