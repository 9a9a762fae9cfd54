// A rest that does not end the normal way: the process killed from outside, crashed, or told
// that the session ends. Each time the taskbar the rest hid must come back.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

#include "kivtool_process.h"
#include "remote_window.h"

using namespace e2e;

namespace {

// Office mode: no music to load, the rest window comes at once.
constexpr unsigned kWork = 2;
const Profile kRestSoon{kWork, 600, 0};

class DesktopGuardE2E : public ::testing::Test {
protected:
    // A failing test must not leave the taskbar hidden for the tests after it. A copy that
    // was killed or crashed never dropped its reference to the hot key's global atom, which
    // lives as long as the session; the unit tests count on it being gone.
    void TearDown() override {
        if (HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr)) ::ShowWindow(taskbar, SW_SHOW);
        for (int i = 0; i < 100; ++i) {
            const ATOM atom = ::GlobalFindAtomW(L"kivTool hotkey");
            if (!atom) break;
            ::GlobalDeleteAtom(atom);
        }
    }

    // Starts `app` and waits for its rest, with the taskbar hidden.
    static void startRest(KivTool& app) {
        ASSERT_EQ(app.setupError(), "");
        ASSERT_TRUE(app.start());
        ASSERT_TRUE(waitFor([&] { return app.restWindow() != nullptr; }, (kWork + 8) * 1000)) << "no rest window";
        ASSERT_TRUE(waitFor([] { return !taskbarVisible(); }, 2000)) << "the rest did not hide the taskbar";
    }
};

TEST_F(DesktopGuardE2E, TheNextStartShowsTheTaskbarThatAKilledRestLeftHidden) {
    {
        KivTool killed(kRestSoon);
        ASSERT_NO_FATAL_FAILURE(startRest(killed));
        ASSERT_TRUE(killed.terminate());
        ::Sleep(300);
        EXPECT_FALSE(taskbarVisible()) << "only the next start can give it back";
    }
    KivTool next({120, 60, 0});
    ASSERT_EQ(next.setupError(), "");
    const DWORD launched = ::GetTickCount();
    ASSERT_TRUE(next.launch());
    ASSERT_TRUE(waitFor(taskbarVisible, 5000)) << "still hidden 5 s after the start";
    std::printf("taskbar visible %lu ms after the start\n", static_cast<unsigned long>(::GetTickCount() - launched));
}

TEST_F(DesktopGuardE2E, ACrashDuringARestGivesTheTaskbarBack) {
    KivTool app(kRestSoon);
    ASSERT_NO_FATAL_FAILURE(startRest(app));
    // A thread that starts at an address where nothing is mapped: an access violation that
    // nothing in the program catches.
    const DWORD crashed = ::GetTickCount();
    HANDLE thread = ::CreateRemoteThread(app.process(), nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(16),
                                         nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr) << "CreateRemoteThread failed: " << ::GetLastError();
    ::CloseHandle(thread);
    DWORD code = 0;
    ASSERT_TRUE(app.waitForExit(15000, &code)) << "the crashed process did not end by itself";
    std::printf("the crashed process ended after %lu ms with code 0x%lx\n",
                static_cast<unsigned long>(::GetTickCount() - crashed), static_cast<unsigned long>(code));
    EXPECT_TRUE(waitFor(taskbarVisible, 5000)) << "the taskbar stays hidden after the crash";
}

TEST_F(DesktopGuardE2E, TheEndOfTheSessionEndsARestCleanly) {
    KivTool app(kRestSoon);
    ASSERT_NO_FATAL_FAILURE(startRest(app));
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(app.statusWindow(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                      3000, &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE)) << "the program holds up the end of the session";
    ASSERT_TRUE(::SendMessageTimeoutW(app.statusWindow(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                      3000, &answer));
    EXPECT_EQ(app.restWindow(), nullptr) << "the rest window is still there";
    EXPECT_TRUE(taskbarVisible()) << "the taskbar stays hidden";
    EXPECT_TRUE(app.waitForExit(5000)) << "the process outlives the end of the session";
}

// The Restart Manager closes programs so that an installer can replace their files, and
// does not end the process: the program must, and give the one-copy name back with it, or
// every later start only shows the status window of a copy that does nothing.
TEST_F(DesktopGuardE2E, ARestartManagerCloseEndsTheProcessAndFreesTheOneCopyName) {
    KivTool app(kRestSoon);
    ASSERT_NO_FATAL_FAILURE(startRest(app));
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(app.statusWindow(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP,
                                      SMTO_ABORTIFHUNG, 3000, &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    ::SendMessageTimeoutW(app.statusWindow(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 3000,
                          &answer);
    EXPECT_TRUE(waitFor(taskbarVisible, 2000)) << "the taskbar stays hidden";
    DWORD code = 99;
    ASSERT_TRUE(app.waitForExit(5000, &code)) << "the process outlives the Restart Manager's close";
    EXPECT_EQ(code, 0u);
    HANDLE name = ::OpenMutexW(SYNCHRONIZE, FALSE, L"Local\\Kelbrook.Murvel.kivTool.running");
    EXPECT_EQ(name, nullptr) << "the one-copy name outlives the program";
    if (name) ::CloseHandle(name);
}

}  // namespace
