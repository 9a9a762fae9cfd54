// The dialog templates, menu, string, icon, version record and manifest in kivTool.rc:
// each dialog is read back from the built program's resources field by field and created
// as a window.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwctype>
#include <string>
#include <vector>

#include "framework/framework_ids.h"
#include "framework/handles.h"
#include "framework/resources.h"
#include "resource.h"
#include "test_support.h"

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

struct ControlRow {
    int id;
    const wchar_t* className;
    const wchar_t* text;  // null: checked by its own test
    DWORD type;           // the style bits under typeMask
    DWORD typeMask;
    DWORD set;            // style bits that must be set
    DWORD clear;          // style bits that must be clear
    short x, y, cx, cy;
};

struct DialogRow {
    const char* name;
    UINT id;
    DWORD style;
    DWORD exStyle;
    short cx, cy;
    const wchar_t* caption;
    WORD pointSize;
    const wchar_t* typeface;
    std::vector<ControlRow> controls;
};

constexpr DWORD kButtonType = BS_TYPEMASK;
constexpr DWORD kStaticType = SS_TYPEMASK;
constexpr DWORD kEditFlags = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;

// The status window's style is documented as one hex value; the named flags must make it.
static_assert((DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX) ==
                  0x90CA00C0,
              "status window style");

const std::vector<DialogRow>& dialogRows() {
    static const std::vector<DialogRow> rows = {
        {"AboutBox", IDD_ABOUTBOX, DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 235, 55,
         L"关于Vanto定时休息工具", 9, L"宋体",
         {
             {IDC_STATIC, L"Static", L"", SS_ICON, kStaticType, kChild, 0, 11, 17, 20, 20},
             {IDC_STATIC, L"Static", L"Vanto定时休息工具 1.0.2 版", SS_LEFT, kStaticType, kChild, 0, 40, 10, 119, 8},
             {IDC_STATIC, L"Static", nullptr, SS_LEFT, kStaticType, kChild, 0, 40, 25, 119, 23},
             {IDOK, L"Button", L"确定", BS_DEFPUSHBUTTON, kButtonType, kChild, 0, 178, 7, 50, 16},
         }},
        {"StatusWindow", IDD_KIVTOOL_DIALOG, 0x90CA00C0, WS_EX_APPWINDOW, 305, 111, L"Vanto定时休息工具", 9, L"宋体",
         {
             {IDOK, L"Button", L"确定", BS_DEFPUSHBUTTON, kButtonType, kChild, 0, 127, 84, 50, 16},
             {IDC_STATIC, L"Static", L"今日第一次开机至今时间：", SS_LEFT, kStaticType, kChild, 0, 15, 23, 97, 8},
             {IDC_STATIC_POWERON, L"Static", L"静态", SS_LEFT, kStaticType, kChild, 0, 111, 23, 171, 8},
             {IDC_STATIC, L"Static", L"当前工作持续时间：", SS_LEFT, kStaticType, kChild, 0, 15, 43, 73, 8},
             {IDC_STATIC_WORKED, L"Static", L"静态", SS_LEFT, kStaticType, kChild, 0, 111, 43, 171, 8},
             {IDC_STATIC, L"Static", L"距离休息剩余时间：", SS_LEFT, kStaticType, kChild, 0, 15, 63, 73, 8},
             {IDC_STATIC_REMAIN, L"Static", L"静态", SS_LEFT, kStaticType, kChild, 0, 111, 64, 171, 8},
             {IDCANCEL, L"Button", L"Button1", BS_PUSHBUTTON, kButtonType, WS_CHILD, WS_VISIBLE, 207, 90, 50, 14},
         }},
        {"RestWindow", IDD_NOTIFY_DIALOG, DS_SETFONT | DS_FIXEDSYS | WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 146, 54,
         L"", 9, L"宋体", {}},
        // One row of factors, the answer box below it, the buttons below that: the question
        // is the box's accessible name, never a second visible line.
        {"UnlockQuestion", IDD_ASK_DIALOG, DS_SETFONT | DS_SETFOREGROUND | WS_POPUP | WS_VISIBLE | WS_BORDER,
         WS_EX_APPWINDOW, 215, 89, L"", 9, L"宋体",
         {
             {IDC_EDIT_ANSWER, L"Edit", L"", 0, 0, kChild | kEditFlags, 0, 63, 30, 88, 16},
             {IDOK, L"Button", L"OK", BS_DEFPUSHBUTTON, kButtonType, kChild | WS_TABSTOP, 0, 48, 57, 50, 14},
             {IDCANCEL, L"Button", L"Cancel", BS_PUSHBUTTON, kButtonType, kChild | WS_TABSTOP, 0, 127, 57, 50, 14},
             {IDC_STATIC_FACTOR1, L"Static", L"Static", SS_LEFT, kStaticType, kChild, 0, 46, 14, 19, 8},
             {IDC_STATIC_FACTOR2, L"Static", L"Static", SS_LEFT, kStaticType, kChild, 0, 125, 14, 19, 8},
             // U+00D7 MULTIPLICATION SIGN
             {IDC_STATIC, L"Static", L"\u00D7", SS_LEFT, kStaticType, kChild, 0, 91, 14, 8, 8},
             {IDC_STATIC, L"Static", L"=", SS_LEFT, kStaticType, kChild, 0, 170, 14, 8, 8},
         }},
        {"PreRestNotice", IDD_PREVIOUS_NOTIFY_DIALOG, DS_SYSMODAL | DS_SETFONT | DS_FIXEDSYS | WS_POPUP | WS_VISIBLE,
         WS_EX_TOPMOST, 51, 24, L"", 8, L"MS Shell Dlg", {}},
        {"Settings", IDD_SETTING_DIALOG,
         DS_SETFONT | DS_MODALFRAME | DS_FIXEDSYS | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 203, 276,
         L"Vanto定时休息设置", 8, L"MS Shell Dlg",
         {
             {IDC_STATIC, L"Static", L"工作时间(单位：分钟):", SS_LEFT, kStaticType, kChild, 0, 20, 23, 81, 8},
             {IDC_EDIT_WORKTIME, L"Edit", L"", 0, 0, kChild | kEditFlags, 0, 113, 23, 70, 14},
             {IDC_STATIC, L"Static", L"休息时间(单位：分钟):", SS_LEFT, kStaticType, kChild, 0, 20, 44, 81, 8},
             {IDC_EDIT_RESTTIME, L"Edit", L"", 0, 0, kChild | kEditFlags, 0, 113, 44, 70, 14},
             {IDC_STATIC, L"Button", L"工作场所", BS_GROUPBOX, kButtonType, kChild, 0, 20, 64, 163, 40},
             // The group's one tab stop; the dialog manager moves it to the checked button.
             {IDC_RADIO_HOME, L"Button", L"家", BS_AUTORADIOBUTTON, kButtonType, kChild | WS_GROUP | WS_TABSTOP, 0, 49,
              81, 32, 10},
             {IDC_RADIO_OFFICE, L"Button", L"公司", BS_AUTORADIOBUTTON, kButtonType, kChild, WS_GROUP | WS_TABSTOP, 121,
              82, 32, 10},
             // Starts a group: the arrows stay within the two radio buttons.
             {IDC_CHECK_FULLSCREEN, L"Button", L"全屏时仍然休息", BS_AUTOCHECKBOX, kButtonType,
              kChild | WS_GROUP | WS_TABSTOP, 0, 20, 111, 94, 10},
             {IDC_STATIC, L"Static",
              L"注：程序将每隔一个工作时间后锁住电脑至一个\n休息时间，休息结束后用户方可继续操作电脑。\n"
              L"如果在休息中想退出休息，请按Ctrl+Alt+U\n来解锁。\n",
              SS_LEFTNOWORDWRAP, kStaticType, kChild | WS_GROUP, 0, 20, 134, 169, 35},
             {IDOK, L"Button", L"确定", BS_DEFPUSHBUTTON, kButtonType, kChild, 0, 36, 179, 50, 14},
             {IDCANCEL, L"Button", L"取消", BS_PUSHBUTTON, kButtonType, kChild, 0, 117, 179, 50, 14},
             // Added below the others; the dialog grew by its height and margin.
             {IDC_CHECK_IDLE_REST, L"Button", L"离开电脑时计为休息", BS_AUTOCHECKBOX, kButtonType,
              kChild | WS_TABSTOP, 0, 20, 201, 163, 10},
             {IDC_CHECK_HOLD_CALLS, L"Button", L"通话或演示时推迟休息", BS_AUTOCHECKBOX, kButtonType,
              kChild | WS_TABSTOP, 0, 20, 215, 163, 10},
             {IDC_CHECK_EYE_BREAK, L"Button", L"每20分钟远眺20秒", BS_AUTOCHECKBOX, kButtonType, kChild | WS_TABSTOP,
              0, 20, 229, 163, 10},
             // The working hours, a row below the rows the other settings keep.
             {IDC_BUTTON_WORKING_HOURS, L"Button", L"工作时间...", BS_PUSHBUTTON, kButtonType, kChild | WS_TABSTOP, 0,
              20, 243, 70, 14},
             // Hidden until a policy is in force.
             {IDC_STATIC_MANAGED, L"Static", L"部分设置由你的组织管理", SS_LEFT, kStaticType, WS_CHILD, WS_VISIBLE,
              20, 263, 163, 8},
         }},
        // Never activated, so never the keyboard's; shown by the program without activation.
        {"EyeBreak", IDD_EYE_BREAK_DIALOG, DS_SETFONT | WS_POPUP | WS_BORDER,
         WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, 180, 52, L"", 9, L"宋体",
         {
             {IDC_EYE_BREAK_TEXT, L"Static", L"看向6米外的远处，放松眼睛", SS_CENTER, kStaticType,
              kChild | SS_NOPREFIX, 0, 7, 8, 166, 10},
             {IDC_EYE_BREAK_COUNT, L"Static", L"", SS_CENTER, kStaticType, kChild | SS_NOPREFIX, 0, 7, 21, 166, 10},
             {IDC_EYE_BREAK_SKIP, L"Button", L"跳过", BS_PUSHBUTTON, kButtonType, kChild | WS_TABSTOP, 0, 65, 34, 50,
              14},
         }},
    };
    return rows;
}

class DialogTemplateTest : public ::testing::TestWithParam<DialogRow> {};

TEST_P(DialogTemplateTest, TemplateHasTheDescribedStyleFontAndControls) {
    const DialogRow& want = GetParam();
    test::DialogTemplate got;
    ASSERT_TRUE(test::loadDialogTemplate(want.id, got));

    EXPECT_EQ(got.style, want.style) << std::hex << "style 0x" << got.style;
    EXPECT_EQ(got.exStyle, want.exStyle) << std::hex << "exstyle 0x" << got.exStyle;
    EXPECT_EQ(got.cx, want.cx);
    EXPECT_EQ(got.cy, want.cy);
    EXPECT_EQ(got.caption, want.caption);
    EXPECT_EQ(got.pointSize, want.pointSize);
    EXPECT_EQ(got.typeface, want.typeface);

    ASSERT_EQ(got.items.size(), want.controls.size());
    for (std::size_t i = 0; i < want.controls.size(); ++i) {
        const ControlRow& w = want.controls[i];
        const test::TemplateItem& g = got.items[i];
        SCOPED_TRACE("control #" + std::to_string(i) + " id " + std::to_string(w.id));
        EXPECT_EQ(g.id, w.id);
        // windres writes CONTROL classes as upper-case names rather than ordinals.
        EXPECT_EQ(::CompareStringOrdinal(g.className.c_str(), -1, w.className, -1, TRUE), CSTR_EQUAL)
            << "class " << testing::PrintToString(g.className);
        if (w.text) {
            EXPECT_EQ(g.text, w.text);
        }
        EXPECT_EQ(g.style & w.typeMask, w.type) << std::hex << "style 0x" << g.style;
        EXPECT_EQ(g.style & w.set, w.set) << std::hex << "style 0x" << g.style;
        EXPECT_EQ(g.style & w.clear, 0u) << std::hex << "style 0x" << g.style;
        EXPECT_EQ(g.x, w.x);
        EXPECT_EQ(g.y, w.y);
        EXPECT_EQ(g.cx, w.cx);
        EXPECT_EQ(g.cy, w.cy);
    }
}

INT_PTR CALLBACK plainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

std::wstring className(HWND wnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(wnd, name, 64);
    return name;
}

std::wstring text(HWND wnd) {
    wchar_t buffer[256] = {};
    ::GetWindowTextW(wnd, buffer, 256);
    return buffer;
}

TEST_P(DialogTemplateTest, CreatesAWindowWithTheControlsInTemplateOrder) {
    const DialogRow& want = GetParam();
    HWND dialog = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), fw::dialogTemplate(want.id), nullptr,
                                               &plainDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(text(dialog), want.caption);

    std::size_t i = 0;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT), ++i) {
        ASSERT_LT(i, want.controls.size());
        const ControlRow& w = want.controls[i];
        SCOPED_TRACE("control #" + std::to_string(i));
        EXPECT_EQ(::GetDlgCtrlID(child), w.id);
        EXPECT_EQ(::CompareStringOrdinal(className(child).c_str(), -1, w.className, -1, TRUE), CSTR_EQUAL)
            << "class " << testing::PrintToString(className(child));
        if (w.text && w.type != SS_ICON) {
            EXPECT_EQ(text(child), w.text);
        }
    }
    EXPECT_EQ(i, want.controls.size());
    ::DestroyWindow(dialog);
}

INSTANTIATE_TEST_SUITE_P(AllDialogs, DialogTemplateTest, ::testing::ValuesIn(dialogRows()),
                         [](const ::testing::TestParamInfo<DialogRow>& info) { return std::string(info.param.name); });

TEST(AboutBoxTemplate, ShowsTheIconAndAnAuthorAndSiteLine) {
    test::DialogTemplate about;
    ASSERT_TRUE(test::loadDialogTemplate(IDD_ABOUTBOX, about));
    ASSERT_EQ(about.items.size(), 4u);
    EXPECT_EQ(about.items[0].iconId, IDR_MAINFRAME);

    const std::wstring& lines = about.items[2].text;
    const auto newline = lines.find(L'\n');
    ASSERT_NE(newline, std::wstring::npos) << "two lines expected";
    EXPECT_EQ(lines.compare(0, 3, L"作者:"), 0);
    EXPECT_GT(newline, 3u) << "the author line names somebody";
    EXPECT_EQ(lines.compare(newline + 1, 3, L"网站:"), 0);
    EXPECT_GT(lines.size(), newline + 4) << "the site line names something";
}

TEST(UnlockQuestionTemplate, NamesTheClassEveryoneFindsItBy) {
    test::DialogTemplate question;
    ASSERT_TRUE(test::loadDialogTemplate(IDD_ASK_DIALOG, question));
    // windres writes the name in capitals; class names are compared without case.
    EXPECT_EQ(::CompareStringOrdinal(question.windowClass.c_str(), -1, L"kivAskDlg", -1, TRUE), CSTR_EQUAL)
        << testing::PrintToString(question.windowClass);
    test::DialogTemplate settings;
    ASSERT_TRUE(test::loadDialogTemplate(IDD_SETTING_DIALOG, settings));
    EXPECT_EQ(settings.windowClass, L"") << "the others are the system's dialogs";
}

TEST(Resources, DialogsAreInTheChinesePrcLanguage) {
    const WORD prc = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
    ASSERT_EQ(prc, 2052);
    for (const DialogRow& row : dialogRows()) {
        EXPECT_NE(::FindResourceExW(nullptr, MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(row.id), prc), nullptr)
            << row.name;
    }
}

// The five first commands keep their places; the history window and "no more breaks
// today" come after them.
TEST(Resources, TrayMenuHoldsItsCommandsInOrder) {
    fw::Menu menu = fw::loadMenu(IDR_TRAY_MENU);
    HMENU bar = menu.get();
    ASSERT_NE(bar, nullptr);
    wchar_t title[64] = {};
    ::GetMenuStringW(bar, 0, title, 64, MF_BYPOSITION);
    EXPECT_STREQ(title, L"任务栏右键弹出的菜单");
    HMENU popup = ::GetSubMenu(bar, 0);
    ASSERT_NE(popup, nullptr);

    const struct {
        UINT id;
        const wchar_t* text;
    } items[] = {{ID_MENU_SETTINGS, L"设置"},
                 {ID_MENU_EXIT, L"退出"},
                 {ID_MENU_DELAY5, L"延时5分钟"},
                 {ID_MENU_DELAY_PRESET, L"延时一个预定时间"},
                 {ID_MENU_ABOUT, L"关于"},
                 {ID_MENU_HISTORY, L"休息记录"},
                 {ID_MENU_SKIP_TODAY, L"今天不再休息"},
                 {static_cast<UINT>(-1), L"暂停"}};  // the pause's submenu after the stated items
    ASSERT_EQ(::GetMenuItemCount(popup), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(::GetMenuItemID(popup, i), items[i].id) << i;
        wchar_t text[64] = {};
        ::GetMenuStringW(popup, i, text, 64, MF_BYPOSITION);
        EXPECT_STREQ(text, items[i].text) << i;
    }
    const struct {
        UINT id;
        const wchar_t* text;
    } pauses[] = {{ID_MENU_PAUSE_30, L"30 分钟"},
                  {ID_MENU_PAUSE_60, L"1 小时"},
                  {ID_MENU_PAUSE_120, L"2 小时"},
                  {ID_MENU_PAUSE_TOMORROW, L"直到明天"},
                  {ID_MENU_RESUME, L"继续"}};
    HMENU pause = ::GetSubMenu(popup, 7);
    ASSERT_EQ(::GetMenuItemCount(pause), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(::GetMenuItemID(pause, i), pauses[i].id) << i;
        wchar_t text[64] = {};
        ::GetMenuStringW(pause, i, text, 64, MF_BYPOSITION);
        EXPECT_STREQ(text, pauses[i].text) << i;
    }
}

TEST(Resources, IdsHaveTheirFixedValues) {
    EXPECT_EQ(ID_MENU_SETTINGS, 32777);
    EXPECT_EQ(ID_MENU_EXIT, 32774);
    EXPECT_EQ(ID_MENU_DELAY5, 32775);
    EXPECT_EQ(ID_MENU_DELAY_PRESET, 32776);
    EXPECT_EQ(ID_MENU_ABOUT, 32779);
    EXPECT_EQ(ID_MENU_HISTORY, 32780);
    EXPECT_EQ(ID_MENU_SKIP_TODAY, 32781);
    EXPECT_EQ(IDD_WORKING_HOURS_DIALOG, 137);
    EXPECT_EQ(IDC_BUTTON_WORKING_HOURS, 1010);
    EXPECT_EQ(IDM_ABOUTBOX, 16);
    EXPECT_EQ(IDS_ABOUTBOX, 101);
    EXPECT_EQ(IDD_ABOUTBOX, 100);
    EXPECT_EQ(IDD_KIVTOOL_DIALOG, 102);
    EXPECT_EQ(IDD_NOTIFY_DIALOG, 130);
    EXPECT_EQ(IDD_ASK_DIALOG, 131);
    EXPECT_EQ(IDD_PREVIOUS_NOTIFY_DIALOG, 132);
    EXPECT_EQ(IDD_SETTING_DIALOG, 135);
    EXPECT_EQ(IDC_STATIC_POWERON, 1000);
    EXPECT_EQ(IDC_STATIC_WORKED, 1001);
    EXPECT_EQ(IDC_STATIC_REMAIN, 1002);
    EXPECT_EQ(IDC_CHECK_FULLSCREEN, 1006);
    EXPECT_EQ(IDC_CHECK_IDLE_REST, 1007);
    EXPECT_EQ(IDC_CHECK_HOLD_CALLS, 1008);
    EXPECT_EQ(IDC_CHECK_EYE_BREAK, 1009);
    EXPECT_EQ(IDD_EYE_BREAK_DIALOG, 138);
    EXPECT_EQ(IDR_MAINFRAME, 128);
    EXPECT_EQ(IDR_TRAY_MENU, 129);
}

TEST(Resources, String101IsTheAboutEntry) {
    EXPECT_EQ(fw::loadString(IDS_ABOUTBOX), L"关于 kivTool(&A)...");
}

TEST(Resources, IconHasSixteenThirtyTwoAndFortyEightPixelImages) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC group = ::FindResourceW(module, MAKEINTRESOURCEW(IDR_MAINFRAME), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
    ASSERT_NE(group, nullptr);
    const auto* dir = static_cast<const BYTE*>(::LockResource(::LoadResource(module, group)));
    ASSERT_NE(dir, nullptr);
    // GRPICONDIR: reserved, type, count; then 14-byte entries starting with width, height.
    const WORD count = *reinterpret_cast<const WORD*>(dir + 4);
    std::vector<int> widths;
    for (WORD i = 0; i < count; ++i) widths.push_back(dir[6 + 14 * i]);
    EXPECT_EQ(widths, (std::vector<int>{16, 32, 48}));

    for (int size : {16, 32, 48}) {
        HICON icon = static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size, size, 0));
        EXPECT_NE(icon, nullptr) << size;
        if (icon) ::DestroyIcon(icon);
    }
}

std::wstring versionString(const std::vector<BYTE>& info, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
    if (!::VerQueryValueW(info.data(), path.c_str(), &value, &length) || !value) return L"<missing>";
    return static_cast<const wchar_t*>(value);
}

TEST(Resources, VersionRecordNamesTheProductInChinese) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const DWORD size = ::GetFileVersionInfoSizeW(path, nullptr);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path, 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00020000u);

    EXPECT_EQ(versionString(info, L"FileVersion"), L"1, 0, 2, 0");
    EXPECT_EQ(versionString(info, L"ProductName"), L"Vanto定时休息工具");
    EXPECT_EQ(versionString(info, L"FileDescription"), L"帮助用户定时休息");

    WORD* translation = nullptr;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                                 &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(translation[0], 0x0804);
    EXPECT_EQ(translation[1], 1200);
}

TEST(Resources, ManifestAsksForCommonControlsSixOnX86) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */);
    ASSERT_NE(info, nullptr);
    const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(module, info)));
    const std::string manifest(bytes, ::SizeofResource(module, info));
    const auto dependency = manifest.find("name=\"Microsoft.Windows.Common-Controls\"");
    ASSERT_NE(dependency, std::string::npos);
    const auto end = manifest.find("/>", dependency);
    const auto start = manifest.rfind("<assemblyIdentity", dependency);
    const std::string identity = manifest.substr(start, end - start);
    EXPECT_NE(identity.find("version=\"6.0.0.0\""), std::string::npos) << identity;
    EXPECT_NE(identity.find("processorArchitecture=\"x86\""), std::string::npos) << identity;
}

TEST(Resources, ManifestMakesTheProgramAwareOfEachMonitorsScale) {
    // Declared in the documented form for both elements, so Windows neither stretches nor
    // blurs the program at any display scale. (Wine reports every program aware, so the
    // declaration is what can be checked here.)
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */);
    ASSERT_NE(info, nullptr);
    const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(module, info)));
    const std::string manifest(bytes, ::SizeofResource(module, info));
    // Windows 10 1607 and later read dpiAwareness; older ones only dpiAware.
    EXPECT_NE(manifest.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
                            "PerMonitorV2, PerMonitor</dpiAwareness>"),
              std::string::npos);
    EXPECT_NE(manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>"),
              std::string::npos);
}

// ---- The English set beside the Chinese one ----

namespace bilingual {

const LANGID kChinese = fw::kChineseResources;
const LANGID kEnglish = fw::kEnglishResources;

// CJK ideographs and punctuation, and full-width forms: a sign of a text left untranslated.
bool hasChineseText(const std::wstring& text) {
    for (wchar_t c : text)
        if ((c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFFEF)) return true;
    return false;
}

BOOL CALLBACK collectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR ids) {
    if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<UINT>*>(ids)->push_back(LOWORD(name));
    return TRUE;
}

std::vector<UINT> resourceIds(LPCWSTR type) {
    std::vector<UINT> ids;
    ::EnumResourceNamesW(nullptr, type, &collectName, reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

// Every Chinese dialog has an English twin with the same window styles and the same
// controls, in the same order, of the same kinds and styles; only texts, places and sizes
// may differ.
TEST(EnglishResources, EveryDialogHasAnEnglishTwinWithTheSameControls) {
    const std::vector<UINT> dialogs = resourceIds(RT_DIALOG);
    ASSERT_GE(dialogs.size(), dialogRows().size());
    for (UINT id : dialogs) {
        SCOPED_TRACE("dialog " + std::to_string(id));
        test::DialogTemplate zh, en;
        ASSERT_TRUE(test::loadDialogTemplate(id, zh, kChinese));
        ASSERT_TRUE(test::loadDialogTemplate(id, en, kEnglish));
        EXPECT_EQ(en.style, zh.style) << std::hex << "style 0x" << en.style;
        EXPECT_EQ(en.exStyle, zh.exStyle);
        EXPECT_EQ(en.caption.empty(), zh.caption.empty());
        EXPECT_FALSE(hasChineseText(en.caption)) << testing::PrintToString(en.caption);
        ASSERT_EQ(en.items.size(), zh.items.size());
        for (std::size_t i = 0; i < zh.items.size(); ++i) {
            SCOPED_TRACE("control #" + std::to_string(i));
            EXPECT_EQ(en.items[i].id, zh.items[i].id);
            EXPECT_EQ(en.items[i].className, zh.items[i].className);
            EXPECT_EQ(en.items[i].style, zh.items[i].style) << std::hex << "style 0x" << en.items[i].style;
            EXPECT_EQ(en.items[i].exStyle, zh.items[i].exStyle);
            EXPECT_EQ(en.items[i].iconId, zh.items[i].iconId);
            EXPECT_FALSE(hasChineseText(en.items[i].text)) << testing::PrintToString(en.items[i].text);
        }
    }
}

// The menu's commands in both languages: the same ids in the same places.
TEST(EnglishResources, TrayMenuHasTheSameCommandsInEnglish) {
    fw::Menu zh(::LoadMenuIndirectW(fw::resourceData(RT_MENU, IDR_TRAY_MENU, kChinese)));
    fw::Menu en(::LoadMenuIndirectW(fw::resourceData(RT_MENU, IDR_TRAY_MENU, kEnglish)));
    ASSERT_TRUE(zh && en);
    ASSERT_NE(fw::findResource(RT_MENU, IDR_TRAY_MENU, kEnglish),
              fw::findResource(RT_MENU, IDR_TRAY_MENU, kChinese));
    ASSERT_EQ(::GetMenuItemCount(en.get()), ::GetMenuItemCount(zh.get()));
    HMENU zhPopup = ::GetSubMenu(zh.get(), 0), enPopup = ::GetSubMenu(en.get(), 0);
    ASSERT_TRUE(zhPopup && enPopup);
    ASSERT_EQ(::GetMenuItemCount(enPopup), ::GetMenuItemCount(zhPopup));
    for (int i = 0; i < ::GetMenuItemCount(zhPopup); ++i) {
        EXPECT_EQ(::GetMenuItemID(enPopup, i), ::GetMenuItemID(zhPopup, i)) << i;
        wchar_t text[64] = {};
        ::GetMenuStringW(enPopup, i, text, 64, MF_BYPOSITION);
        EXPECT_NE(text[0], L'\0') << i;
        EXPECT_FALSE(hasChineseText(text)) << i;
    }
}

// The ids of every string in the Chinese string table.
std::vector<UINT> chineseStringIds() {
    std::vector<UINT> ids;
    for (UINT block : resourceIds(RT_STRING))
        for (UINT id = (block - 1) * 16; id < block * 16; ++id)
            if (!fw::loadString(id, kChinese).empty()) ids.push_back(id);
    return ids;
}

// The arguments a text takes, in order: printf conversions ("%02u", "%s") and numbered
// places ("%1").
std::vector<std::wstring> argumentsOf(const std::wstring& text) {
    std::vector<std::wstring> args;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'%') continue;
        std::size_t end = i + 1;
        while (end < text.size() && (iswdigit(text[end]) || text[end] == L'-' || text[end] == L'.')) ++end;
        const bool numbered = end > i + 1 && text[i + 1] != L'0';
        if (!numbered && end < text.size()) ++end;  // the conversion letter
        args.push_back(text.substr(i, end - i));
        i = end - 1;
    }
    return args;
}

TEST(EnglishResources, EveryStringHasAnEnglishTwinTakingTheSameArguments) {
    const std::vector<UINT> ids = chineseStringIds();
    ASSERT_GE(ids.size(), 30u);
    EXPECT_EQ(argumentsOf(L"%02u:%02u %s %1 and %2, 100%%"),
              (std::vector<std::wstring>{L"%02u", L"%02u", L"%s", L"%1", L"%2", L"%%"}));
    for (UINT id : ids) {
        const std::wstring zh = fw::loadString(id, kChinese);
        const HRSRC enBlock = ::FindResourceExW(nullptr, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), kEnglish);
        ASSERT_NE(enBlock, nullptr) << id;
        const std::wstring en = fw::loadString(id, kEnglish);
        SCOPED_TRACE(testing::PrintToString(en));
        EXPECT_FALSE(en.empty()) << id;
        EXPECT_EQ(argumentsOf(en), argumentsOf(zh)) << id;
        if (id != IDS_HISTORY_FONT) {
            EXPECT_FALSE(hasChineseText(en)) << id;
        }
    }
}

// The framework's validation messages are English in both sets, word for word.
TEST(EnglishResources, ValidationMessagesAreTheSameInBothSets) {
    for (UINT id : {IDS_FW_PARSE_UNSIGNED, IDS_FW_PARSE_RANGE})
        EXPECT_EQ(fw::loadString(id, kEnglish), fw::loadString(id, kChinese)) << id;
    EXPECT_EQ(fw::loadString(IDS_FW_PARSE_UNSIGNED, kChinese), L"Please enter a positive integer.");
    EXPECT_EQ(fw::loadString(IDS_FW_PARSE_RANGE, kChinese), L"Please enter an integer between %1 and %2.");
}

// Every English text fits its control at 96 to 192 DPI: at each scale the dialog's font and
// its dialog units are worked out as the dialog manager does, and each text is measured in
// that font against its control's width (less the box of a check or radio button) and height.
TEST(EnglishResources, EveryTextFitsItsControlFromOneToTwoTimesTheScale) {
    fw::WindowDC screen(nullptr);
    for (UINT id : resourceIds(RT_DIALOG)) {
        test::DialogTemplate en;
        ASSERT_TRUE(test::loadDialogTemplate(id, en, kEnglish));
        for (int dpi : {96, 120, 144, 168, 192}) {
            LOGFONTW lf{};
            lf.lfHeight = -::MulDiv(en.pointSize, dpi, 72);
            lf.lfWeight = en.weight;
            lf.lfCharSet = DEFAULT_CHARSET;
            wcsncpy(lf.lfFaceName, en.typeface.c_str(), LF_FACESIZE - 1);
            fw::Font font(::CreateFontIndirectW(&lf));
            fw::SelectedObject selected(screen.get(), font.get());
            TEXTMETRICW metrics{};
            ::GetTextMetricsW(screen.get(), &metrics);
            SIZE alphabet{};
            const wchar_t letters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
            ::GetTextExtentPoint32W(screen.get(), letters, 52, &alphabet);
            const int unitX = (alphabet.cx / 26 + 1) / 2, unitY = metrics.tmHeight;
            for (const test::TemplateItem& item : en.items) {
                if (item.text.empty() || !(item.style & WS_VISIBLE) || item.iconId != 0) continue;
                const DWORD kind = item.style & 0xF;
                const bool isButton =
                    ::CompareStringOrdinal(item.className.c_str(), -1, L"Button", -1, TRUE) == CSTR_EQUAL;
                const bool hasBox = isButton && (kind == BS_AUTOCHECKBOX || kind == BS_AUTORADIOBUTTON ||
                                                 kind == BS_CHECKBOX || kind == BS_RADIOBUTTON);
                int room = ::MulDiv(item.cx, unitX, 4) - (hasBox ? ::MulDiv(18, dpi, 96) : 0);
                if (isButton && kind == BS_GROUPBOX) room -= ::MulDiv(16, dpi, 96);
                if (isButton && (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON)) room -= ::MulDiv(8, dpi, 96);
                RECT need{0, 0, 0, 0};
                ::DrawTextW(screen.get(), item.text.c_str(), -1, &need, DT_CALCRECT | DT_EXPANDTABS);
                SCOPED_TRACE("dialog " + std::to_string(id) + " at " + std::to_string(dpi) + " DPI, control " +
                             testing::PrintToString(item.text));
                EXPECT_LE(need.right, room);
                if (!isButton) {
                    EXPECT_LE(need.bottom, ::MulDiv(item.cy, unitY, 8));
                }
            }
        }
    }
}

}  // namespace bilingual
}  // namespace
