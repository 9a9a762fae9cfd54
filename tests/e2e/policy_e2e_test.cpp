// Group Policy values written into the registry before the real program starts, as an
// administrator's policy would: the lengths in force in the status window, the settings
// dialog's managed controls, Ctrl+Alt+U forbidden; then the policy removed and Windows'
// "Policy" announcement sent: the user's own values are back. The settings file is never
// written by a policy.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "kivtool_process.h"
#include "remote_window.h"

using namespace e2e;

namespace {

const wchar_t kPolicyKey[] = L"SOFTWARE\\Policies\\Kelbrook\\kivTool";
const int kSettingManagedLine = 1011;

// Policy values under HKLM and HKCU for one test; the keys go again at its end.
class PolicyValues {
public:
    ~PolicyValues() { clear(); }
    bool set(HKEY hive, const wchar_t* name, DWORD value) {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(hive, kPolicyKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return false;
        const LONG status = ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        ::RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }
    void clear() {
        ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPolicyKey);
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kPolicyKey);
    }
};

// What Windows broadcasts after applying Group Policy.
bool announcePolicyChange(HWND window) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(window, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"), SMTO_ABORTIFHUNG,
                                 5000, &result) != 0;
}

bool isEnabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

}  // namespace

TEST(PolicyE2E, PoliciesSetTheLengthsAndManageTheDialogUntilTheyGo) {
    PolicyValues policies;
    policies.clear();  // left over from an interrupted run
    ASSERT_TRUE(policies.set(HKEY_LOCAL_MACHINE, L"WorkMinutes", 45));
    ASSERT_TRUE(policies.set(HKEY_CURRENT_USER, L"WorkMinutes", 30));  // the computer's wins
    ASSERT_TRUE(policies.set(HKEY_CURRENT_USER, L"HomeMode", 0));
    ASSERT_TRUE(policies.set(HKEY_CURRENT_USER, L"RestMinutes", 0));  // out of range: ignored

    KivTool app({120, 60, 1});
    ASSERT_EQ(app.setupError(), "");
    const std::string written = KivTool::readFile(app.profileDir() / L"Murvel.xml");
    ASSERT_TRUE(app.start());
    long long remain = -1;
    EXPECT_TRUE(waitFor([&] {
        remain = app.statusSeconds(kStatusRemain);
        return remain > 2600 && remain <= 2700;
    }, 3000)) << "remaining " << remain << " s; 45 minutes are in force";

    ASSERT_TRUE(app.command(kCommandSettings));
    HWND dialog = nullptr;
    ASSERT_TRUE(waitFor([&] { return (dialog = app.windowTitled(kSettingsTitle)) != nullptr; }, 5000));
    EXPECT_EQ(itemText(dialog, kSettingWorkTime), L"45");
    EXPECT_EQ(itemText(dialog, kSettingRestTime), L"1") << "the user's own rest: the policy's 0 is ignored";
    EXPECT_FALSE(isEnabled(dialog, kSettingWorkTime));
    EXPECT_TRUE(isEnabled(dialog, kSettingRestTime));
    EXPECT_FALSE(isEnabled(dialog, kSettingHome));
    EXPECT_FALSE(isEnabled(dialog, kSettingOffice));
    EXPECT_TRUE(isChecked(dialog, kSettingOffice));
    EXPECT_TRUE(isEnabled(dialog, kSettingFullScreen));
    HWND managed = ::GetDlgItem(dialog, kSettingManagedLine);
    EXPECT_TRUE(::IsWindowVisible(managed));
    EXPECT_EQ(windowText(managed), L"部分设置由你的组织管理");
    // Confirmed as it is: nothing the policy set reaches the file.
    ASSERT_TRUE(clickItem(dialog, IDOK));
    ASSERT_TRUE(waitFor([&] { return !::IsWindow(dialog); }, 5000));
    std::string saved;
    EXPECT_TRUE(waitFor([&] { return (saved = KivTool::readFile(app.profileDir() / L"Murvel.xml")) != written; }, 3000))
        << "the file was not saved";
    EXPECT_NE(saved.find("<workTime>120</workTime>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<homeMode>1</homeMode>"), std::string::npos) << saved;

    // The administrator takes the policy away; Windows announces it.
    policies.clear();
    ASSERT_TRUE(announcePolicyChange(app.statusWindow()));
    EXPECT_TRUE(waitFor([&] {
        remain = app.statusSeconds(kStatusRemain);
        return remain > 0 && remain <= 120;
    }, 3000)) << "remaining " << remain << " s; the user's 2 minutes are back";

    ASSERT_TRUE(app.command(kCommandSettings));
    ASSERT_TRUE(waitFor([&] { return (dialog = app.windowTitled(kSettingsTitle)) != nullptr; }, 5000));
    EXPECT_EQ(itemText(dialog, kSettingWorkTime), L"2");
    EXPECT_TRUE(isEnabled(dialog, kSettingWorkTime));
    EXPECT_TRUE(isChecked(dialog, kSettingHome));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, kSettingManagedLine)));
    ASSERT_TRUE(clickItem(dialog, IDCANCEL));
    ASSERT_TRUE(waitFor([&] { return !::IsWindow(dialog); }, 5000));
    EXPECT_EQ(KivTool::readFile(app.profileDir() / L"Murvel.xml"), saved);
}

TEST(PolicyE2E, WithoutEarlyUnlockCtrlAltUOpensNoQuestion) {
    PolicyValues policies;
    policies.clear();
    ASSERT_TRUE(policies.set(HKEY_LOCAL_MACHINE, L"AllowEarlyUnlock", 0));
    const unsigned work = 2;
    KivTool app({work, 600, 0});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start());
    HWND restWindow = nullptr;
    ASSERT_TRUE(waitFor([&] { return (restWindow = app.restWindow()) != nullptr; }, (work + 8) * 1000));
    ::PostMessageW(restWindow, WM_HOTKEY, 0xC000, MAKELPARAM(MOD_ALT | MOD_CONTROL, 'U'));
    EXPECT_FALSE(waitFor([&] { return app.windowOfClass(kAskClass) != nullptr; }, 2000)) << "a question opened";
    EXPECT_TRUE(::IsWindow(restWindow));

    // Allowed again, the same key opens it.
    policies.clear();
    ASSERT_TRUE(announcePolicyChange(app.statusWindow()));
    ::PostMessageW(restWindow, WM_HOTKEY, 0xC000, MAKELPARAM(MOD_ALT | MOD_CONTROL, 'U'));
    EXPECT_TRUE(waitFor([&] { return app.windowOfClass(kAskClass) != nullptr; }, 3000)) << "no question";

    ASSERT_TRUE(app.command(kCommandExit));
    EXPECT_TRUE(app.waitForExit(10000));
}
