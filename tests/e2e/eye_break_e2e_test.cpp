// Eye breaks and the history export of the real program. A window of this test program
// is the one the user works in: it keeps the foreground and its text box the keyboard
// while the eye break comes and goes. The export is driven through the real save dialog,
// as a user would fill it in.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "editor_window.h"
#include "kivtool_process.h"
#include "remote_window.h"

using namespace e2e;

namespace {

const wchar_t kEyeBreakLine[] = L"看向6米外的远处，放松眼睛";
const int kCommandHistory = 32780;
const int kHistoryExport = 1001;
const wchar_t kHistoryTitle[] = L"休息记录";

// The visible eye break of the program: its window text starts with the line.
HWND eyeBreakWindow(const KivTool& app) {
    for (HWND window : windowsOf(app.pid()))
        if (::IsWindowVisible(window) && windowText(window).rfind(kEyeBreakLine, 0) == 0) return window;
    return nullptr;
}

// A dialog of the program other than `except`, of the system's dialog class, visible.
HWND otherDialog(const KivTool& app, HWND except) {
    for (HWND window : windowsOf(app.pid()))
        if (window != except && ::IsWindowVisible(window) && windowClass(window) == L"#32770") return window;
    return nullptr;
}

}  // namespace

TEST(EyeBreakE2E, ComesAndGoesWhileTheEditorKeepsTheForegroundAndTheKeyboard) {
    Profile profile{600, 60, 1};
    profile.eyeBreakEvery = 3;
    profile.eyeBreakSeconds = 3;
    KivTool app(profile);
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(pumpUntil([&] { return !::IsWindowVisible(app.statusWindow()); }, 3000));
    Editor editor;
    ASSERT_TRUE(editor.takeFocus()) << "the editor did not get the focus";

    HWND eyeBreak = nullptr;
    ASSERT_TRUE(pumpUntil([&] { return (eyeBreak = eyeBreakWindow(app)) != nullptr; }, 8000)) << "no eye break";
    EXPECT_TRUE(editor.hasFocus()) << "the eye break took the foreground or the keyboard";
    EXPECT_TRUE(::GetWindowLongPtrW(eyeBreak, GWL_EXSTYLE) & WS_EX_TOPMOST);
    type("ab");
    EXPECT_EQ(narrow(editor.text()), "ab") << "typing did not go on into the editor";
    EXPECT_TRUE(::IsWindow(eyeBreak)) << "still counting";

    // Near the centre of the one monitor, where the mouse is.
    RECT rect{}, screen{};
    ::GetWindowRect(eyeBreak, &rect);
    ::GetWindowRect(::GetDesktopWindow(), &screen);
    EXPECT_LE(std::abs((rect.left + rect.right) / 2 - screen.right / 2), 2);
    EXPECT_LE(std::abs((rect.top + rect.bottom) / 2 - screen.bottom / 2), 40);  // the work area's centre

    EXPECT_TRUE(pumpUntil([&] { return !::IsWindow(eyeBreak); }, 6000)) << "it did not close itself";
    EXPECT_TRUE(editor.hasFocus()) << "the editor lost the focus when the eye break closed";

    EXPECT_TRUE(app.command(kCommandExit));
    EXPECT_TRUE(app.waitForExit(5000));
    // Each one recorded in the day file: the one that ran its time, and any the exit closed.
    bool found = false;
    for (const auto& entry : std::filesystem::directory_iterator(app.profileDir())) {
        const std::string bytes = KivTool::readFile(entry.path());
        if (bytes.find("<eyebreak end=\"time\" planned=\"3\" rested=\"3\"") != std::string::npos) found = true;
    }
    EXPECT_TRUE(found) << "no eye break in the day file";
}

// The export writes the rows of every day file: one written before the run, and today's
// with the rest the run took; an unreadable day is counted in the message.
TEST(HistoryExportE2E, WritesTheDayFilesAsCsvThroughTheSaveDialog) {
    const unsigned work = 3, rest = 2;
    KivTool app({work, rest, 1});
    ASSERT_EQ(app.setupError(), "");
    {
        std::ofstream day(app.profileDir() / L"2020-01-06.xml", std::ios::binary);
        day << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<profile>\r\n"
               " <startup_time>2020-01-06 08-00-00</startup_time>\r\n"
               " <rest end=\"unlock\" planned=\"480\" rested=\"95\" start=\"10-22-00\"/>\r\n"
               " <delay added=\"300\" at=\"09-00-05\"/>\r\n"
               " <eyebreak end=\"skip\" planned=\"20\" rested=\"4\" start=\"09-40-00\"/>\r\n"
               " <work>6240</work>\r\n</profile>\r\n";
        std::ofstream damaged(app.profileDir() / L"2020-01-07.xml", std::ios::binary);
        damaged << "<profile><rest";
    }
    const std::string before = KivTool::readFile(app.profileDir() / L"2020-01-06.xml");
    ASSERT_TRUE(app.start());
    HWND restWindow = nullptr;
    ASSERT_TRUE(waitFor([&] { return (restWindow = app.restWindow()) != nullptr; }, (work + 8) * 1000));
    ASSERT_TRUE(waitFor([&] { return !::IsWindow(restWindow); }, (rest + 5) * 1000)) << "the rest does not end";

    ASSERT_TRUE(app.command(kCommandHistory));
    HWND history = nullptr;
    ASSERT_TRUE(waitFor([&] { return (history = app.windowTitled(kHistoryTitle)) != nullptr; }, 5000));
    ASSERT_TRUE(::PostMessageW(history, WM_COMMAND, MAKEWPARAM(kHistoryExport, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(history, kHistoryExport))));

    // The standard save dialog: the file name into its name box (cmb13, 0x47C, or in the
    // older layout edt1, 0x480), then its OK.
    HWND save = nullptr;
    ASSERT_TRUE(waitFor([&] { return (save = otherDialog(app, history)) != nullptr; }, 10000)) << "no save dialog";
    const std::filesystem::path out = app.folder() / L"导出.csv";
    ASSERT_TRUE(waitFor([&] { return setItemText(save, 0x47C, out.wstring()) || setItemText(save, 0x480, out.wstring()); },
                        3000));
    ASSERT_TRUE(clickItem(save, IDOK));

    HWND message = nullptr;
    ASSERT_TRUE(waitFor([&] {
        message = otherDialog(app, history);
        return message && message != save && staticTexts(message).find(L"已导出") != std::wstring::npos;
    }, 10000)) << "no message after the export";
    const std::wstring said = staticTexts(message);
    EXPECT_NE(said.find(L"已导出2天的记录到："), std::wstring::npos) << narrow(said);
    EXPECT_NE(said.find(L"另有1天的记录文件无法读取，已跳过。"), std::wstring::npos) << narrow(said);
    clickItem(message, IDOK);

    const std::string csv = KivTool::readFile(out);
    const std::string expectedStart =
        "\xEF\xBB\xBF"
        "日期,开始时间,类型,计划秒数,实际秒数,结束方式\r\n"
        "2020-01-06,09:00:05,延时,300,,\r\n"
        "2020-01-06,09:40:00,远眺,20,4,跳过\r\n"
        "2020-01-06,10:22:00,休息,480,95,解锁提前结束\r\n";
    EXPECT_EQ(csv.substr(0, expectedStart.size()), expectedStart) << csv;
    EXPECT_NE(csv.find(",休息,2,2,到时结束\r\n", expectedStart.size()), std::string::npos) << "today's rest: " << csv;
    EXPECT_EQ(KivTool::readFile(app.profileDir() / L"2020-01-06.xml"), before) << "a day file was written";

    ASSERT_TRUE(app.command(kCommandExit));
    EXPECT_TRUE(app.waitForExit(10000));
}
