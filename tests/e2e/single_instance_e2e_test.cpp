// A second start of the program while a copy runs (the Startup folder and a user's double
// click): the running copy shows its status window and the second one ends at once,
// leaving the profile folder as it was.
#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "kivtool_process.h"
#include "remote_window.h"

using namespace e2e;

namespace {

// Every file of the folder with its bytes.
std::map<std::wstring, std::string> folderFiles(const std::filesystem::path& folder) {
    std::map<std::wstring, std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        files[entry.path().filename().wstring()] = KivTool::readFile(entry.path());
    return files;
}

BOOL CALLBACK countStatusWindow(HWND window, LPARAM count) {
    if (windowClass(window) == L"#32770" && windowText(window) == kStatusTitle) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// Status windows of any process.
int statusWindows() {
    int count = 0;
    ::EnumWindows(&countStatusWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST(SingleInstanceE2E, ASecondStartShowsTheRunningCopyAndEndsWithoutTouchingTheProfile) {
    KivTool app({600, 60, 1});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start());
    HWND status = app.statusWindow();
    ASSERT_TRUE(waitFor([&] { return !::IsWindowVisible(status); }, 3000)) << "the status window stays visible";
    // The day's file is written before the status window exists.
    const std::map<std::wstring, std::string> before = folderFiles(app.profileDir());
    ASSERT_EQ(before.size(), 2u);

    const DWORD started = ::GetTickCount();
    DWORD code = 99;
    ASSERT_TRUE(app.runAgain(10000, &code)) << "the second copy still runs 10 s after its start";
    EXPECT_LT(::GetTickCount() - started, 5000u) << "the second copy took long to end";
    EXPECT_EQ(code, 0u);

    EXPECT_TRUE(waitFor([&] { return ::IsWindowVisible(status); }, 3000)) << "the status window was not shown";
    EXPECT_EQ(statusWindows(), 1);
    EXPECT_TRUE(folderFiles(app.profileDir()) == before) << "the second start changed the profile folder";
    DWORD firstCode = 1;
    EXPECT_FALSE(app.waitForExit(0, &firstCode)) << "the running copy ended";
}

// A program that took the one-copy name with rights this user can open, so that it looks
// like a running copy: no status window answers within a few seconds, and the program runs
// anyway with the message of the case below, instead of ending silently at every logon.
TEST(SingleInstanceE2E, ANameHeldWithoutAStatusWindowIsReportedAndTheProgramRunsAfterAFewSeconds) {
    std::unique_ptr<void, decltype(&::CloseHandle)> squatter(
        ::CreateMutexW(nullptr, FALSE, L"Local\\Kelbrook.Murvel.kivTool.running"), &::CloseHandle);
    ASSERT_NE(squatter, nullptr);
    KivTool app({600, 60, 1, 0, "en"});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start(kEnglishStatusTitle)) << "the program did not run";
    HWND box = nullptr;
    ASSERT_TRUE(waitFor([&] { return (box = app.windowTitled(L"kivTool")) != nullptr; }, 5000)) << "nothing was said";
    EXPECT_EQ(itemText(box, 0xFFFF).rfind(L"Another program holds the name", 0), 0u) << narrow(itemText(box, 0xFFFF));
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(app.command(kCommandExit));
    EXPECT_TRUE(app.waitForExit(5000)) << "the copy did not exit";
}

// The installer and the uninstaller find the running copy by its one-copy name and ask it
// to exit with a message of its own, broadcast: an English copy (status window "Vanto Break
// Timer") ends as a Chinese one does, and the name goes with the process.
TEST(SingleInstanceE2E, TheInstallersExitRequestEndsACopyInEitherLanguage) {
    const UINT exitRequest = ::RegisterWindowMessageW(L"Kelbrook.Murvel.kivTool.exit");
    ASSERT_NE(exitRequest, 0u);
    for (const char* language : {"en", "zh"}) {
        KivTool app({600, 60, 1, 0, language});
        ASSERT_EQ(app.setupError(), "");
        ASSERT_TRUE(app.start(language[0] == 'e' ? kEnglishStatusTitle : kStatusTitle)) << language;
        ::PostMessageW(HWND_BROADCAST, exitRequest, 0, 0);
        DWORD code = 99;
        ASSERT_TRUE(app.waitForExit(5000, &code)) << language << ": the copy did not exit";
        EXPECT_EQ(code, 0u);
        HANDLE name = ::OpenMutexW(SYNCHRONIZE, FALSE, L"Local\\Kelbrook.Murvel.kivTool.running");
        EXPECT_EQ(name, nullptr) << language << ": the one-copy name outlives the program";
        if (name) ::CloseHandle(name);
    }
}

// Another program took the one-copy name with an object no one may open: the program says
// so once and runs all the same, instead of ending silently at every start.
TEST(SingleInstanceE2E, SomeoneElsesObjectUnderTheNameIsReportedAndTheProgramRunsAnyway) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;GA;;;WD)", SDDL_REVISION_1,
                                                                       &descriptor, nullptr));
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
    std::unique_ptr<void, decltype(&::CloseHandle)> squatter(
        ::CreateMutexW(&attributes, FALSE, L"Local\\Kelbrook.Murvel.kivTool.running"), &::CloseHandle);
    ::LocalFree(descriptor);
    ASSERT_NE(squatter, nullptr);

    KivTool app({600, 60, 1, 0, "en"});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start(kEnglishStatusTitle)) << "the program did not run";
    HWND box = nullptr;
    ASSERT_TRUE(waitFor([&] { return (box = app.windowTitled(L"kivTool")) != nullptr; }, 5000)) << "nothing was said";
    EXPECT_EQ(itemText(box, 0xFFFF).rfind(L"Another program holds the name", 0), 0u) << narrow(itemText(box, 0xFFFF));
    EXPECT_EQ(app.countWindowsTitled(L"kivTool"), 1);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(waitFor([&] { return app.windowTitled(L"kivTool") == nullptr; }, 3000));
    EXPECT_TRUE(app.command(kCommandExit));
    EXPECT_TRUE(app.waitForExit(5000)) << "the copy did not exit";
}

}  // namespace
