// The real kivTool.exe, started in a scratch folder with a portable profile holding work and
// rest times of a few seconds, driven and read from outside the process: window titles,
// status labels, tray-menu commands, the hot key, the unlock question, the settings dialog
// and the files in the profile folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <regex>
#include <string>

#include "kivtool_process.h"
#include "remote_window.h"

using namespace e2e;

namespace {

// The tray icon the program added for its status window (icon id 128): asking the shell
// to modify it, with nothing to change, succeeds only while it is there.
bool trayIconPresent(HWND owner) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = 128;
    data.uFlags = 0;
    return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

// What a user's Ctrl+Alt+U delivers to the window that registered it.
void pressUnlockHotKey(HWND rest) {
    ::PostMessageW(rest, WM_HOTKEY, 0xC000, MAKELPARAM(MOD_ALT | MOD_CONTROL, 'U'));
}

std::wstring todaysDailyFileName() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    wchar_t name[32];
    swprintf(name, 32, L"%04u-%02u-%02u.xml", now.wYear, now.wMonth, now.wDay);
    return name;
}

// A factor of the unlock question: 0 to 99 in decimal; -1 for anything else.
int factorValue(const std::wstring& text) {
    if (text.empty() || text.size() > 2) return -1;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return -1;
    }
    return std::stoi(text);
}

double secondsSince(DWORD startTick) { return (::GetTickCount() - startTick) / 1000.0; }

}  // namespace

TEST(KivToolE2E, StartsHiddenInTheTrayRecordsTheDayAndExitsFromTheMenu) {
    KivTool app({120, 60, 1});
    ASSERT_EQ(app.setupError(), "");
    const std::string settingsBefore = KivTool::readFile(app.profileDir() / L"Murvel.xml");
    const std::wstring dailyName = todaysDailyFileName();
    ASSERT_TRUE(app.start()) << "no window titled \"Vanto定时休息工具\"";
    HWND status = app.statusWindow();

    EXPECT_TRUE(waitFor([&] { return !::IsWindowVisible(status); }, 3000)) << "the status window stays visible";
    EXPECT_TRUE(trayIconPresent(status));

    // The labels count: worked + remaining is the work time of the profile.
    EXPECT_TRUE(waitFor([&] { return app.statusSeconds(kStatusWorked) >= 2; }, 5000))
        << "worked: " << narrow(itemText(status, kStatusWorked));
    long long worked = -1, remain = -1;
    waitFor([&] {
        worked = app.statusSeconds(kStatusWorked);
        remain = app.statusSeconds(kStatusRemain);
        return worked >= 0 && worked + remain == 120;
    }, 3000);
    EXPECT_EQ(worked + remain, 120) << narrow(itemText(status, kStatusWorked)) << " / "
                                    << narrow(itemText(status, kStatusRemain));
    EXPECT_GE(app.statusSeconds(kStatusPowerOn), 0) << narrow(itemText(status, kStatusPowerOn));

    // The day's first start is written on start-up; the settings file only by the settings dialog.
    const std::string daily = KivTool::readFile(app.profileDir() / dailyName);
    EXPECT_TRUE(std::regex_search(daily, std::regex("<profile>\\s*<startup_time>\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d"
                                                    "</startup_time>\\s*</profile>")))
        << narrow(dailyName) << ": " << daily;
    EXPECT_EQ(KivTool::readFile(app.profileDir() / L"Murvel.xml"), settingsBefore);

    // "关于" opens the About box, which its OK button closes.
    ASSERT_TRUE(app.command(kCommandAbout));
    HWND about = nullptr;
    ASSERT_TRUE(waitFor([&] { return (about = app.windowTitled(kAboutTitle)) != nullptr; }, 5000));
    EXPECT_NE(staticTexts(about).find(L"1.0.2"), std::wstring::npos) << narrow(staticTexts(about));
    clickItem(about, IDOK);
    EXPECT_TRUE(waitFor([&] { return app.windowTitled(kAboutTitle) == nullptr; }, 5000));

    // "退出" ends the process cleanly. (Whether the icon went with it cannot be told from
    // here: Wine's shell drops the icons of a window that no longer exists.)
    ASSERT_TRUE(app.command(kCommandExit));
    DWORD code = 1;
    ASSERT_TRUE(app.waitForExit(10000, &code)) << "still running 10 s after Exit";
    EXPECT_EQ(code, 0u);
}

TEST(KivToolE2E, DelayCommandsLengthenTheWorkPeriod) {
    KivTool app({120, 60, 1});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start());
    long long before = -1;
    ASSERT_TRUE(waitFor([&] { return (before = app.statusSeconds(kStatusRemain)) > 0; }, 3000));

    // "延时5分钟": 300 s more.
    ASSERT_TRUE(app.command(kCommandDelay5));
    long long after = -1;
    EXPECT_TRUE(waitFor([&] { return (after = app.statusSeconds(kStatusRemain)) >= before + 290; }, 3000))
        << "before " << before << " s, after " << after << " s";
    EXPECT_LE(after, before + 300);

    // "延时一个预定时间": one configured work time (120 s) more.
    before = after;
    ASSERT_TRUE(app.command(kCommandDelayPreset));
    EXPECT_TRUE(waitFor([&] { return (after = app.statusSeconds(kStatusRemain)) >= before + 110; }, 3000))
        << "before " << before << " s, after " << after << " s";
    EXPECT_LE(after, before + 120);
}

TEST(KivToolE2E, HomeRestCoversTheScreenHidesTheTaskbarAndEndsByItself) {
    const unsigned work = 3, rest = 4;
    KivTool app({work, rest, 1});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start());
    const DWORD started = ::GetTickCount();

    HWND restWindow = nullptr;
    ASSERT_TRUE(waitFor([&] { return (restWindow = app.restWindow()) != nullptr; }, (work + 8) * 1000))
        << "no full-screen rest window";
    const DWORD restBegan = ::GetTickCount();
    EXPECT_GE(secondsSince(started), work - 1.0) << "the rest began before the work time was over";
    EXPECT_TRUE(::GetWindowLongW(restWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
    // A screen reader reads the time left from the window's text.
    EXPECT_TRUE(waitFor([&] { return durationSeconds(windowText(restWindow)) > 0; }, 2500))
        << "rest window text: " << narrow(windowText(restWindow));
    EXPECT_TRUE(waitFor([] { return !taskbarVisible(); }, 2000)) << "the taskbar stays visible during the rest";
    // The labels show each tick's values from before it: the worked time drops to zero one tick into the rest.
    EXPECT_TRUE(waitFor([&] { return app.statusSeconds(kStatusWorked) == 0; }, 2500))
        << "worked during the rest: " << narrow(itemText(app.statusWindow(), kStatusWorked));

    // Esc and Alt+F4 do not end a rest.
    ::PostMessageW(restWindow, WM_COMMAND, IDCANCEL, 0);
    ::PostMessageW(restWindow, WM_CLOSE, 0, 0);
    ::Sleep(500);
    EXPECT_TRUE(::IsWindow(restWindow) && ::IsWindowVisible(restWindow)) << "Esc or Alt+F4 closed the rest window";

    ASSERT_TRUE(waitFor([&] { return !::IsWindow(restWindow); }, (rest + 5) * 1000)) << "the rest does not end";
    EXPECT_GE(secondsSince(restBegan), rest - 1.0) << "the rest ended early";
    EXPECT_TRUE(waitFor(taskbarVisible, 2000)) << "the taskbar stays hidden after the rest";
    // A new work period of the configured length has begun.
    long long remain = -1;
    EXPECT_TRUE(waitFor([&] {
        remain = app.statusSeconds(kStatusRemain);
        return remain > 0 && remain <= work;
    }, 2000)) << "remaining " << remain;
}

TEST(KivToolE2E, RightAnswerEndsAnOfficeRestEarlyAndExitRestoresTheTaskbar) {
    const unsigned work = 2;
    KivTool app({work, 600, 0});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start());

    HWND restWindow = nullptr;
    ASSERT_TRUE(waitFor([&] { return (restWindow = app.restWindow()) != nullptr; }, (work + 8) * 1000));

    // Ctrl+Alt+U twice opens one question.
    pressUnlockHotKey(restWindow);
    pressUnlockHotKey(restWindow);
    HWND ask = nullptr;
    ASSERT_TRUE(waitFor([&] { return (ask = app.windowOfClass(kAskClass)) != nullptr; }, 3000)) << "no question";
    ::Sleep(300);
    EXPECT_EQ(app.countWindowsOfClass(kAskClass), 1);
    EXPECT_TRUE(::GetWindowLongW(ask, GWL_EXSTYLE) & WS_EX_TOPMOST);

    const std::wstring text1 = itemText(ask, kAskFactor1), text2 = itemText(ask, kAskFactor2);
    const int factor1 = factorValue(text1), factor2 = factorValue(text2);
    ASSERT_TRUE(factor1 >= 0 && factor1 <= 99 && factor2 >= 0 && factor2 <= 99)
        << "factors \"" << narrow(text1) << "\" and \"" << narrow(text2) << "\"";
    const int product = factor1 * factor2;

    // A wrong answer only empties the box.
    ASSERT_TRUE(setItemText(ask, kAskAnswer, std::to_wstring(product + 1)));
    ASSERT_TRUE(clickItem(ask, IDOK));
    EXPECT_TRUE(waitFor([&] { return itemText(ask, kAskAnswer).empty(); }, 3000))
        << "answer box after a wrong answer: " << narrow(itemText(ask, kAskAnswer));
    EXPECT_TRUE(::IsWindow(restWindow));
    EXPECT_EQ(itemText(ask, kAskFactor1), text1);

    // The right one ends the rest at once, long before its 600 s, and closes the question.
    ASSERT_TRUE(setItemText(ask, kAskAnswer, std::to_wstring(product)));
    ASSERT_TRUE(clickItem(ask, IDOK));
    EXPECT_TRUE(waitFor([&] { return !::IsWindow(restWindow); }, 3000)) << "the rest goes on after the right answer";
    EXPECT_FALSE(::IsWindow(ask));
    EXPECT_TRUE(waitFor(taskbarVisible, 2000));

    // The next work period has the configured length: the next rest follows it.
    ASSERT_TRUE(waitFor([&] { return (restWindow = app.restWindow()) != nullptr; }, (work + 8) * 1000));
    EXPECT_TRUE(waitFor([] { return !taskbarVisible(); }, 2000));

    // "退出" during a rest ends the program and gives the taskbar back.
    ASSERT_TRUE(app.command(kCommandExit));
    ASSERT_TRUE(app.waitForExit(10000)) << "still running 10 s after Exit";
    EXPECT_TRUE(taskbarVisible());
}

TEST(KivToolE2E, SettingsDialogRefusesBadInputAndSavesConfirmedSettings) {
    KivTool app({120, 60, 1});
    ASSERT_EQ(app.setupError(), "");
    const std::string settingsBefore = KivTool::readFile(app.profileDir() / L"Murvel.xml");
    ASSERT_TRUE(app.start());

    ASSERT_TRUE(app.command(kCommandSettings));
    HWND dialog = nullptr;
    ASSERT_TRUE(waitFor([&] { return (dialog = app.windowTitled(kSettingsTitle)) != nullptr; }, 5000))
        << "no \"Vanto定时休息设置\"";
    // Whole minutes of the configured seconds.
    EXPECT_EQ(itemText(dialog, kSettingWorkTime), L"2");
    EXPECT_EQ(itemText(dialog, kSettingRestTime), L"1");
    EXPECT_TRUE(isChecked(dialog, kSettingHome));
    EXPECT_FALSE(isChecked(dialog, kSettingOffice));
    EXPECT_FALSE(isChecked(dialog, kSettingFullScreen));

    // A work time of 0 is refused with the range message; nothing is saved.
    ASSERT_TRUE(setItemText(dialog, kSettingWorkTime, L"0"));
    ASSERT_TRUE(clickItem(dialog, IDOK));
    HWND box = nullptr;
    ASSERT_TRUE(waitFor([&] {
        for (HWND w : windowsOf(app.pid())) {
            if (w != dialog && ::IsWindowVisible(w) &&
                staticTexts(w).find(L"Please enter an integer between 1 and 1000000.") != std::wstring::npos) {
                box = w;
                return true;
            }
        }
        return false;
    }, 5000)) << "no message box with the range message";
    clickItem(box, IDOK);
    EXPECT_TRUE(waitFor([&] { return !::IsWindow(box); }, 3000));
    EXPECT_TRUE(::IsWindow(dialog)) << "the settings dialog closed on a refused value";
    EXPECT_EQ(KivTool::readFile(app.profileDir() / L"Murvel.xml"), settingsBefore);

    // 25 minutes of work, 7 of rest, office, rest even at full screen.
    ASSERT_TRUE(setItemText(dialog, kSettingWorkTime, L"25"));
    ASSERT_TRUE(setItemText(dialog, kSettingRestTime, L"7"));
    ASSERT_TRUE(clickItem(dialog, kSettingOffice));
    ASSERT_TRUE(clickItem(dialog, kSettingFullScreen));
    EXPECT_TRUE(waitFor([&] { return isChecked(dialog, kSettingOffice) && isChecked(dialog, kSettingFullScreen); }, 2000));
    ASSERT_TRUE(clickItem(dialog, IDOK));
    ASSERT_TRUE(waitFor([&] { return !::IsWindow(dialog); }, 5000)) << "the settings dialog stays open";

    // The file is written after the dialog's window is gone: wait for it, not only for the window.
    std::string saved;
    waitFor([&] {
        saved = KivTool::readFile(app.profileDir() / L"Murvel.xml");
        return saved.find("<workTime>1500</workTime>") != std::string::npos;
    }, 5000);
    EXPECT_NE(saved.find("<workTime>1500</workTime>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<relaxTime>420</relaxTime>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<homeMode>0</homeMode>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<relaxAtFullScreen>1</relaxAtFullScreen>"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("relaxMusic"), std::string::npos) << "default sound paths are not written: " << saved;

    // The scheduler counts to the new work time at once.
    long long remain = -1;
    EXPECT_TRUE(waitFor([&] {
        remain = app.statusSeconds(kStatusRemain);
        return remain > 1400 && remain <= 1500;
    }, 3000)) << "remaining " << remain;
}

namespace {

// Without a "language" key the program speaks the language of the user's Windows: under
// the Chinese locale the tests run in, the Chinese set; under another, the English one.
TEST(KivToolLanguageE2E, WithoutTheKeyTheWindowsFollowTheUsersWindowsLanguage) {
    const bool chinese = PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_CHINESE;
    KivTool app({120, 60, 1});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start(chinese ? kStatusTitle : kEnglishStatusTitle))
        << "user language 0x" << std::hex << ::GetUserDefaultUILanguage();
    const std::wstring labels = staticTexts(app.statusWindow());
    EXPECT_NE(labels.find(chinese ? L"距离休息剩余时间：" : L"Next break in:"), std::wstring::npos) << narrow(labels);
    ASSERT_TRUE(app.command(kCommandExit));
    EXPECT_TRUE(app.waitForExit(10000));
}

// "en" in the settings file gives the English windows whatever the user's Windows speaks.
TEST(KivToolLanguageE2E, TheLanguageKeyGivesTheEnglishWindows) {
    Profile profile{120, 60, 1};
    profile.language = "en";
    KivTool app(profile);
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start(kEnglishStatusTitle)) << "no window titled \"Vanto Break Timer\"";
    EXPECT_EQ(app.windowTitled(kStatusTitle), nullptr);
    const std::wstring labels = staticTexts(app.statusWindow());
    for (const wchar_t* label : {L"Computer on today for:", L"Working for:", L"Next break in:"})
        EXPECT_NE(labels.find(label), std::wstring::npos) << narrow(label) << " in " << narrow(labels);
    EXPECT_EQ(itemText(app.statusWindow(), IDOK), L"OK");
    // The durations keep their one format in both sets.
    EXPECT_GE(app.statusSeconds(kStatusRemain), 100);

    ASSERT_TRUE(app.command(kCommandSettings));
    HWND dialog = nullptr;
    ASSERT_TRUE(waitFor([&] { return (dialog = app.windowTitled(kEnglishSettingsTitle)) != nullptr; }, 5000));
    EXPECT_EQ(itemText(dialog, kSettingHome), L"Home");
    EXPECT_EQ(itemText(dialog, kSettingOffice), L"Office");
    EXPECT_EQ(itemText(dialog, IDCANCEL), L"Cancel");
    ASSERT_TRUE(clickItem(dialog, IDCANCEL));
    EXPECT_TRUE(waitFor([&] { return !::IsWindow(dialog); }, 5000));
    ASSERT_TRUE(app.command(kCommandExit));
    EXPECT_TRUE(app.waitForExit(10000));
}

}  // namespace
