// Working hours in the real program, on the real clock: today's hours end at the next
// minute boundary and begin again one minute later. At the end the work count stops and
// the rest that would have come a few seconds later does not; at the new start a fresh
// work period begins and the day file records the time outside as a rest ended "schedule".
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "kivtool_process.h"
#include "remote_window.h"

using namespace e2e;

namespace {

const wchar_t kOutsideText[] = L"现在是非工作时间";
const char* const kDayNames[] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};  // SYSTEMTIME order

std::string hhmm(int minutes) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60, minutes % 60);
    return text;
}

}  // namespace

TEST(WorkingHoursE2E, TheCountStopsAtARangesEndAndAFreshPeriodBeginsWithTheNext) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const int minuteNow = now.wHour * 60 + now.wMinute;
    // At least 12 s to the end, so the program is up and counting before it.
    int secondsToEnd = 60 - now.wSecond;
    int endMinute = minuteNow + 1;
    if (secondsToEnd < 12) {
        secondsToEnd += 60;
        ++endMinute;
    }
    if (endMinute + 2 >= 24 * 60) GTEST_SKIP() << "too close to midnight for a range of today";
    const std::string hours = std::string(kDayNames[now.wDayOfWeek]) + " 00:00-" + hhmm(endMinute) + " " +
                              hhmm(endMinute + 1) + "-24:00";

    // Without working hours the rest would come 6 s after the range ends.
    Profile profile{static_cast<unsigned>(secondsToEnd + 6), 5, 0};
    profile.workingHours = hours;
    KivTool app(profile);
    ASSERT_EQ(app.setupError(), "");
    const DWORD started = ::GetTickCount();
    ASSERT_TRUE(app.start()) << hours;
    ASSERT_TRUE(waitFor([&] { return app.statusSeconds(kStatusWorked) >= 2; }, 8000)) << "no work is counted";

    // Past the end, and past the moment the rest would have come.
    const DWORD untilChecked = secondsToEnd * 1000 + 9000;
    const DWORD elapsed = ::GetTickCount() - started;
    if (elapsed < untilChecked) ::Sleep(untilChecked - elapsed);
    EXPECT_EQ(itemText(app.statusWindow(), kStatusRemain), kOutsideText);
    EXPECT_EQ(app.restWindow(), nullptr) << "a rest came outside working hours";
    const long long frozen = app.statusSeconds(kStatusWorked);
    EXPECT_GE(frozen, secondsToEnd - 4);
    EXPECT_LE(frozen, secondsToEnd + 2);
    ::Sleep(2000);
    EXPECT_EQ(app.statusSeconds(kStatusWorked), frozen) << "work is counted outside working hours";

    // The next range: a fresh period, counted from nothing.
    ASSERT_TRUE(waitFor([&] { return app.statusSeconds(kStatusRemain) >= 0; }, 60000)) << "the next range did not begin";
    EXPECT_LE(app.statusSeconds(kStatusWorked), 3);
    ASSERT_TRUE(waitFor([&] { return app.statusSeconds(kStatusWorked) >= 2; }, 5000));
    EXPECT_EQ(app.restWindow(), nullptr);

    char day[16];
    std::snprintf(day, sizeof day, "%04u-%02u-%02u.xml", now.wYear, now.wMonth, now.wDay);
    const std::string history = KivTool::readFile(app.profileDir() / day);
    const std::string expected = "start=\"" + hhmm(endMinute).replace(2, 1, "-") + "-00\"";
    EXPECT_NE(history.find("end=\"schedule\""), std::string::npos) << history;
    EXPECT_NE(history.find(expected), std::string::npos) << history;
    // A minute outside, to the tick (which may come up to a second late).
    EXPECT_TRUE(history.find("rested=\"60\"") != std::string::npos || history.find("rested=\"61\"") != std::string::npos)
        << history;

    ASSERT_TRUE(app.command(kCommandExit));
    EXPECT_TRUE(app.waitForExit(10000));
}
