// The rest scheduler, driven tick by tick on a live main dialog.
#include "main_dialog_fixture.h"

#include "kiv/path_kiv.h"
#include "settings_store.h"

namespace {

using test::MainDialogTest;

const std::wstring kOpenEnd = std::wstring(L"Open:") + L"C:\\kiv\\relaxEnd.mp3";
const std::wstring kOpenNotice = std::wstring(L"Open:") + L"C:\\kiv\\relaxNotice.mp3";

class SchedulerTest : public MainDialogTest {
protected:
    bool inRest() const { return !m_dlg->m_clock.m_working; }
    bool restWindowOpen() const { return m_dlg->m_pNotifyDlg && ::IsWindow(m_dlg->m_pNotifyDlg->m_hWnd); }
    bool noticeOpen() const {
        return m_dlg->m_pPreviousNotifyDlg && ::IsWindow(m_dlg->m_pPreviousNotifyDlg->m_hWnd);
    }
    // Ticks until the work period is over (at most `limit` ticks); the count it took.
    unsigned ticksUntilRest(unsigned limit) {
        for (unsigned n = 1; n <= limit; ++n) {
            tick();
            if (inRest()) return n;
        }
        return 0;
    }
    void fullScreen(bool on) { send(WM_APPBAR_NOTIFY, ABN_FULLSCREENAPP, on ? 1 : 0); }
};

// --- Work and rest lengths -------------------------------------------------------------

struct CycleCase {
    uint32_t work;
    uint32_t rest;
};

class RestCycleTest : public SchedulerTest, public ::testing::WithParamInterface<CycleCase> {};

TEST_P(RestCycleTest, RestBeginsAtTheWthTickAndEndsAtTheRth) {
    const CycleCase c = GetParam();
    theApp.m_settings.workTime = c.work;
    theApp.m_settings.relaxTime = c.rest;
    ASSERT_TRUE(createDialog());

    tick(c.work - 1);
    EXPECT_FALSE(inRest());
    EXPECT_EQ(c.work - 1, m_dlg->m_clock.m_workElapsed.size());
    tick();
    ASSERT_TRUE(inRest());
    EXPECT_TRUE(restWindowOpen());
    EXPECT_EQ(0u, m_dlg->m_clock.m_workElapsed.size());

    m_sound.calls.clear();
    tick(c.rest - 1);
    EXPECT_TRUE(inRest());
    EXPECT_EQ(c.rest - 1, m_dlg->m_clock.m_restElapsed.size());
    tick();
    EXPECT_FALSE(inRest());
    EXPECT_EQ(nullptr, m_dlg->m_pNotifyDlg);
    EXPECT_EQ(c.work, m_dlg->m_clock.m_workLength.size());
    EXPECT_EQ(0u, m_dlg->m_clock.m_workElapsed.size());
    // The rest window stops its music as it goes; then the end sound plays once.
    ASSERT_GE(m_sound.calls.size(), 2u);
    EXPECT_EQ(kOpenEnd, m_sound.calls[m_sound.calls.size() - 2]);
    EXPECT_EQ(L"Play:0", m_sound.calls.back());
}

INSTANTIATE_TEST_SUITE_P(Lengths, RestCycleTest,
                         ::testing::Values(CycleCase{1, 1}, CycleCase{2, 3}, CycleCase{20, 8}, CycleCase{75, 16}));

TEST_F(SchedulerTest, OfficeModeRestIsSilentAndEndsWithA500HzBeep) {
    theApp.m_settings.homeMode = false;
    theApp.m_settings.workTime = 3;
    theApp.m_settings.relaxTime = 2;
    ASSERT_TRUE(createDialog());
    tick(3);
    ASSERT_TRUE(inRest());
    EXPECT_TRUE(test::beeps().empty());
    tick(2);
    ASSERT_FALSE(inRest());
    ASSERT_EQ(1u, test::beeps().size());
    EXPECT_EQ(500u, test::beeps()[0].frequency);
    EXPECT_EQ(1000u, test::beeps()[0].duration);
    for (const std::wstring& call : m_sound.calls) EXPECT_EQ(std::wstring::npos, call.find(L"Open")) << call;
}

// The end-of-rest sound set to a share: the program's own end sound plays instead, and
// nothing is opened on the share.
TEST_F(SchedulerTest, AnEndSoundOnAShareGivesTheDefaultEndSound) {
    theApp.m_settings.workTime = 2;
    theApp.m_settings.relaxTime = 2;
    theApp.m_settings.relaxEndMusic = L"\\\\host\\share\\relaxEnd.mp3";
    ASSERT_TRUE(createDialog());
    tick(4);
    ASSERT_FALSE(inRest());
    const kiv::String fallback = settings::defaultSoundPath(kiv::getModuleDir(), settings::kRelaxEndSound);
    ASSERT_GE(m_sound.calls.size(), 2u);
    EXPECT_EQ(L"Open:" + std::wstring(fallback.c_wstr()), m_sound.calls[m_sound.calls.size() - 2]);
    for (const std::wstring& call : m_sound.calls) EXPECT_EQ(std::wstring::npos, call.find(L"host")) << call;
}

TEST_F(SchedulerTest, HomeModeWithoutSoundComponentStillCycles) {
    theApp.m_settings.workTime = 2;
    theApp.m_settings.relaxTime = 2;
    ASSERT_TRUE(createDialog());
    g_pSound.reset(nullptr);
    m_sound.calls.clear();
    tick(4);
    EXPECT_FALSE(inRest());
    EXPECT_EQ(nullptr, m_dlg->m_pNotifyDlg);
    EXPECT_TRUE(m_sound.calls.empty());
    EXPECT_TRUE(test::beeps().empty());
}

// --- Reminders before a rest -----------------------------------------------------------

struct ReminderCase {
    uint32_t work;
    unsigned balloonTick;  // 0: never
    unsigned noticeTick;   // 0: never
};

class ReminderTest : public SchedulerTest, public ::testing::WithParamInterface<ReminderCase> {};

TEST_P(ReminderTest, BalloonAt60AndNoticeAt15OnlyWhenReached) {
    const ReminderCase c = GetParam();
    theApp.m_settings.workTime = c.work;
    ASSERT_TRUE(createDialog());
    unsigned balloonAt = 0, noticeAt = 0;
    for (unsigned n = 1; n < c.work; ++n) {
        tick();
        if (!balloonAt && !test::balloons().empty()) balloonAt = n;
        if (!noticeAt && noticeOpen()) noticeAt = n;
    }
    EXPECT_EQ(c.balloonTick, balloonAt);
    EXPECT_EQ(c.noticeTick, noticeAt);
    EXPECT_LE(test::balloons().size(), 1u);
    tick();
    EXPECT_TRUE(inRest());
    EXPECT_FALSE(noticeOpen()) << "the rest closes the notice";
    EXPECT_EQ(nullptr, m_dlg->m_pPreviousNotifyDlg);
}

INSTANTIATE_TEST_SUITE_P(WorkTimes, ReminderTest,
                         ::testing::Values(ReminderCase{100, 40, 85}, ReminderCase{61, 1, 46},
                                           ReminderCase{60, 0, 45}, ReminderCase{16, 0, 1},
                                           ReminderCase{15, 0, 0}, ReminderCase{5, 0, 0}));

TEST_F(SchedulerTest, OneMinuteBalloonRecord) {
    theApp.m_settings.workTime = 61;
    ASSERT_TRUE(createDialog());
    tick();
    const std::vector<NOTIFYICONDATAW> modified = test::trayRecords(NIM_MODIFY);
    ASSERT_EQ(1u, modified.size());
    const NOTIFYICONDATAW& data = modified[0];
    EXPECT_EQ(static_cast<UINT>(NIF_INFO), data.uFlags);
    EXPECT_EQ(0x404u, data.dwInfoFlags);
    EXPECT_EQ(10u, data.uTimeout);
    EXPECT_STREQ(L"1分钟...", data.szInfo);
    EXPECT_STREQ(L"提醒", data.szInfoTitle);
    EXPECT_EQ(hwnd(), data.hWnd);
    EXPECT_EQ(128u, data.uID);
    EXPECT_EQ(952u, data.cbSize);
}

TEST_F(SchedulerTest, NoticeStartsItsCountAt15) {
    theApp.m_settings.workTime = 20;
    ASSERT_TRUE(createDialog());
    tick(5);
    ASSERT_TRUE(noticeOpen());
    EXPECT_EQ(15u, m_dlg->m_pPreviousNotifyDlg->m_secondsLeft);
    EXPECT_TRUE(::IsWindowVisible(m_dlg->m_pPreviousNotifyDlg->m_hWnd));
    CPreviousNotifyDlg* first = m_dlg->m_pPreviousNotifyDlg;
    m_dlg->ShowPreRestNotice();
    EXPECT_EQ(first, m_dlg->m_pPreviousNotifyDlg) << "at most one notice";
}

// --- Full-screen programs --------------------------------------------------------------

struct FullScreenCase {
    bool homeMode;
    bool relaxAtFullScreen;
};

class FullScreenTest : public SchedulerTest, public ::testing::WithParamInterface<FullScreenCase> {};

TEST_P(FullScreenTest, DueRestIsPostponedUnlessTheUserRestsAnyway) {
    const FullScreenCase c = GetParam();
    theApp.m_settings.homeMode = c.homeMode;
    theApp.m_settings.relaxAtFullScreen = c.relaxAtFullScreen;
    theApp.m_settings.workTime = 70;
    ASSERT_TRUE(createDialog());
    fullScreen(true);
    ASSERT_TRUE(m_dlg->m_fullScreenApp);
    tick(69);
    // Reminders follow the same rule as the rest itself.
    EXPECT_EQ(c.relaxAtFullScreen, !test::balloons().empty());
    EXPECT_EQ(c.relaxAtFullScreen, noticeOpen());
    m_sound.calls.clear();
    tick();
    if (c.relaxAtFullScreen) {
        EXPECT_TRUE(inRest());
        EXPECT_TRUE(test::beeps().empty());
        return;
    }
    EXPECT_FALSE(inRest());
    EXPECT_EQ(70u + 1200u, m_dlg->m_clock.m_workLength.size());
    EXPECT_EQ(70u, m_dlg->m_clock.m_workElapsed.size());
    if (c.homeMode) {
        EXPECT_EQ((std::vector<std::wstring>{kOpenNotice, L"Play:0"}), m_sound.calls);
        EXPECT_TRUE(test::beeps().empty());
    } else {
        EXPECT_TRUE(m_sound.calls.empty());
        ASSERT_EQ(1u, test::beeps().size());
        EXPECT_EQ(1000u, test::beeps()[0].frequency);
        EXPECT_EQ(1000u, test::beeps()[0].duration);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, FullScreenTest,
                         ::testing::Values(FullScreenCase{true, false}, FullScreenCase{false, false},
                                           FullScreenCase{true, true}, FullScreenCase{false, true}));

TEST_F(SchedulerTest, RemindersComeAgainAfterThePostponementOnceFullScreenEnds) {
    theApp.m_settings.workTime = 30;
    ASSERT_TRUE(createDialog());
    fullScreen(true);
    tick(30);
    ASSERT_EQ(1230u, m_dlg->m_clock.m_workLength.size());
    fullScreen(false);
    EXPECT_FALSE(m_dlg->m_fullScreenApp);
    tick(1230 - 60 - 30);
    ASSERT_EQ(1u, test::balloons().size());
    EXPECT_EQ(L"1分钟...", test::balloons()[0]);
    tick(45);
    EXPECT_TRUE(noticeOpen());
    tick(15);
    EXPECT_TRUE(inRest());
}

TEST_F(SchedulerTest, OtherAppBarNotificationsLeaveTheFullScreenFlag) {
    ASSERT_TRUE(createDialog());
    fullScreen(true);
    send(WM_APPBAR_NOTIFY, ABN_POSCHANGED, 0);
    send(WM_APPBAR_NOTIFY, ABN_STATECHANGE, 0);
    EXPECT_TRUE(m_dlg->m_fullScreenApp);
    send(WM_APPBAR_NOTIFY, ABN_FULLSCREENAPP, 2);
    EXPECT_FALSE(m_dlg->m_fullScreenApp) << "only 1 means open";
}

// --- Delays and new settings -----------------------------------------------------------

TEST_F(SchedulerTest, DelayFiveMinutesClosesTheNoticeWhichComesBackAt15Left) {
    theApp.m_settings.workTime = 20;
    ASSERT_TRUE(createDialog());
    tick(5);
    ASSERT_TRUE(noticeOpen());
    command(ID_MENU_DELAY5);
    EXPECT_EQ(nullptr, m_dlg->m_pPreviousNotifyDlg);
    EXPECT_EQ(320u, m_dlg->m_clock.m_workLength.size());
    tick(300 - 1);
    EXPECT_FALSE(noticeOpen());
    tick();
    EXPECT_TRUE(noticeOpen());
    EXPECT_EQ(15u, ticksUntilRest(100));
}

TEST_F(SchedulerTest, DelayPresetTimeAddsTheConfiguredWorkTime) {
    theApp.m_settings.workTime = 40;
    ASSERT_TRUE(createDialog());
    tick(10);
    command(ID_MENU_DELAY_PRESET);
    command(ID_MENU_DELAY_PRESET);
    EXPECT_EQ(120u, m_dlg->m_clock.m_workLength.size());
    EXPECT_EQ(110u, ticksUntilRest(200));
}

TEST_F(SchedulerTest, DelaysDuringARestChangeNeitherTheRestNorTheNextPeriod) {
    theApp.m_settings.workTime = 10;
    theApp.m_settings.relaxTime = 6;
    ASSERT_TRUE(createDialog());
    tick(10);
    ASSERT_TRUE(inRest());
    tick(2);
    command(ID_MENU_DELAY5);
    command(ID_MENU_DELAY_PRESET);
    EXPECT_EQ(10u + 300u + 10u, m_dlg->m_clock.m_workLength.size()) << "the period that ended, lengthened";
    tick(3);
    EXPECT_TRUE(inRest());
    tick();
    EXPECT_FALSE(inRest());
    EXPECT_EQ(10u, m_dlg->m_clock.m_workLength.size());
    EXPECT_EQ(10u, ticksUntilRest(100));
}

TEST_F(SchedulerTest, LowerWorkTimeFromSettingsStartsTheRestAtTheNextTick) {
    theApp.m_settings.workTime = 100;
    ASSERT_TRUE(createDialog());
    tick(50);
    theApp.m_settings.workTime = 30;
    m_dlg->ApplySettingLengths();
    EXPECT_EQ(30u, m_dlg->m_clock.m_workLength.size());
    EXPECT_EQ(50u, m_dlg->m_clock.m_workElapsed.size()) << "worked time is kept";
    EXPECT_TRUE(m_dlg->m_clock.m_working);
    tick();
    EXPECT_TRUE(inRest());
}

TEST_F(SchedulerTest, LowerRestTimeFromSettingsEndsARunningRestAtTheNextTick) {
    theApp.m_settings.workTime = 5;
    theApp.m_settings.relaxTime = 60;
    ASSERT_TRUE(createDialog());
    tick(5 + 20);
    ASSERT_TRUE(inRest());
    theApp.m_settings.relaxTime = 10;
    m_dlg->ApplySettingLengths();
    EXPECT_TRUE(inRest());
    tick();
    EXPECT_FALSE(inRest());
    EXPECT_EQ(nullptr, m_dlg->m_pNotifyDlg);
}

// --- Unlock ----------------------------------------------------------------------------

TEST_F(SchedulerTest, RestUnlockedEndsTheRestAtOnce) {
    theApp.m_settings.workTime = 5;
    theApp.m_settings.relaxTime = 60;
    ASSERT_TRUE(createDialog());
    tick(5 + 3);
    ASSERT_TRUE(restWindowOpen());
    m_sound.calls.clear();
    EXPECT_EQ(0, send(WM_REST_UNLOCKED));
    EXPECT_FALSE(inRest());
    EXPECT_EQ(nullptr, m_dlg->m_pNotifyDlg);
    EXPECT_EQ(0u, m_dlg->m_clock.m_restElapsed.size());
    ASSERT_GE(m_sound.calls.size(), 2u);
    EXPECT_EQ(kOpenEnd, m_sound.calls[m_sound.calls.size() - 2]);
    EXPECT_EQ(5u, ticksUntilRest(100));
}

TEST_F(SchedulerTest, RestUnlockedDuringWorkRestartsThePeriodWithTheEndSignal) {
    theApp.m_settings.homeMode = false;
    theApp.m_settings.workTime = 50;
    ASSERT_TRUE(createDialog());
    tick(20);
    command(ID_MENU_DELAY5);
    ::PostMessageW(hwnd(), WM_REST_UNLOCKED, 0, 0);
    test::pumpMessages();
    EXPECT_TRUE(m_dlg->m_clock.m_working);
    EXPECT_EQ(0u, m_dlg->m_clock.m_workElapsed.size());
    EXPECT_EQ(50u, m_dlg->m_clock.m_workLength.size());
    ASSERT_EQ(1u, test::beeps().size());
    EXPECT_EQ(500u, test::beeps()[0].frequency);
}

// --- Long working day (office mode) ----------------------------------------------------

struct LongDayCase {
    bool homeMode;
    int64_t secondsSinceFirstStart;  // margins keep a second boundary from mattering
    bool statusVisible;
    bool balloon;
    bool flash;
};

class LongDayTest : public SchedulerTest, public ::testing::WithParamInterface<LongDayCase> {};

TEST_P(LongDayTest, OncePerRunAsBalloonOrFlash) {
    const LongDayCase c = GetParam();
    theApp.m_settings.homeMode = c.homeMode;
    theApp.m_firstStartToday = kiv::Time(kiv::Time::now().timeValue() - c.secondsSinceFirstStart);
    ASSERT_TRUE(createDialog());
    if (c.statusVisible) send(WM_TRAY_NOTIFY, 128, WM_LBUTTONDOWN);
    ASSERT_EQ(c.statusVisible, m_dlg->IsWindowVisible());
    tick(3);
    const std::vector<std::wstring> shown = test::balloons();
    EXPECT_EQ(c.balloon ? 1u : 0u, shown.size());
    if (c.balloon && !shown.empty()) {
        EXPECT_EQ(L"...！", shown[0]);
    }
    ASSERT_EQ(c.flash ? 1u : 0u, test::flashes().size());
    if (c.flash) {
        EXPECT_EQ(hwnd(), test::flashes()[0].window);
        EXPECT_FALSE(test::flashes()[0].invert);
    }
    EXPECT_EQ(c.balloon || c.flash, g_longDayWarned);
}

INSTANTIATE_TEST_SUITE_P(Days, LongDayTest,
                         ::testing::Values(LongDayCase{false, 40000, false, true, false},
                                           LongDayCase{false, 40000, true, false, true},
                                           LongDayCase{false, 32000, false, false, false},
                                           LongDayCase{true, 40000, false, false, false},
                                           LongDayCase{true, 40000, true, false, false}));

TEST_F(SchedulerTest, LongDayReminderIsNotRepeatedByALaterDialog) {
    theApp.m_settings.homeMode = false;
    theApp.m_firstStartToday = kiv::Time(kiv::Time::now().timeValue() - 40000);
    ASSERT_TRUE(createDialog());
    tick();
    ASSERT_EQ(1u, test::balloons().size());
    ASSERT_TRUE(createDialog());
    tick(5);
    EXPECT_TRUE(test::balloons().empty()) << "once per run, not per window";
}

}  // namespace

namespace {

// Bytes in use on every heap of the process (the C runtime's and Wine's own included).
size_t busyHeapBytes() {
    HANDLE heaps[64];
    const DWORD count = ::GetProcessHeaps(64, heaps);
    size_t total = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!::HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (::HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
        ::HeapUnlock(heaps[i]);
    }
    return total;
}

class RestLeakTest : public test::MainDialogTest {};

TEST_F(RestLeakTest, RestCyclesLeaveNothingBehind) {
    theApp.m_settings.workTime = 16;  // the pre-rest notice opens and is closed by the rest
    theApp.m_settings.relaxTime = 2;
    ASSERT_TRUE(createDialog());
    auto cycles = [this](int n) {
        for (int i = 0; i < n; ++i) {
            tick(18);
            test::pumpMessages();
            m_sound.calls.clear();
            test::trayCalls().clear();
        }
    };
    cycles(3);  // first-use allocations of Wine and the runtime
    const size_t before = busyHeapBytes();
    cycles(20);
    const size_t after = busyHeapBytes();
    // A notice object lost in every other cycle is already too much.
    EXPECT_LT(after, before + 10 * sizeof(CPreviousNotifyDlg)) << before << " -> " << after;
}

}  // namespace

namespace {

TEST_F(RestLeakTest, DeletingTheDialogDuringARestLetsTheRestWindowCleanUp) {
    theApp.m_settings.workTime = 2;
    theApp.m_settings.relaxTime = 50;
    ASSERT_TRUE(createDialog());
    tick(2);
    ASSERT_NE(nullptr, m_dlg->m_pNotifyDlg);
    const HWND restWindow = m_dlg->m_pNotifyDlg->m_hWnd;
    const HWND mainWindow = hwnd();
    m_sound.calls.clear();
    m_dlg.reset();
    EXPECT_FALSE(::IsWindow(restWindow));
    EXPECT_FALSE(::IsWindow(mainWindow));
    // The rest window's own OnDestroy ran: it stops the music.
    EXPECT_EQ((std::vector<std::wstring>{L"Stop"}), m_sound.calls);
    EXPECT_EQ(1u, test::trayRecords(NIM_DELETE).size());
}

}  // namespace
