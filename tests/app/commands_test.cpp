// The tray menu's settings and About commands, with their modal dialogs answered from
// inside the modal loop.
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "fake_policy_registry.h"
#include "framework/handles.h"
#include "framework/resources.h"
#include "main_dialog_fixture.h"
#include "policy/policy_ui.h"
#include "settings_store.h"
#include "seams.h"

namespace {

using test::MainDialogTest;

// What to do with the modal dialog once it is up; set before the command runs.
std::function<void(HWND)> g_answer;
bool g_answered = false;

bool isOpenOwnedDialog(HWND window) {
    wchar_t className[16] = L"";
    ::GetClassNameW(window, className, 16);
    return ::IsWindowVisible(window) && std::wstring(className) == L"#32770" && ::GetWindow(window, GW_OWNER);
}

BOOL CALLBACK findOwnedDialog(HWND window, LPARAM found) {
    if (!isOpenOwnedDialog(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The dialog a test keeps open, and every other one that opened meanwhile (each is
// cancelled as soon as it is seen).
HWND g_kept = nullptr;
std::set<HWND> g_others;

BOOL CALLBACK cancelIfOther(HWND window, LPARAM) {
    if (window == g_kept || !isOpenOwnedDialog(window)) return TRUE;
    g_others.insert(window);
    ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

void CALLBACK cancelOtherDialogs(HWND, UINT, UINT_PTR, DWORD) {
    ::EnumThreadWindows(::GetCurrentThreadId(), &cancelIfOther, 0);
}

void CALLBACK answerModal(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &findOwnedDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;  // not up yet
    ::KillTimer(nullptr, id);
    g_answered = true;
    g_answer(dialog);
}

class CommandTest : public MainDialogTest {
protected:
    void SetUp() override {
        MainDialogTest::SetUp();
        wchar_t temp[MAX_PATH] = L"";
        ::GetTempPathW(MAX_PATH, temp);
        m_profileDir = std::wstring(temp) + L"kivtool-commands-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
        theApp.m_profileDir = m_profileDir.c_str();
        theApp.m_settings.relaxTime = 300;  // whole minutes, so the dialog accepts what it shows
        g_answered = false;
        m_boxes = std::make_unique<test::MessageBoxRecorder>();
    }
    void TearDown() override {
        EXPECT_TRUE(m_boxes->shown().empty()) << "a field was refused";
        m_boxes.reset();
        ::DeleteFileW((m_profileDir + L"Murvel.xml").c_str());
        ::RemoveDirectoryW(m_profileDir.c_str());
        MainDialogTest::TearDown();
    }
    // Runs `id` while `answer` handles the dialog it opens.
    void runWithAnswer(UINT id, std::function<void(HWND)> answer) {
        g_answer = std::move(answer);
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 0, &answerModal);
        command(id);
        ::KillTimer(nullptr, timer);
    }
    bool settingsFileWritten() const {
        return ::GetFileAttributesW((m_profileDir + L"Murvel.xml").c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    std::wstring m_profileDir;
    std::unique_ptr<test::MessageBoxRecorder> m_boxes;  // a refused field must not block the test
};

std::wstring text(HWND dialog, int id) {
    wchar_t buffer[64] = L"";
    ::GetDlgItemTextW(dialog, id, buffer, 64);
    return buffer;
}

TEST_F(CommandTest, SettingsShowMinutesRoundedDownAndOkStoresWholeMinutes) {
    theApp.m_settings.workTime = 90;
    theApp.m_settings.relaxTime = 150;
    theApp.m_settings.homeMode = false;
    theApp.m_settings.relaxAtFullScreen = true;
    ASSERT_TRUE(createDialog());
    tick(40);
    std::wstring shownWork, shownRest;
    bool officeChecked = false, fullScreenChecked = false, idleChecked = true, holdChecked = false,
         eyeBreakChecked = true;
    bool managedLine = true;
    runWithAnswer(ID_MENU_SETTINGS, [&](HWND dialog) {
        managedLine = ::IsWindowVisible(::GetDlgItem(dialog, IDC_STATIC_MANAGED));
        shownWork = text(dialog, IDC_EDIT_WORKTIME);
        shownRest = text(dialog, IDC_EDIT_RESTTIME);
        officeChecked = ::IsDlgButtonChecked(dialog, IDC_RADIO_OFFICE) == BST_CHECKED;
        fullScreenChecked = ::IsDlgButtonChecked(dialog, IDC_CHECK_FULLSCREEN) == BST_CHECKED;
        idleChecked = ::IsDlgButtonChecked(dialog, IDC_CHECK_IDLE_REST) == BST_CHECKED;
        holdChecked = ::IsDlgButtonChecked(dialog, IDC_CHECK_HOLD_CALLS) == BST_CHECKED;
        ::SendMessageW(::GetDlgItem(dialog, IDC_CHECK_IDLE_REST), BM_CLICK, 0, 0);
        ::SendMessageW(::GetDlgItem(dialog, IDC_CHECK_HOLD_CALLS), BM_CLICK, 0, 0);
        eyeBreakChecked = ::IsDlgButtonChecked(dialog, IDC_CHECK_EYE_BREAK) == BST_CHECKED;
        ::SendMessageW(::GetDlgItem(dialog, IDC_CHECK_EYE_BREAK), BM_CLICK, 0, 0);
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(g_answered);
    EXPECT_TRUE(holdChecked) << "on by default";
    EXPECT_FALSE(theApp.m_settings.holdForCalls);
    EXPECT_FALSE(eyeBreakChecked);
    EXPECT_TRUE(theApp.m_settings.eyeBreak);
    EXPECT_EQ(L"1", shownWork);
    EXPECT_EQ(L"2", shownRest);
    EXPECT_TRUE(officeChecked);
    EXPECT_TRUE(fullScreenChecked);
    EXPECT_FALSE(idleChecked);
    EXPECT_FALSE(managedLine) << "no policy is in force";
    EXPECT_EQ(60u, theApp.m_settings.workTime.size());
    EXPECT_EQ(120u, theApp.m_settings.relaxTime.size());
    EXPECT_FALSE(theApp.m_settings.homeMode);
    EXPECT_TRUE(theApp.m_settings.relaxAtFullScreen);
    EXPECT_TRUE(theApp.m_settings.idleIsRest);
    EXPECT_EQ(60u, m_dlg->m_clock.m_workLength.size());
    EXPECT_EQ(120u, m_dlg->m_clock.m_restLength.size());
    EXPECT_EQ(40u, m_dlg->m_clock.m_workElapsed.size()) << "the time worked is kept";
    EXPECT_TRUE(settingsFileWritten());
}

TEST_F(CommandTest, SettingsBelowTheTimeWorkedStartTheRestAtTheNextTick) {
    theApp.m_settings.workTime = 600;
    ASSERT_TRUE(createDialog());
    tick(120);
    runWithAnswer(ID_MENU_SETTINGS, [](HWND dialog) {
        ::SetDlgItemTextW(dialog, IDC_EDIT_WORKTIME, L"1");
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(g_answered);
    EXPECT_TRUE(m_dlg->m_clock.m_working);
    m_dlg->UpdateStatusFields();
    EXPECT_EQ(L"0 seconds", m_dlg->GetDlgItemText(IDC_STATIC_REMAIN));
    tick();
    EXPECT_FALSE(m_dlg->m_clock.m_working);
}

TEST_F(CommandTest, CancelledSettingsChangeNothingButCloseTheNotice) {
    theApp.m_settings.workTime = 20;
    ASSERT_TRUE(createDialog());
    tick(5);
    ASSERT_NE(nullptr, m_dlg->m_pPreviousNotifyDlg);
    runWithAnswer(ID_MENU_SETTINGS, [](HWND dialog) {
        ::SetDlgItemTextW(dialog, IDC_EDIT_WORKTIME, L"7");
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    ASSERT_TRUE(g_answered);
    EXPECT_EQ(nullptr, m_dlg->m_pPreviousNotifyDlg);
    EXPECT_EQ(20u, theApp.m_settings.workTime.size());
    EXPECT_EQ(20u, m_dlg->m_clock.m_workLength.size());
    EXPECT_EQ(5u, m_dlg->m_clock.m_workElapsed.size());
    EXPECT_FALSE(settingsFileWritten());
}

// Ticks go on while the settings dialog is modal, so the notice can open meanwhile. A
// confirmed dialog that leaves more than the countdown closes it again; otherwise the
// countdown leads to the rest as before.
struct NoticeCase {
    const char* name;
    const wchar_t* workMinutes;
    bool noticeStays;
};

class NoticeAfterSettingsTest : public CommandTest, public ::testing::WithParamInterface<NoticeCase> {};

TEST_P(NoticeAfterSettingsTest, ANoticeThatOpenedDuringTheDialogStaysOnlyWhenTheRestIsNear) {
    theApp.m_settings.workTime = 120;
    ASSERT_TRUE(createDialog());
    tick(100);
    bool noticeOpened = false;
    runWithAnswer(ID_MENU_SETTINGS, [&](HWND dialog) {
        tick(5);  // 15 s left
        noticeOpened = m_dlg->m_pPreviousNotifyDlg != nullptr;
        ::SetDlgItemTextW(dialog, IDC_EDIT_WORKTIME, GetParam().workMinutes);
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(g_answered);
    ASSERT_TRUE(noticeOpened);
    EXPECT_EQ(GetParam().noticeStays, m_dlg->m_pPreviousNotifyDlg != nullptr);
}

INSTANTIATE_TEST_SUITE_P(WorkTimes, NoticeAfterSettingsTest,
                         ::testing::Values(NoticeCase{"longer", L"5", false},
                                           NoticeCase{"unchanged", L"2", true}),
                         [](const ::testing::TestParamInfo<NoticeCase>& info) { return info.param.name; });

// The tray menu (and the system menu) still work while a modal dialog runs: a second
// Settings or About brings the open dialog forward instead of opening another, whose OK
// would save stale values over the first one's.
struct SecondCommandCase {
    const char* name;
    UINT first;
    UINT message;
    WPARAM wParam;
};

class SecondCommandTest : public CommandTest, public ::testing::WithParamInterface<SecondCommandCase> {};

TEST_P(SecondCommandTest, BringsTheOpenDialogForwardInsteadOfOpeningAnother) {
    ASSERT_TRUE(createDialog());
    g_others.clear();
    HWND foreground = nullptr;
    runWithAnswer(GetParam().first, [&](HWND dialog) {
        g_kept = dialog;
        HWND elsewhere = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                           nullptr, nullptr);
        ::SetForegroundWindow(elsewhere);
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 0, &cancelOtherDialogs);
        send(GetParam().message, GetParam().wParam, 0);
        ::KillTimer(nullptr, timer);
        foreground = ::GetForegroundWindow();
        ::DestroyWindow(elsewhere);
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    ASSERT_TRUE(g_answered);
    EXPECT_EQ(0u, g_others.size()) << "a second dialog opened";
    EXPECT_EQ(g_kept, foreground);
    EXPECT_FALSE(settingsFileWritten());
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SecondCommandTest,
    ::testing::Values(SecondCommandCase{"settingsTwice", ID_MENU_SETTINGS, WM_COMMAND, ID_MENU_SETTINGS},
                      SecondCommandCase{"aboutDuringSettings", ID_MENU_SETTINGS, WM_COMMAND, ID_MENU_ABOUT},
                      SecondCommandCase{"aboutTwice", ID_MENU_ABOUT, WM_SYSCOMMAND, IDM_ABOUTBOX},
                      SecondCommandCase{"settingsDuringAbout", ID_MENU_ABOUT, WM_COMMAND, ID_MENU_SETTINGS}),
    [](const ::testing::TestParamInfo<SecondCommandCase>& info) { return info.param.name; });

TEST_F(CommandTest, AFailedSaveTellsTheUserAndKeepsTheNewValuesInForce) {
    const std::wstring unwritable = m_profileDir + L"missing\\deeper\\";  // only one level is ever created
    theApp.m_profileDir = unwritable.c_str();
    theApp.m_settings.workTime = 600;
    ASSERT_TRUE(createDialog());
    runWithAnswer(ID_MENU_SETTINGS, [](HWND dialog) {
        ::SetDlgItemTextW(dialog, IDC_EDIT_WORKTIME, L"7");
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(g_answered);
    EXPECT_EQ(420u, theApp.m_settings.workTime.size());
    EXPECT_EQ(420u, m_dlg->m_clock.m_workLength.size());
    ASSERT_EQ(1u, m_boxes->shown().size());
    EXPECT_EQ(L"\u65E0\u6CD5\u4FDD\u5B58\u8BBE\u7F6E\u6587\u4EF6\uFF1A" + unwritable + L"Murvel.xml",
              m_boxes->shown()[0].text);
    m_boxes.reset();  // the box was expected
    m_boxes = std::make_unique<test::MessageBoxRecorder>();
}

// --- Policies ----------------------------------------------------------------------------

class PolicyCommandTest : public CommandTest {
protected:
    // The user's own settings: 52 minutes of work, 5 of rest, home mode.
    void SetUp() override {
        CommandTest::SetUp();
        theApp.m_ownSettings.workTime = 3120;
        theApp.m_ownSettings.relaxTime = 300;
        theApp.m_ownSettings.homeMode = true;
        theApp.m_ownSettings.relaxAtFullScreen = false;
        theApp.m_ownSettings.idleIsRest = false;
        theApp.m_ownSettings.relaxMusic = kRelaxMusic;
        theApp.m_ownSettings.relaxNoticeMusic = kNoticeMusic;
        theApp.m_ownSettings.relaxEndMusic = kEndMusic;
        theApp.m_policies = policy::Policies();
    }
    void TearDown() override {
        theApp.m_ownSettings = settings::Values();
        theApp.m_settings.holdForCalls = true;
        theApp.setWorkingHoursText(kiv::String());
        CommandTest::TearDown();
        m_clock.reset();
    }
    settings::Values savedFile() const {
        return settings::loadSettingsFile(kiv::String((m_profileDir + L"Murvel.xml").c_str()), kiv::String(u"C:\\"));
    }
    bool isEnabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }
    test::FakePolicyRegistry m_registry;
    std::optional<test::FakeClock> m_clock;  // a test that set the clock
};

TEST_F(PolicyCommandTest, ManagedControlsAreDisabledAndTheFileKeepsTheUsersOwnValues) {
    m_registry.setNumber(policy::Hive::Machine, u"WorkMinutes", 45);
    m_registry.setNumber(policy::Hive::User, u"MinimumRestMinutes", 10);
    m_registry.setNumber(policy::Hive::User, u"HomeMode", 0);
    ASSERT_TRUE(theApp.ReadPolicies());
    EXPECT_EQ(2700u, theApp.m_settings.workTime.size());
    EXPECT_EQ(600u, theApp.m_settings.relaxTime.size()) << "the floor lengthens the user's 5 minutes";
    EXPECT_FALSE(theApp.m_settings.homeMode);
    ASSERT_TRUE(createDialog());
    EXPECT_EQ(2700u, m_dlg->m_clock.m_workLength.size());
    EXPECT_EQ(600u, m_dlg->m_clock.m_restLength.size());

    std::wstring shownWork, shownRest;
    bool workEnabled = true, restEnabled = false, homeEnabled = true, officeEnabled = true, fullScreenEnabled = false,
         managedLine = false;
    runWithAnswer(ID_MENU_SETTINGS, [&](HWND dialog) {
        shownWork = text(dialog, IDC_EDIT_WORKTIME);
        shownRest = text(dialog, IDC_EDIT_RESTTIME);
        workEnabled = isEnabled(dialog, IDC_EDIT_WORKTIME);
        restEnabled = isEnabled(dialog, IDC_EDIT_RESTTIME);
        homeEnabled = isEnabled(dialog, IDC_RADIO_HOME);
        officeEnabled = isEnabled(dialog, IDC_RADIO_OFFICE);
        fullScreenEnabled = isEnabled(dialog, IDC_CHECK_FULLSCREEN);
        managedLine = ::IsWindowVisible(::GetDlgItem(dialog, IDC_STATIC_MANAGED));
        ::SendMessageW(::GetDlgItem(dialog, IDC_CHECK_FULLSCREEN), BM_CLICK, 0, 0);
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(g_answered);
    EXPECT_EQ(L"45", shownWork);
    EXPECT_EQ(L"10", shownRest);
    EXPECT_FALSE(workEnabled);
    EXPECT_TRUE(restEnabled) << "a floor leaves the rest to the user above it";
    EXPECT_FALSE(homeEnabled);
    EXPECT_FALSE(officeEnabled);
    EXPECT_TRUE(fullScreenEnabled);
    EXPECT_TRUE(managedLine);

    const settings::Values file = savedFile();
    EXPECT_EQ(3120u, file.workTime.size());
    EXPECT_EQ(300u, file.relaxTime.size());
    EXPECT_TRUE(file.homeMode);
    EXPECT_TRUE(file.relaxAtFullScreen) << "the user's own change is saved";
    EXPECT_EQ(2700u, theApp.m_settings.workTime.size());
    EXPECT_TRUE(theApp.m_settings.relaxAtFullScreen);
}

TEST_F(PolicyCommandTest, ARestBelowTheFloorIsRefused) {
    m_registry.setNumber(policy::Hive::Machine, u"MinimumRestMinutes", 10);
    theApp.ReadPolicies();
    ASSERT_TRUE(createDialog());
    runWithAnswer(ID_MENU_SETTINGS, [&](HWND dialog) {
        ::SetDlgItemTextW(dialog, IDC_EDIT_RESTTIME, L"9");
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);  // refused: the dialog stays
        ::SetDlgItemTextW(dialog, IDC_EDIT_RESTTIME, L"11");
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(g_answered);
    ASSERT_EQ(1u, m_boxes->shown().size());
    EXPECT_EQ(L"Please enter an integer between 10 and 100000.", m_boxes->shown()[0].text);
    m_boxes = std::make_unique<test::MessageBoxRecorder>();
    EXPECT_EQ(660u, theApp.m_settings.relaxTime.size());
    EXPECT_EQ(660u, savedFile().relaxTime.size());
}

TEST_F(PolicyCommandTest, APolicyRemovedBringsTheUsersValuesBackOnlyWhenWindowsSaysPolicy) {
    m_registry.setNumber(policy::Hive::Machine, u"WorkMinutes", 45);
    m_registry.setNumber(policy::Hive::Machine, u"RestMinutes", 10);
    theApp.ReadPolicies();
    ASSERT_TRUE(createDialog());
    tick(30);
    m_registry.clear();
    send(WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl"));
    EXPECT_EQ(2700u, m_dlg->m_clock.m_workLength.size()) << "another area changed: the policies are not read";

    send(WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"));
    EXPECT_EQ(3120u, theApp.m_settings.workTime.size());
    EXPECT_EQ(300u, theApp.m_settings.relaxTime.size());
    EXPECT_EQ(3120u, m_dlg->m_clock.m_workLength.size());
    EXPECT_EQ(300u, m_dlg->m_clock.m_restLength.size());
    EXPECT_EQ(30u, m_dlg->m_clock.m_workElapsed.size()) << "the time worked is kept";
    EXPECT_FALSE(theApp.m_policies.any());
    EXPECT_FALSE(settingsFileWritten());
}

TEST_F(PolicyCommandTest, AnUnchangedPolicyRefreshKeepsTheDelays) {
    m_registry.setNumber(policy::Hive::Machine, u"AllowSkipToday", 0);
    theApp.ReadPolicies();
    ASSERT_TRUE(createDialog());
    command(ID_MENU_DELAY5);
    EXPECT_EQ(3420u, m_dlg->m_clock.m_workLength.size());
    send(WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"));
    EXPECT_EQ(3420u, m_dlg->m_clock.m_workLength.size());
}

TEST_F(PolicyCommandTest, ForbiddenDelaysAreGreyedAndDoNothing) {
    m_registry.setNumber(policy::Hive::User, u"AllowDelays", 0);
    theApp.ReadPolicies();
    ASSERT_TRUE(createDialog());
    command(ID_MENU_DELAY5);
    command(ID_MENU_DELAY_PRESET);
    EXPECT_EQ(3120u, m_dlg->m_clock.m_workLength.size());

    fw::Menu menu = fw::loadMenu(IDR_TRAY_MENU);
    HMENU popup = ::GetSubMenu(menu.get(), 0);
    ASSERT_NE(nullptr, popup);
    policy::greyForbiddenCommands(popup, theApp.m_policies);
    const auto greyed = [&](UINT id) { return (::GetMenuState(popup, id, MF_BYCOMMAND) & MF_GRAYED) != 0; };
    EXPECT_TRUE(greyed(ID_MENU_DELAY5));
    EXPECT_TRUE(greyed(ID_MENU_DELAY_PRESET));
    EXPECT_FALSE(greyed(ID_MENU_SETTINGS));
    EXPECT_FALSE(greyed(ID_MENU_EXIT));
}

TEST_F(PolicyCommandTest, HoursAndHoldsPoliciesRuleTheScheduleAndNeverReachTheFile) {
    m_clock.emplace(u"2026-12-07 20-00-00");  // a Monday
    ASSERT_TRUE(createDialog());
    EXPECT_FALSE(m_dlg->isOutsideWorkingHours()) << "no working hours: always working";

    m_registry.set(policy::Hive::Machine, u"WorkingHours", test::FakePolicyRegistry::text(u"mon-fri 08:30-18:00"));
    m_registry.setNumber(policy::Hive::User, u"HoldForCalls", 0);
    send(WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"));
    EXPECT_TRUE(m_dlg->isOutsideWorkingHours()) << "the policy's hours are in force at once";
    EXPECT_FALSE(theApp.m_settings.holdForCalls);

    bool holdEnabled = true, hoursEnabled = true, holdChecked = true;
    runWithAnswer(ID_MENU_SETTINGS, [&](HWND dialog) {
        holdEnabled = isEnabled(dialog, IDC_CHECK_HOLD_CALLS);
        hoursEnabled = isEnabled(dialog, IDC_BUTTON_WORKING_HOURS);
        holdChecked = ::IsDlgButtonChecked(dialog, IDC_CHECK_HOLD_CALLS) == BST_CHECKED;
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(g_answered);
    EXPECT_FALSE(holdEnabled);
    EXPECT_FALSE(hoursEnabled);
    EXPECT_FALSE(holdChecked);
    ASSERT_TRUE(settingsFileWritten());
    const settings::Values file = savedFile();
    EXPECT_TRUE(file.workingHours.isEmpty()) << "the policy's hours are not the user's";
    EXPECT_TRUE(file.holdForCalls);
    EXPECT_TRUE(m_dlg->isOutsideWorkingHours()) << "a confirmed dialog keeps the policy's hours";

    // Hours the program cannot read count as no policy: the user's (none) are back.
    m_registry.set(policy::Hive::Machine, u"WorkingHours", test::FakePolicyRegistry::text(u"1-5 08:30-18:00"));
    send(WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"));
    EXPECT_FALSE(m_dlg->isOutsideWorkingHours());
}

TEST_F(PolicyCommandTest, AForbiddenSkipTodayIsGreyedAndDoesNothing) {
    m_registry.setNumber(policy::Hive::User, u"AllowSkipToday", 0);
    theApp.ReadPolicies();
    theApp.setWorkingHoursText(kiv::String(u"mon-fri 08:30-18:00"));
    m_clock.emplace(u"2026-12-07 10-00-00");
    ASSERT_TRUE(createDialog());
    command(ID_MENU_SKIP_TODAY);
    EXPECT_FALSE(m_dlg->isOutsideWorkingHours()) << "today was skipped";

    fw::Menu menu = fw::loadMenu(IDR_TRAY_MENU);
    HMENU popup = ::GetSubMenu(menu.get(), 0);
    ASSERT_NE(nullptr, popup);
    policy::greyForbiddenCommands(popup, theApp.m_policies);
    EXPECT_TRUE((::GetMenuState(popup, ID_MENU_SKIP_TODAY, MF_BYCOMMAND) & MF_GRAYED) != 0);
    EXPECT_FALSE((::GetMenuState(popup, ID_MENU_DELAY5, MF_BYCOMMAND) & MF_GRAYED) != 0);
}

struct AboutCase {
    const char* name;
    UINT message;
    WPARAM wParam;
};

class AboutTest : public CommandTest, public ::testing::WithParamInterface<AboutCase> {};

TEST_P(AboutTest, OpensTheAboutBoxOwnedByTheMainDialog) {
    ASSERT_TRUE(createDialog());
    HWND owner = nullptr;
    std::wstring caption;
    g_answer = [&](HWND dialog) {
        owner = ::GetWindow(dialog, GW_OWNER);
        wchar_t buffer[64] = L"";
        ::GetWindowTextW(dialog, buffer, 64);
        caption = buffer;
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 0, &answerModal);
    send(GetParam().message, GetParam().wParam, 0);
    ::KillTimer(nullptr, timer);
    ASSERT_TRUE(g_answered);
    EXPECT_EQ(hwnd(), owner);
    EXPECT_FALSE(caption.empty());
}

INSTANTIATE_TEST_SUITE_P(Ways, AboutTest,
                         ::testing::Values(AboutCase{"trayMenu", WM_COMMAND, ID_MENU_ABOUT},
                                           AboutCase{"systemMenu", WM_SYSCOMMAND, IDM_ABOUTBOX}),
                         [](const ::testing::TestParamInfo<AboutCase>& info) { return info.param.name; });

}  // namespace
