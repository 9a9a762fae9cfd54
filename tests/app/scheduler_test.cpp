// The scheduler's wiring on a live main dialog driven tick by tick: the windows, sounds,
// balloons and signals of each kind of the rest clock's actions (its rules: tests/schedule).
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
    void fullScreen(bool on) { send(WM_APPBAR_NOTIFY, ABN_FULLSCREENAPP, on ? 1 : 0); }
};

// --- Work and rest lengths -------------------------------------------------------------

// The cycle's lengths and reminders are rows of the rest clock's table; here the windows and
// sounds it opens and closes.
TEST_F(SchedulerTest, RestWindowOpensAtTheWthTickAndClosesWithTheEndSound) {
    theApp.m_settings.workTime = 20;
    theApp.m_settings.relaxTime = 8;
    ASSERT_TRUE(createDialog());
    tick(19);
    EXPECT_FALSE(inRest());
    tick();
    ASSERT_TRUE(inRest());
    EXPECT_TRUE(restWindowOpen());
    m_sound.calls.clear();
    tick(8);
    EXPECT_FALSE(inRest());
    EXPECT_EQ(nullptr, m_dlg->m_pNotifyDlg);
    // The rest window stops its music as it goes; then the end sound plays once.
    ASSERT_GE(m_sound.calls.size(), 2u);
    EXPECT_EQ(kOpenEnd, m_sound.calls[m_sound.calls.size() - 2]);
    EXPECT_EQ(L"Play:0", m_sound.calls.back());
}

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
    tick(15);
    ASSERT_TRUE(inRest());
    EXPECT_EQ(nullptr, m_dlg->m_pPreviousNotifyDlg) << "the rest closes the notice";
}

// --- Full-screen programs --------------------------------------------------------------

// Postponed with the postponement's sound (the rules: the clock's table).
TEST_F(SchedulerTest, DueRestIsPostponedWithTheNoticeSound) {
    theApp.m_settings.workTime = 70;
    ASSERT_TRUE(createDialog());
    fullScreen(true);
    ASSERT_TRUE(m_dlg->m_fullScreenApp);
    tick(69);
    m_sound.calls.clear();
    tick();
    EXPECT_FALSE(inRest());
    EXPECT_EQ(70u + 1200u, m_dlg->m_clock.m_workLength.size());
    EXPECT_EQ((std::vector<std::wstring>{kOpenNotice, L"Play:0"}), m_sound.calls);
    EXPECT_TRUE(test::beeps().empty());
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

TEST_F(SchedulerTest, DelayFiveMinutesClosesTheNotice) {
    theApp.m_settings.workTime = 20;
    ASSERT_TRUE(createDialog());
    tick(5);
    ASSERT_TRUE(noticeOpen());
    command(ID_MENU_DELAY5);
    EXPECT_EQ(nullptr, m_dlg->m_pPreviousNotifyDlg);
    EXPECT_EQ(320u, m_dlg->m_clock.m_workLength.size());
}

TEST_F(SchedulerTest, DelayPresetTimeAddsTheConfiguredWorkTime) {
    theApp.m_settings.workTime = 40;
    ASSERT_TRUE(createDialog());
    tick(10);
    command(ID_MENU_DELAY_PRESET);
    EXPECT_EQ(80u, m_dlg->m_clock.m_workLength.size());
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
}

// --- Long working day (office mode; when: the clock's table) ----------------------------

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
                                           LongDayCase{false, 40000, true, false, true}));

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
