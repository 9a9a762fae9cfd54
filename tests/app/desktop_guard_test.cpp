// The crash filter, called as the system calls it: it gives the desktop back and lets the
// crash go on to the system's crash handling.
#include <gtest/gtest.h>

#include <windows.h>

#include "desktop/desktop_guard.h"
#include "rest_test_support.h"
#include "test_support.h"

namespace {

bool becomesVisible(HWND window) {
    for (int i = 0; i < 200 && !::IsWindowVisible(window); ++i) {
        test::pumpMessages();
        ::Sleep(10);  // the taskbar belongs to the shell's process, which shows it in its own time
    }
    return ::IsWindowVisible(window) != FALSE;
}

TEST(DesktopGuardTest, TheCrashFilterShowsEveryTaskbarSwitchesTheMonitorOnAndLetsTheCrashGoOn) {
    rest_test::BroadcastRecorder broadcasts;
    rest_test::WakeRecorder wakes;
    HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    ASSERT_NE(nullptr, taskbar);
    rest_test::SecondaryTaskbars secondary(2);
    ASSERT_TRUE(secondary.allCreated());
    ::ShowWindow(taskbar, SW_HIDE);
    secondary.hide();

    EXCEPTION_RECORD record{};
    record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
    CONTEXT context{};
    EXCEPTION_POINTERS pointers{&record, &context};
    EXPECT_EQ(EXCEPTION_CONTINUE_SEARCH, guard::onUnhandledException(&pointers));

    EXPECT_TRUE(becomesVisible(taskbar));
    test::pumpMessages();
    EXPECT_EQ(secondary.count(), secondary.visibleCount());
    EXPECT_EQ(rest_test::BroadcastRecorder::states(), std::vector<LPARAM>{-1});
    EXPECT_EQ(rest_test::WakeRecorder::calls(), rest_test::displayWake());
}

}  // namespace
