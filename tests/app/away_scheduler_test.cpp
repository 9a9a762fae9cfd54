// Time away as the scheduler counts it: a live main dialog with a fake clock and a fake
// input-idle time, fed session and power messages as Windows sends them.
#include <windows.h>
#include <wtsapi32.h>

#include "main_dialog_fixture.h"
#include "wall_clock.h"

namespace {

using test::MainDialogTest;

long long g_clock = 0;
long long g_idle = 0;
int g_idleReads = 0;
kiv::Time fakeClock() { return kiv::Time(g_clock); }
long long fakeIdle() {
    ++g_idleReads;
    return g_idle;
}

const kiv::String kPattern(u"%Y-%m-%d %H-%M-%S");

class AwayTest : public MainDialogTest {
protected:
    void SetUp() override {
        MainDialogTest::SetUp();
        g_clock = kiv::Time(kiv::String(u"2024-03-09 10-00-00"), kPattern).timeValue();
        g_idle = 0;
        g_idleReads = 0;
        m_oldClock = wallclock::setNowFunction(&fakeClock);
        m_oldIdle = platform::setInputIdleFunction(&fakeIdle);
    }
    void TearDown() override {
        MainDialogTest::TearDown();
        wallclock::setNowFunction(m_oldClock);
        platform::setInputIdleFunction(m_oldIdle);
    }

    // `count` seconds of the clock, one tick each; with `idle` no input comes meanwhile.
    void run(unsigned count, bool idle = false) {
        for (unsigned i = 0; i < count; ++i) {
            ++g_clock;
            g_idle = idle ? g_idle + 1 : 0;
            tick();
        }
    }
    void session(WPARAM code) { send(WM_WTSSESSION_CHANGE, code, 1); }
    void power(WPARAM event) { EXPECT_EQ(TRUE, send(WM_POWERBROADCAST, event, 0)); }

    bool inRest() const { return !m_dlg->m_working; }
    uint32_t worked() const { return m_dlg->m_workElapsed.size(); }
    std::wstring workedLabel() const { return m_dlg->GetDlgItemText(IDC_STATIC_WORKED); }
    bool noticeOpen() const { return m_dlg->m_pPreviousNotifyDlg != nullptr; }
    // Nothing for the ears: no sound component call and no beep.
    bool silent() const { return m_sound.calls.empty() && test::beeps().empty(); }

private:
    wallclock::NowFunction m_oldClock = nullptr;
    platform::InputIdleFunction m_oldIdle = nullptr;
};

// With the setting on, no input for the rest length is a rest taken, at that very second;
// with it off, input is never read and the rest comes as always.
class IdleRestTest : public AwayTest, public ::testing::WithParamInterface<bool> {};

TEST_P(IdleRestTest, NoInputForTheRestLengthIsARestOnlyWhenTurnedOn) {
    const bool on = GetParam();
    theApp.m_idleIsRest = on;
    theApp.m_workTime = 40;
    theApp.m_relaxTime = 30;
    ASSERT_TRUE(createDialog());
    command(ID_MENU_DELAY5);
    command(ID_MENU_DELAY5);  // 640 s of work; the notice below needs a shorter period
    m_dlg->m_workLength = 40;
    run(29, true);
    EXPECT_EQ(29u, worked()) << "idle time shorter than a rest is work";
    EXPECT_TRUE(noticeOpen());
    run(1, true);
    if (!on) {
        EXPECT_EQ(0, g_idleReads) << "input is read only when the setting is on";
        EXPECT_EQ(30u, worked());
        run(10, true);
        EXPECT_TRUE(inRest()) << "the rest comes as it always did";
        return;
    }
    EXPECT_EQ(0u, worked()) << "a rest taken at exactly the rest length";
    EXPECT_EQ(kiv::TimeCount(0).durationText().c_wstr(), workedLabel()) << "shown at once";
    EXPECT_FALSE(noticeOpen());
    EXPECT_EQ(nullptr, m_dlg->m_pNotifyDlg);
    EXPECT_TRUE(silent());
    run(100, true);
    EXPECT_EQ(0u, worked()) << "still away: no work";
    EXPECT_FALSE(inRest());
    run(3);
    EXPECT_EQ(3u, worked()) << "back at the keyboard";
    EXPECT_EQ(40u, m_dlg->m_workLength.size()) << "a fresh period";
}

INSTANTIATE_TEST_SUITE_P(Setting, IdleRestTest, ::testing::Bool());

TEST_F(AwayTest, LockedTimeIsNotWorkAndALockAsLongAsARestIsOne) {
    theApp.m_workTime = 100;
    theApp.m_relaxTime = 30;
    ASSERT_TRUE(createDialog());
    run(10);
    session(WTS_SESSION_LOCK);
    run(29);
    session(WTS_SESSION_UNLOCK);
    EXPECT_EQ(10u, worked()) << "a short lock keeps the count, without the locked time";
    run(1);
    EXPECT_EQ(11u, worked());

    command(ID_MENU_DELAY5);
    session(WTS_SESSION_LOCK);
    run(29);
    EXPECT_EQ(11u, worked());
    run(1);
    EXPECT_EQ(0u, worked()) << "the rest length locked is a rest taken";
    EXPECT_EQ(100u, m_dlg->m_workLength.size()) << "delays end as after a rest";
    run(50);
    session(WTS_SESSION_UNLOCK);
    EXPECT_EQ(0u, worked());
    EXPECT_TRUE(silent());
    run(2);
    EXPECT_EQ(2u, worked());

    // A remote disconnect is the same; the clock decides even when no tick came.
    session(WTS_REMOTE_DISCONNECT);
    g_clock += 3600;
    session(WTS_REMOTE_CONNECT);
    EXPECT_EQ(0u, worked());
    EXPECT_EQ(kiv::TimeCount(0).durationText().c_wstr(), workedLabel());
}

// A rest that falls due while locked waits for the unlock: no rest window, no sound.
TEST_F(AwayTest, RestDueWhileLockedWaitsForTheUnlock) {
    theApp.m_workTime = 20;
    theApp.m_relaxTime = 30;
    ASSERT_TRUE(createDialog());
    run(19);
    m_sound.calls.clear();
    session(WTS_SESSION_LOCK);
    run(10);
    EXPECT_FALSE(inRest());
    EXPECT_EQ(nullptr, m_dlg->m_pNotifyDlg);
    EXPECT_TRUE(silent());
    session(WTS_SESSION_UNLOCK);
    run(1);
    EXPECT_TRUE(inRest()) << "a short lock: the rest starts after it";
    EXPECT_NE(nullptr, m_dlg->m_pNotifyDlg);
}

struct RestAwayCase {
    const char* name;
    bool sleep;           // sleep, else a lock with ticks
    unsigned awaySeconds; // the rest has 20 s left when it begins
    bool restEnds;
};

class RestAwayTest : public AwayTest, public ::testing::WithParamInterface<RestAwayCase> {};

TEST_P(RestAwayTest, TimeAwayCountsTowardsARestInProgress) {
    const RestAwayCase c = GetParam();
    theApp.m_homeMode = false;
    theApp.m_workTime = 5;
    theApp.m_relaxTime = 30;
    ASSERT_TRUE(createDialog());
    run(5 + 10);
    ASSERT_TRUE(inRest());
    if (c.sleep) {
        power(PBT_APMSUSPEND);
        g_clock += c.awaySeconds;
        power(PBT_APMRESUMEAUTOMATIC);
        power(PBT_APMRESUMESUSPEND);  // Windows announces both; the sleep counts once
    } else {
        session(WTS_SESSION_LOCK);
        run(c.awaySeconds);
    }
    EXPECT_EQ(!c.restEnds, inRest());
    EXPECT_EQ(c.restEnds, m_dlg->m_pNotifyDlg == nullptr);
    EXPECT_EQ(c.restEnds ? 1u : 0u, test::beeps().size()) << "the rest ends as by time";
    if (c.restEnds) {
        EXPECT_EQ(0u, worked());
        run(4);
        EXPECT_EQ(c.sleep ? 4u : 0u, worked()) << "locked time after the rest is not work";
    } else {
        EXPECT_EQ(10u + c.awaySeconds, m_dlg->m_restElapsed.size());
        if (!c.sleep) session(WTS_SESSION_UNLOCK);
        run(19 - c.awaySeconds);
        EXPECT_TRUE(inRest());
        run(1);
        EXPECT_FALSE(inRest());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RestAwayTest,
                         ::testing::Values(RestAwayCase{"SleepCovers", true, 20, true},
                                           RestAwayCase{"SleepCoversMore", true, 5000, true},
                                           RestAwayCase{"SleepShorter", true, 19, false},
                                           RestAwayCase{"LockCovers", false, 25, true},
                                           RestAwayCase{"LockShorter", false, 12, false}),
                         [](const ::testing::TestParamInfo<RestAwayCase>& info) { return std::string(info.param.name); });

struct SleepCase {
    const char* name;
    const char16_t* suspendAt;
    const char16_t* resumeAt;
    uint32_t workedAfter;
};

class SleepTest : public AwayTest, public ::testing::WithParamInterface<SleepCase> {};

TEST_P(SleepTest, SleepIsMeasuredByTheClock) {
    const SleepCase c = GetParam();
    theApp.m_workTime = 100;
    theApp.m_relaxTime = 480;
    ASSERT_TRUE(createDialog());
    run(50);
    g_clock = kiv::Time(kiv::String(c.suspendAt), kPattern).timeValue();
    power(PBT_APMSUSPEND);
    g_clock = kiv::Time(kiv::String(c.resumeAt), kPattern).timeValue();
    power(PBT_APMRESUMEAUTOMATIC);
    EXPECT_EQ(c.workedAfter, worked());
    EXPECT_EQ(kiv::TimeCount(c.workedAfter).durationText().c_wstr(), workedLabel()) << "shown at once";
    EXPECT_FALSE(inRest());
    EXPECT_EQ(nullptr, m_dlg->m_pNotifyDlg);
    run(1);
    EXPECT_EQ(c.workedAfter + 1, worked());
}

INSTANTIATE_TEST_SUITE_P(Cases, SleepTest,
                         ::testing::Values(SleepCase{"AcrossMidnight", u"2024-03-09 23-55-00", u"2024-03-10 00-03-00", 0},
                                           SleepCase{"ShortAcrossMidnight", u"2024-03-09 23-59-50",
                                                     u"2024-03-10 00-07-49", 50},
                                           SleepCase{"Days", u"2024-03-09 12-00-00", u"2024-03-12 08-00-00", 0}),
                         [](const ::testing::TestParamInfo<SleepCase>& info) { return std::string(info.param.name); });

}  // namespace
