// The tray icon, its tip and balloons, the status window and the commands that end or
// keep the program.
#include <string>
#include <tuple>
#include <vector>

#include "fake_policy_registry.h"
#include "history/history_store.h"
#include "main_dialog_fixture.h"
#include "seams.h"

namespace {

using test::MainDialogTest;

const wchar_t kTip[] = L"单击这里隐藏或显示任务栏";

class TrayTest : public MainDialogTest {
protected:
    std::wstring label(int id) const { return m_dlg->GetDlgItemText(id); }
    bool hasTaskbarButton() const {
        return (exStyle() & WS_EX_APPWINDOW) != 0 && (exStyle() & WS_EX_TOOLWINDOW) == 0;
    }
    bool isToolWindow() const {
        return (exStyle() & WS_EX_TOOLWINDOW) != 0 && (exStyle() & WS_EX_APPWINDOW) == 0;
    }
    void mouse(UINT mouseMessage, WPARAM iconId = 128) { send(WM_TRAY_NOTIFY, iconId, mouseMessage); }
};

TEST_F(TrayTest, HideToTrayAddsTheIconOnceAndDropsTheTaskbarButton) {
    m_dlg = std::make_unique<CkivToolDlg>();
    g_pSound.reset(&m_sound);
    ASSERT_TRUE(m_dlg->Create(CkivToolDlg::IDD));
    m_dlg->KillTimer(0);
    EXPECT_TRUE(m_dlg->IsWindowVisible()) << "the template is visible";
    EXPECT_TRUE(exStyle() & WS_EX_APPWINDOW);
    EXPECT_FALSE(m_dlg->m_trayIconAdded);

    m_dlg->HideToTray();
    EXPECT_FALSE(m_dlg->IsWindowVisible());
    EXPECT_TRUE(isToolWindow());
    EXPECT_TRUE(m_dlg->m_trayIconAdded);
    const std::vector<NOTIFYICONDATAW> added = test::trayRecords(NIM_ADD);
    ASSERT_EQ(1u, added.size());
    const NOTIFYICONDATAW& data = added[0];
    EXPECT_EQ(952u, data.cbSize);
    EXPECT_EQ(hwnd(), data.hWnd);
    EXPECT_EQ(128u, data.uID);
    EXPECT_EQ(7u, data.uFlags);
    EXPECT_EQ(0x8064u, data.uCallbackMessage);
    EXPECT_EQ(m_dlg->m_hIcon.get(), data.hIcon);
    EXPECT_NE(nullptr, data.hIcon);
    EXPECT_STREQ(kTip, data.szTip);

    m_dlg->HideToTray();
    EXPECT_EQ(1u, test::trayRecords(NIM_ADD).size());
}

TEST_F(TrayTest, LeftClickTogglesTheStatusWindowAndItsTaskbarButton) {
    ASSERT_TRUE(createDialog());
    for (int round = 0; round < 2; ++round) {
        mouse(WM_LBUTTONDOWN);
        EXPECT_TRUE(m_dlg->IsWindowVisible()) << round;
        EXPECT_TRUE(hasTaskbarButton()) << round;
        mouse(WM_LBUTTONDOWN);
        EXPECT_FALSE(m_dlg->IsWindowVisible()) << round;
        EXPECT_TRUE(isToolWindow()) << round;
    }
    EXPECT_TRUE(test::trayRecords(NIM_ADD).empty()) << "the icon was there already";
}

TEST_F(TrayTest, OtherMouseMessagesChangeNothing) {
    ASSERT_TRUE(createDialog());
    for (UINT message : {WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK, WM_MBUTTONDOWN}) {
        mouse(message);
        EXPECT_FALSE(m_dlg->IsWindowVisible()) << message;
    }
    EXPECT_TRUE(test::trayCalls().empty());
}

struct HideCase {
    const char* name;
    UINT message;
    WPARAM wParam;
    bool toTray;  // HideToTray also takes the taskbar button away
};

class HideTest : public TrayTest, public ::testing::WithParamInterface<HideCase> {};

TEST_P(HideTest, StatusWindowHidesAndTheProgramKeepsRunning) {
    ASSERT_TRUE(createDialog());
    mouse(WM_LBUTTONDOWN);
    ASSERT_TRUE(m_dlg->IsWindowVisible());
    send(GetParam().message, GetParam().wParam, 0);
    EXPECT_FALSE(m_dlg->IsWindowVisible());
    EXPECT_EQ(GetParam().toTray, isToolWindow());
    EXPECT_TRUE(::IsWindow(hwnd()));
    EXPECT_TRUE(test::trayRecords(NIM_DELETE).empty());
    EXPECT_TRUE(m_dlg->m_trayIconAdded);
}

INSTANTIATE_TEST_SUITE_P(Ways, HideTest,
                         ::testing::Values(HideCase{"ok", WM_COMMAND, IDOK, true},
                                           HideCase{"cancel", WM_COMMAND, IDCANCEL, false},
                                           HideCase{"minimise", WM_SYSCOMMAND, SC_MINIMIZE, true},
                                           HideCase{"close", WM_CLOSE, 0, false}),
                         [](const ::testing::TestParamInfo<HideCase>& info) { return info.param.name; });

// --- Tip -------------------------------------------------------------------------------

struct TipCase {
    uint32_t workLength;
    uint32_t workElapsed;
    const wchar_t* tip;
};

class TipTest : public TrayTest, public ::testing::WithParamInterface<TipCase> {};

TEST_P(TipTest, MouseOverTheIconShowsWorkedAndRemainingTime) {
    ASSERT_TRUE(createDialog());
    m_dlg->m_clock.m_workLength = GetParam().workLength;
    m_dlg->m_clock.m_workElapsed = GetParam().workElapsed;
    mouse(WM_MOUSEMOVE);
    const std::vector<NOTIFYICONDATAW> modified = test::trayRecords(NIM_MODIFY);
    ASSERT_EQ(1u, modified.size());
    EXPECT_EQ(static_cast<UINT>(NIF_TIP), modified[0].uFlags);
    EXPECT_STREQ(GetParam().tip, modified[0].szTip);
}

INSTANTIATE_TEST_SUITE_P(
    Times, TipTest,
    ::testing::Values(TipCase{3120, 0, L"已工作:0 seconds\n距离休息:52 minutes"},
                      TipCase{3120, 65, L"已工作:1 minutes,5 seconds\n距离休息:50 minutes,55 seconds"},
                      TipCase{90000, 3601, L"已工作:1 hours,1 seconds\n距离休息:23 hours,59 minutes,59 seconds"},
                      // Settings lowered below the time worked: nothing left, never a wrapped count.
                      TipCase{30, 50, L"已工作:50 seconds\n距离休息:0 seconds"}));

TEST_F(TrayTest, TipDuringARestShowsTheWholePeriodThatEnded) {
    theApp.m_settings.workTime = 10;
    theApp.m_settings.relaxTime = 100;
    ASSERT_TRUE(createDialog());
    m_dlg->OnDelayFiveMinutes();
    tick(310);
    ASSERT_FALSE(m_dlg->m_clock.m_working);
    mouse(WM_MOUSEMOVE);
    const std::vector<NOTIFYICONDATAW> modified = test::trayRecords(NIM_MODIFY);
    ASSERT_FALSE(modified.empty());
    EXPECT_STREQ(L"已工作:0 seconds\n距离休息:5 minutes,10 seconds", modified.back().szTip);
}

// --- Menu ------------------------------------------------------------------------------

std::vector<UINT> g_menuIds;
std::vector<UINT> g_subMenuIds;  // the items of its one submenu
bool g_subMenuGreyed = false;
bool g_menuSeen = false;

// Runs inside TrackPopupMenu's loop: reads the open popup's items, then closes it unchosen.
void CALLBACK readAndCloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
    HWND menuWindow = ::FindWindowW(L"#32768", nullptr);
    if (!menuWindow) return;  // not open yet: the next timer message looks again
    ::KillTimer(nullptr, id);
    g_menuSeen = true;
    HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    for (int i = 0; menu && i < ::GetMenuItemCount(menu); ++i) {
        g_menuIds.push_back(::GetMenuItemID(menu, i));
        if (HMENU sub = ::GetSubMenu(menu, i)) {
            g_subMenuGreyed = (::GetMenuState(menu, i, MF_BYPOSITION) & MF_GRAYED) != 0;
            for (int j = 0; j < ::GetMenuItemCount(sub); ++j) g_subMenuIds.push_back(::GetMenuItemID(sub, j));
        }
    }
    ::EndMenu();
}

class TrayMenuTest : public TrayTest {
protected:
    // Opens the tray menu as a right-click does and closes it unchosen.
    void openMenu() {
        g_menuIds.clear();
        g_subMenuIds.clear();
        g_menuSeen = false;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 0, &readAndCloseMenu);
        mouse(WM_RBUTTONDOWN);
        ::KillTimer(nullptr, timer);
        ASSERT_TRUE(g_menuSeen);
    }
};

TEST_F(TrayMenuTest, RightClickOpensTheTrayMenuAndChoosingNothingChangesNothing) {
    ASSERT_TRUE(createDialog());
    openMenu();
    // The pause's submenu after the stated items; "Resume" only while paused.
    EXPECT_EQ((std::vector<UINT>{ID_MENU_SETTINGS, ID_MENU_EXIT, ID_MENU_DELAY5, ID_MENU_DELAY_PRESET, ID_MENU_ABOUT,
                                 ID_MENU_HISTORY, ID_MENU_SKIP_TODAY, static_cast<UINT>(-1)}),
              g_menuIds);
    EXPECT_EQ((std::vector<UINT>{ID_MENU_PAUSE_30, ID_MENU_PAUSE_60, ID_MENU_PAUSE_120, ID_MENU_PAUSE_TOMORROW}),
              g_subMenuIds);
    EXPECT_FALSE(g_subMenuGreyed);
    test::pumpMessages();
    EXPECT_FALSE(g_exiting);
    EXPECT_EQ(100u, m_dlg->m_clock.m_workLength.size());
    EXPECT_TRUE(::IsWindow(hwnd()));
}

// The pause from the menu: the status window and the tip say until when, the day file
// keeps it, "Resume" ends it, and so does its end while the program is closed.
TEST_F(TrayMenuTest, APauseIsShownRecordedAndResumed) {
    test::FakeClock clock(u"2026-12-07 10-00-00");
    ASSERT_TRUE(createDialog());
    command(ID_MENU_PAUSE_30);
    tick();
    mouse(WM_MOUSEMOVE);
    EXPECT_STREQ(L"已暂停，到 10:30", test::trayRecords(NIM_MODIFY).back().szTip);
    EXPECT_EQ(L"已暂停，到 10:30", label(IDC_STATIC_REMAIN));
    const auto pauses = [] {
        std::vector<std::tuple<uint32_t, uint32_t, bool, uint32_t>> out;
        for (const history::Pause& p : history::readDay(theApp.m_profileDir, test::FakeClock::now()).pauses)
            out.emplace_back(p.at, p.until, p.hasEnded, p.ended);
        return out;
    };
    EXPECT_EQ(pauses(), (std::vector<std::tuple<uint32_t, uint32_t, bool, uint32_t>>{{36000, 37800, false, 0}}));
    openMenu();
    EXPECT_EQ(ID_MENU_RESUME, g_subMenuIds.back());
    // A restart the same day finds it running.
    m_dlg.reset();
    ASSERT_TRUE(createDialog());
    EXPECT_TRUE(m_dlg->m_clock.isPaused());

    clock.advance(600);
    command(ID_MENU_RESUME);
    EXPECT_FALSE(m_dlg->m_clock.isPaused());
    EXPECT_EQ(pauses(), (std::vector<std::tuple<uint32_t, uint32_t, bool, uint32_t>>{{36000, 37800, true, 36600}}));
    // One that runs out while the program is closed, yesterday's here, gets its end then.
    command(ID_MENU_PAUSE_TOMORROW);
    m_dlg.reset();
    clock.advance(15 * 3600);
    ASSERT_TRUE(createDialog());
    const history::Pause last =
        history::readDay(theApp.m_profileDir, kiv::Time(test::FakeClock::now().timeValue() - 86400)).pauses.back();
    EXPECT_EQ(std::make_tuple(last.at, last.hasEnded, last.ended), std::make_tuple(36600u, true, 0u));
}

// AllowPause=0 greys the submenu, and the commands do nothing.
TEST_F(TrayMenuTest, AForbiddenPauseIsGreyedAndDoesNothing) {
    test::FakePolicyRegistry registry;
    registry.setNumber(policy::Hive::User, u"AllowPause", 0);
    theApp.ReadPolicies();
    ASSERT_TRUE(createDialog());
    command(ID_MENU_PAUSE_TOMORROW);
    EXPECT_FALSE(m_dlg->m_clock.isPaused());
    openMenu();
    EXPECT_TRUE(g_subMenuGreyed);
    theApp.m_policies = policy::Policies();
}

TEST_F(TrayTest, RightClickOnAnotherIconIdOpensNoMenu) {
    ASSERT_TRUE(createDialog());
    g_menuSeen = false;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 0, &readAndCloseMenu);
    mouse(WM_RBUTTONDOWN, 129);  // returns at once: no menu loop ran the timer
    ::KillTimer(nullptr, timer);
    EXPECT_FALSE(g_menuSeen);
}

// --- Fixed-size fields -----------------------------------------------------------------

TEST_F(TrayTest, LongTextsAreCutToTheirFieldsWithTheTerminator) {
    ASSERT_TRUE(createDialog());
    m_dlg->AddTrayIcon(std::wstring(300, L'T').c_str());
    m_dlg->ShowBalloon(std::wstring(400, L'B').c_str());
    EXPECT_EQ(std::wstring(127, L'T'), g_trayIconData.szTip);
    EXPECT_EQ(std::wstring(255, L'B'), g_trayIconData.szInfo);
    EXPECT_STREQ(L"提醒", g_trayIconData.szInfoTitle);
}

TEST_F(TrayTest, ACutNeverSplitsASurrogatePair) {
    ASSERT_TRUE(createDialog());
    // 126 letters, then U+1F600 (D83D DE00): the pair would straddle the 127-unit limit.
    const std::wstring tip = std::wstring(126, L'a') + L"\xD83D\xDE00" + L"z";
    m_dlg->AddTrayIcon(tip.c_str());
    EXPECT_EQ(std::wstring(126, L'a'), g_trayIconData.szTip);
    // 125 letters and the pair fit exactly.
    const std::wstring fits = std::wstring(125, L'a') + L"\xD83D\xDE00" + L"z";
    m_dlg->AddTrayIcon(fits.c_str());
    EXPECT_EQ(fits.substr(0, 127), g_trayIconData.szTip);
}

// --- The shell restarting --------------------------------------------------------------

TEST_F(TrayTest, TaskbarCreatedAddsTheIconAgainWithTheFirstTip) {
    ASSERT_TRUE(createDialog());
    EXPECT_EQ(::RegisterWindowMessageW(L"TaskbarCreated"), g_taskbarCreatedMsg);
    ASSERT_NE(0u, g_taskbarCreatedMsg);
    mouse(WM_MOUSEMOVE);  // the record now holds the worked-time tip
    m_dlg->ShowBalloon(L"1分钟...");
    send(g_taskbarCreatedMsg);
    const std::vector<NOTIFYICONDATAW> added = test::trayRecords(NIM_ADD);
    ASSERT_EQ(1u, added.size());
    EXPECT_EQ(7u, added[0].uFlags);
    EXPECT_STREQ(kTip, added[0].szTip);
    EXPECT_STREQ(L"", added[0].szInfo) << "no stale balloon rides along";
    EXPECT_EQ(hwnd(), added[0].hWnd);
}

TEST_F(TrayTest, TaskbarCreatedRegistersTheAppBarAgainAndForgetsTheFullScreenProgram) {
    theApp.m_settings.workTime = 2;
    ASSERT_TRUE(createDialog());
    send(WM_APPBAR_NOTIFY, ABN_FULLSCREENAPP, 1);  // the old shell's last word
    ASSERT_TRUE(m_dlg->m_fullScreenApp);
    test::appBarCalls().clear();
    send(g_taskbarCreatedMsg);
    const std::vector<test::AppBarCall>& calls = test::appBarCalls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(static_cast<DWORD>(ABM_REMOVE), calls[0].message);
    EXPECT_EQ(static_cast<DWORD>(ABM_NEW), calls[1].message);
    EXPECT_EQ(36u, calls[1].data.cbSize);
    EXPECT_EQ(hwnd(), calls[1].data.hWnd);
    EXPECT_EQ(static_cast<UINT>(WM_APPBAR_NOTIFY), calls[1].data.uCallbackMessage);
    EXPECT_FALSE(m_dlg->m_fullScreenApp);
    tick(2);
    EXPECT_NE(nullptr, m_dlg->m_pNotifyDlg) << "the rest is postponed for a full-screen program that is gone";
}

TEST_F(TrayTest, TaskbarsThatTheNewShellShowsDuringARestAreHiddenAgain) {
    theApp.m_settings.workTime = 2;
    theApp.m_settings.relaxTime = 50;
    HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    ASSERT_NE(nullptr, taskbar);
    ASSERT_TRUE(createDialog());
    tick(2);
    ASSERT_NE(nullptr, m_dlg->m_pNotifyDlg);
    // The new shell's taskbars come up visible.
    ::ShowWindow(taskbar, SW_SHOW);
    rest_test::SecondaryTaskbars secondary(1);
    ASSERT_TRUE(secondary.allCreated());
    send(g_taskbarCreatedMsg);
    EXPECT_TRUE(rest_test::becomesVisible(taskbar, false));
    EXPECT_EQ(0, secondary.visibleCount());
    m_dlg->EndRest();
    EXPECT_TRUE(rest_test::becomesVisible(taskbar, true));
    EXPECT_EQ(1, secondary.visibleCount());
    // Outside a rest the new taskbar stays as the shell made it.
    send(g_taskbarCreatedMsg);
    EXPECT_TRUE(rest_test::becomesVisible(taskbar, true));
}

TEST_F(TrayTest, NullMessageIsNotTakenForTaskbarCreated) {
    ASSERT_TRUE(createDialog());
    const UINT saved = g_taskbarCreatedMsg;
    g_taskbarCreatedMsg = 0;  // as before any main dialog was initialised
    send(WM_NULL);
    g_taskbarCreatedMsg = saved;
    EXPECT_TRUE(test::trayRecords(NIM_ADD).empty());
}

// --- Close and exit --------------------------------------------------------------------

TEST_F(TrayTest, ExitRemovesTheIconClosesTheNoticeAndDestroysTheWindow) {
    theApp.m_settings.workTime = 20;
    ASSERT_TRUE(createDialog());
    tick(5);
    ASSERT_NE(nullptr, m_dlg->m_pPreviousNotifyDlg);
    const HWND window = hwnd();
    command(ID_MENU_EXIT);
    EXPECT_TRUE(g_exiting);
    EXPECT_EQ(nullptr, m_dlg->m_pPreviousNotifyDlg);
    EXPECT_TRUE(::IsWindow(window)) << "WM_CLOSE is posted, not sent";
    test::pumpMessages();
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(nullptr, m_dlg->m_hWnd);
    const std::vector<NOTIFYICONDATAW> deleted = test::trayRecords(NIM_DELETE);
    ASSERT_EQ(1u, deleted.size());
    EXPECT_EQ(window, deleted[0].hWnd);
    EXPECT_EQ(128u, deleted[0].uID);
    EXPECT_FALSE(m_dlg->m_trayIconAdded);
}

TEST_F(TrayTest, ExitDuringARestTakesTheRestWindowAlong) {
    theApp.m_settings.workTime = 2;
    theApp.m_settings.relaxTime = 50;
    ASSERT_TRUE(createDialog());
    tick(3);
    ASSERT_NE(nullptr, m_dlg->m_pNotifyDlg);
    const HWND restWindow = m_dlg->m_pNotifyDlg->m_hWnd;
    command(ID_MENU_EXIT);
    test::pumpMessages();
    EXPECT_FALSE(::IsWindow(restWindow));
    EXPECT_FALSE(::IsWindow(hwnd()));
    m_dlg.reset();  // deletes the rest window object whose window is already gone
}

TEST_F(TrayTest, TheEndOfTheSessionEndsARestCleanly) {
    theApp.m_settings.workTime = 2;
    theApp.m_settings.relaxTime = 50;
    HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    ASSERT_NE(nullptr, taskbar);
    rest_test::HotKeyRecorder hotKeys;
    ASSERT_TRUE(createDialog());
    tick(2);
    ASSERT_NE(nullptr, m_dlg->m_pNotifyDlg);
    const HWND restWindow = m_dlg->m_pNotifyDlg->m_hWnd;
    const HWND window = hwnd();
    ASSERT_TRUE(rest_test::becomesVisible(taskbar, false));

    EXPECT_EQ(TRUE, send(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF)) << "never holds up the end of the session";
    send(WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);  // someone else held it up
    EXPECT_TRUE(::IsWindow(restWindow)) << "the session goes on, and so does the rest";

    m_sound.calls.clear();
    send(WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(nullptr, m_dlg->m_pNotifyDlg);
    EXPECT_FALSE(::IsWindow(restWindow));
    EXPECT_TRUE(rest_test::becomesVisible(taskbar, true));
    ASSERT_FALSE(m_sound.calls.empty());
    EXPECT_EQ(L"Stop", m_sound.calls.back());
    for (const std::wstring& call : m_sound.calls) EXPECT_EQ(std::wstring::npos, call.find(L"relaxEnd")) << "no end sound";
    ASSERT_FALSE(rest_test::HotKeyRecorder::calls().empty());
    EXPECT_FALSE(rest_test::HotKeyRecorder::calls().back().isRegister) << "the hot key is given back";
    EXPECT_EQ(1u, test::trayRecords(NIM_DELETE).size());
    EXPECT_FALSE(m_dlg->m_trayIconAdded);
    EXPECT_FALSE(::IsWindow(window)) << "the program ends: no copy is left without its timer and tray icon";
}

// The Restart Manager closes the program to replace its files (an installer): it does not
// end the process, so the program must, or it keeps the one-copy name with nothing running.
TEST_F(TrayTest, ARestartManagerCloseEndsTheProgram) {
    ASSERT_TRUE(createDialog());
    const HWND window = hwnd();
    EXPECT_EQ(TRUE, send(WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP));
    send(WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_TRUE(g_exiting);
    EXPECT_EQ(1u, test::trayRecords(NIM_DELETE).size());
}

// The installer's and the uninstaller's request reaches every copy by a message of our own,
// whatever the language of its windows.
TEST_F(TrayTest, TheInstallersExitRequestEndsTheProgramAsExitDoes) {
    ASSERT_TRUE(createDialog());
    const HWND window = hwnd();
    ASSERT_NE(0u, g_exitRequestMsg);
    EXPECT_EQ(::RegisterWindowMessageW(L"Kelbrook.Murvel.kivTool.exit"), g_exitRequestMsg)
        << "the name the installer broadcasts";
    ::PostMessageW(HWND_BROADCAST, g_exitRequestMsg, 0, 0);  // as the installer sends it
    test::pumpMessages();  // the request, then the WM_CLOSE that Exit posts
    EXPECT_TRUE(g_exiting);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(1u, test::trayRecords(NIM_DELETE).size());
}

// Where the organisation does not let a rest be cut short, neither can any program that
// sends the exit request: the program ends when the rest is over, not before.
TEST_F(TrayTest, AnExitRequestDuringARestThatMayNotEndEarlyIsAnsweredAtTheRestsEnd) {
    test::FakePolicyRegistry registry;
    registry.setNumber(policy::Hive::Machine, u"AllowEarlyUnlock", 0);
    theApp.m_policies = policy::readPolicies();
    theApp.m_settings.workTime = 2;
    theApp.m_settings.relaxTime = 5;
    ASSERT_TRUE(createDialog());
    tick(3);
    ASSERT_NE(nullptr, m_dlg->m_pNotifyDlg);
    const HWND window = hwnd();
    ::PostMessageW(HWND_BROADCAST, g_exitRequestMsg, 0, 0);
    test::pumpMessages();
    EXPECT_TRUE(::IsWindow(window));
    EXPECT_NE(nullptr, m_dlg->m_pNotifyDlg) << "the rest was cut short";
    for (int second = 0; second < 6 && ::IsWindow(window); ++second) {
        send(WM_TIMER, 0);
        test::pumpMessages();
    }
    EXPECT_TRUE(g_exiting);
    EXPECT_FALSE(::IsWindow(window)) << "the request was forgotten";
    m_dlg.reset();
}

TEST_F(TrayTest, DestroyingTheWindowOtherwiseStillRemovesTheIcon) {
    ASSERT_TRUE(createDialog());
    const HWND window = hwnd();
    m_dlg->DestroyWindow();
    const std::vector<NOTIFYICONDATAW> deleted = test::trayRecords(NIM_DELETE);
    ASSERT_EQ(1u, deleted.size());
    EXPECT_EQ(window, deleted[0].hWnd);
}

// --- Status window ---------------------------------------------------------------------

TEST_F(TrayTest, StatusLabelsShowTheDurations) {
    // A first start in the future reads as zero, never as a wrapped count.
    theApp.m_firstStartToday = kiv::Time(kiv::Time::now().timeValue() + 3600);
    ASSERT_TRUE(createDialog());
    m_dlg->m_clock.m_workLength = 3720;
    m_dlg->m_clock.m_workElapsed = 3700;
    m_dlg->UpdateStatusFields();
    EXPECT_EQ(L"0 seconds", label(IDC_STATIC_POWERON));
    EXPECT_EQ(L"1 hours,1 minutes,40 seconds", label(IDC_STATIC_WORKED));
    EXPECT_EQ(L"20 seconds", label(IDC_STATIC_REMAIN));

    m_dlg->m_clock.m_workElapsed = 4000;
    m_dlg->UpdateStatusFields();
    EXPECT_EQ(L"0 seconds", label(IDC_STATIC_REMAIN));

    theApp.m_firstStartToday = kiv::Time(kiv::Time::now().timeValue() - 2 * 86400 - 7200);
    m_dlg->UpdateStatusFields();
    EXPECT_EQ(0u, label(IDC_STATIC_POWERON).rfind(L"2 days,2 hours", 0)) << label(IDC_STATIC_POWERON);
}

// The labels are found once, when the window is made: a tick does not look them up again
// (under Wine each lookup is a round trip to the server, every second).
TEST_F(TrayTest, TickWritesTheLabelsFoundAtStart) {
    theApp.m_settings.workTime = 100;
    ASSERT_TRUE(createDialog());
    HWND worked = m_dlg->GetDlgItem(IDC_STATIC_WORKED);
    ASSERT_NE(nullptr, worked);
    // A lookup by id would now miss it.
    ::SetWindowLongPtrW(worked, GWLP_ID, 30000);
    tick(2);
    wchar_t text[64] = L"";
    ::GetWindowTextW(worked, text, 64);
    EXPECT_STREQ(L"1 seconds", text);
}

TEST_F(TrayTest, TickShowsTheCountsFromBeforeTheTick) {
    theApp.m_settings.workTime = 100;
    ASSERT_TRUE(createDialog());
    tick();
    EXPECT_EQ(L"0 seconds", label(IDC_STATIC_WORKED));
    EXPECT_EQ(L"1 minutes,40 seconds", label(IDC_STATIC_REMAIN));
    tick();
    EXPECT_EQ(L"1 seconds", label(IDC_STATIC_WORKED));
    EXPECT_EQ(L"1 minutes,39 seconds", label(IDC_STATIC_REMAIN));
}

TEST_F(TrayTest, SystemMenuCarriesTheAboutItem) {
    ASSERT_TRUE(createDialog());
    HMENU systemMenu = ::GetSystemMenu(hwnd(), FALSE);
    ASSERT_NE(nullptr, systemMenu);
    const int count = ::GetMenuItemCount(systemMenu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(static_cast<UINT>(IDM_ABOUTBOX), ::GetMenuItemID(systemMenu, count - 1));
    wchar_t text[64] = L"";
    ::GetMenuStringW(systemMenu, count - 1, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(L"关于 kivTool(&A)...", text);
    MENUITEMINFOW separator{};
    separator.cbSize = sizeof(separator);
    separator.fMask = MIIM_FTYPE;
    ASSERT_TRUE(::GetMenuItemInfoW(systemMenu, count - 2, TRUE, &separator));
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
}

}  // namespace
