// The crash filter, called as the system calls it: it gives the desktop back and lets the
// crash go on to the system's crash handling.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

#include "desktop/desktop_guard.h"
#include "desktop/hook_thread.h"
#include "hold/typing_pause.h"
#include "rest_test_support.h"
#include "test_support.h"

namespace {

std::atomic<int> g_keys{0};

LRESULT CALLBACK countKey(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) ++g_keys;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void typeF24() {
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_F24;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, keys, sizeof(INPUT));
    test::pumpMessages();
}

// Only once per process: the filter restores the desktop once.
TEST(DesktopGuardTest, TheCrashFilterRemovesTheRestsHookAndCoversShowsEveryTaskbarAndLetsTheCrashGoOn) {
    rest_test::BroadcastRecorder broadcasts;
    rest_test::WakeRecorder wakes;
    HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    ASSERT_NE(nullptr, taskbar);
    rest_test::SecondaryTaskbars secondary(2);
    ASSERT_TRUE(secondary.allCreated());
    ::ShowWindow(taskbar, SW_HIDE);
    secondary.hide();
    // A rest in progress: its covers over the monitors, its keyboard hook on its own thread.
    HWND covers[2] = {};
    guard::TrackedCover tracked[2];
    for (int i = 0; i < 2; ++i) {
        covers[i] = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 300 * i,
                                      0, 200, 200, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(covers[i], nullptr);
        tracked[i].track(covers[i]);
    }
    rest::HookThread hook;
    ASSERT_TRUE(hook.install(WH_KEYBOARD_LL, &countKey));
    guard::trackKeyboardHook(hook.hook());
    g_keys = 0;
    typeF24();
    ASSERT_EQ(g_keys.load(), 2);

    EXCEPTION_RECORD record{};
    record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
    CONTEXT context{};
    EXCEPTION_POINTERS pointers{&record, &context};
    EXPECT_EQ(EXCEPTION_CONTINUE_SEARCH, guard::onUnhandledException(&pointers));

    EXPECT_TRUE(rest_test::becomesVisible(taskbar, true));
    test::pumpMessages();
    EXPECT_EQ(secondary.count(), secondary.visibleCount());
    for (HWND cover : covers) EXPECT_TRUE(rest_test::becomesVisible(cover, false)) << "a cover stayed over the screen";
    typeF24();
    EXPECT_EQ(g_keys.load(), 2) << "keys still went through the dying program's hook";
    guard::trackKeyboardHook(nullptr);
    for (HWND cover : covers) ::DestroyWindow(cover);
    EXPECT_EQ(rest_test::BroadcastRecorder::states(), std::vector<LPARAM>{-1});
    EXPECT_EQ(rest_test::WakeRecorder::calls(), rest_test::displayWake());
}

// The typing pause's hook is the rest's (keyboard_hook.h): the desktop given back removes it.
TEST(DesktopGuardTest, TheDesktopGivenBackRemovesTheTypingPausesHookToo) {
    rest_test::BroadcastRecorder broadcasts;
    rest_test::WakeRecorder wakes;
    hold::watchKeys(true);
    typeF24();
    ASSERT_GE(hold::millisSinceKey(), 0) << "the typing pause saw no key";
    hold::watchKeys(false);
    hold::watchKeys(true);  // the key seen is forgotten
    guard::restoreDesktop();
    typeF24();
    EXPECT_LT(hold::millisSinceKey(), 0) << "keys still went through the typing pause's hook";
    hold::watchKeys(false);
}

}  // namespace
