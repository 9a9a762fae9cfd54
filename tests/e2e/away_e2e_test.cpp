// Time away, seen from outside the real program: session and power messages posted to its
// status window as Windows sends them (Wine sends none itself), and real input idleness,
// read from the status labels.
#include <gtest/gtest.h>

#include <windows.h>
#include <wtsapi32.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "kivtool_process.h"
#include "remote_window.h"

using namespace e2e;

namespace {

long long idleSeconds() {
    LASTINPUTINFO info{};
    info.cbSize = sizeof info;
    if (!::GetLastInputInfo(&info)) return -1;
    return (::GetTickCount() - info.dwTime) / 1000;
}

// A one-pixel mouse move there and back: input as the desktop sees it.
void moveMouse() {
    INPUT input[2] = {};
    for (INPUT& in : input) {
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = MOUSEEVENTF_MOVE;
    }
    input[0].mi.dx = 1;
    input[1].mi.dx = -1;
    ::SendInput(2, input, sizeof(INPUT));
}

// What Windows posts to a window registered for session notifications, and to every
// top-level window on sleep and resume.
void post(HWND status, UINT message, WPARAM code) { ::PostMessageW(status, message, code, 1); }

long long worked(const KivTool& app) { return app.statusSeconds(kStatusWorked); }

// The worked label has stood at 0 for `ms` milliseconds.
bool heldAtZero(const KivTool& app, DWORD ms) { return !waitFor([&] { return worked(app) != 0; }, ms); }

}  // namespace

// The setting is off: input is never looked at, and only the session and power messages
// count as time away.
TEST(AwayE2E, LockAndSleepAsLongAsARestAreOneAndShorterOnesHoldTheCount) {
    const unsigned rest = 4;
    KivTool app({120, rest, 0});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start());
    HWND status = app.statusWindow();
    // No input comes: the count goes on as it always did.
    ASSERT_TRUE(waitFor([&] { return worked(app) >= 2; }, 5000)) << narrow(itemText(status, kStatusWorked));

    // A lock shorter than a rest: the locked time is not work. (The label shows the count
    // from before each tick: one tick more may still come in.)
    post(status, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK);
    ::Sleep(1200);
    const long long atLock = worked(app);
    ::Sleep(1500);
    EXPECT_LE(worked(app), atLock) << "counted while locked";
    post(status, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK);
    EXPECT_TRUE(waitFor([&] { return worked(app) > atLock; }, 3000));
    EXPECT_GE(worked(app), atLock) << "a short lock keeps the count";

    // A lock as long as a rest: the count starts again from 0, with no rest window.
    post(status, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK);
    EXPECT_TRUE(waitFor([&] { return worked(app) == 0; }, (rest + 3) * 1000));
    EXPECT_TRUE(heldAtZero(app, 1500)) << "locked time is not work";
    EXPECT_EQ(app.restWindow(), nullptr);
    post(status, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK);
    EXPECT_TRUE(waitFor([&] { return worked(app) >= 1; }, 3000));

    // Sleep: the clock on resume tells how long; the label shows it at once.
    ASSERT_TRUE(waitFor([&] { return worked(app) >= 2; }, 3000));
    post(status, WM_POWERBROADCAST, PBT_APMSUSPEND);
    ::Sleep((rest + 1) * 1000);
    post(status, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
    post(status, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND);
    EXPECT_TRUE(waitFor([&] { return worked(app) == 0; }, 500)) << narrow(itemText(status, kStatusWorked));
    EXPECT_TRUE(waitFor([&] { return worked(app) >= 1; }, 3000)) << "the count goes on after the resume";
    EXPECT_EQ(app.restWindow(), nullptr);
}

// The setting is on: input keeps the count going; no input for a rest's length is a rest.
TEST(AwayE2E, NoInputForARestLengthIsARestWhenTurnedOn) {
    const unsigned rest = 3;
    KivTool app({120, rest, 0, 1});
    ASSERT_EQ(app.setupError(), "");
    moveMouse();
    ASSERT_TRUE(app.start());
    HWND status = app.statusWindow();

    // Input every half second for longer than a rest: all of it is work.
    const DWORD started = ::GetTickCount();
    while (::GetTickCount() - started < (rest + 2) * 1000) {
        moveMouse();
        ::Sleep(500);
    }
    const long long atLastInput = worked(app);
    EXPECT_GE(atLastInput, rest + 1) << narrow(itemText(status, kStatusWorked));

    // Then none: once the idle time reaches the rest length the count starts again.
    EXPECT_TRUE(waitFor([&] { return worked(app) == 0; }, (rest + 3) * 1000))
        << narrow(itemText(status, kStatusWorked)) << ", idle " << idleSeconds() << " s";
    EXPECT_GE(idleSeconds(), rest);
    EXPECT_TRUE(heldAtZero(app, 1500)) << "still away: no work";
    EXPECT_EQ(app.restWindow(), nullptr);

    moveMouse();
    EXPECT_TRUE(waitFor([&] { return worked(app) >= 1; }, 3000)) << "back at the keyboard";
}

namespace {

// Today's day file, as the program names it.
std::filesystem::path dayFile(const KivTool& app) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    wchar_t name[32];
    swprintf(name, 32, L"%04u-%02u-%02u.xml", now.wYear, now.wMonth, now.wDay);
    return app.profileDir() / name;
}

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The <work> count of a day file; -1 when there is none.
long long workIn(const std::string& day) {
    const std::size_t at = day.find("<work>");
    return at == std::string::npos ? -1 : std::atoll(day.c_str() + at + 6);
}

}  // namespace

// A remote desktop disconnected, then a sign-in at the console: the count goes on.
TEST(AwayE2E, ASignInAtTheConsoleEndsARemoteDisconnection) {
    KivTool app({120, 30, 0});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start());
    HWND status = app.statusWindow();
    ASSERT_TRUE(waitFor([&] { return worked(app) >= 2; }, 5000)) << narrow(itemText(status, kStatusWorked));
    post(status, WM_WTSSESSION_CHANGE, WTS_REMOTE_DISCONNECT);
    ::Sleep(1200);
    const long long atDisconnect = worked(app);
    ::Sleep(1500);
    EXPECT_LE(worked(app), atDisconnect) << "counted while disconnected";
    post(status, WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT);
    EXPECT_TRUE(waitFor([&] { return worked(app) > atDisconnect; }, 3000)) << "the count stays frozen";
}

// Locked during a rest and back after its end: one rest in the day file. The work done
// after it is written when the session locks again, so a program killed then loses none.
TEST(AwayE2E, ALockThroughARestIsOneRestAndTheWorkIsWrittenOnTheLock) {
    const unsigned work = 3, rest = 3;
    KivTool app({work, rest, 0});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start());
    HWND status = app.statusWindow();
    HWND restWindow = nullptr;
    ASSERT_TRUE(waitFor([&] { return (restWindow = app.restWindow()) != nullptr; }, (work + 8) * 1000));
    post(status, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK);
    ASSERT_TRUE(waitFor([&] { return !::IsWindow(restWindow); }, (rest + 5) * 1000)) << "the rest does not end";
    ::Sleep((rest + 1) * 1000);  // locked for longer than a rest by now
    post(status, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK);
    // A longer period, so that no rest window is open when the program is killed (the
    // delay writes the work so far; what follows stays in memory until the lock).
    ASSERT_TRUE(app.command(kCommandDelay5));
    ASSERT_TRUE(waitFor([&] { return worked(app) >= 3; }, 5000)) << narrow(itemText(status, kStatusWorked));
    const long long workedAfter = worked(app);
    post(status, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK);
    ::Sleep(700);
    ASSERT_TRUE(app.terminate());

    const std::string day = KivTool::readFile(dayFile(app));
    EXPECT_EQ(count(day, "<rest "), 1) << day;
    EXPECT_EQ(count(day, "end=\"time\""), 1) << day;
    EXPECT_GE(workIn(day), static_cast<long long>(work) + workedAfter) << day;
}
