// The day files and the working hours of the real program against what other programs and
// hand edits do to them: today's file held open by another program while a delay is
// recorded, a day file above 4 MB at start, a working-hours value of 60,000 ranges.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <fstream>
#include <string>

#include "kivtool_process.h"
#include "remote_window.h"

using namespace e2e;

namespace {

// Today's day file as the program names it (local date), with `suffix` after the date.
std::filesystem::path todayFile(const KivTool& app, const wchar_t* suffix = L".xml") {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    wchar_t name[64];
    std::swprintf(name, 64, L"%04u-%02u-%02u%ls", now.wYear, now.wMonth, now.wDay, suffix);
    return app.profileDir() / name;
}

std::string todayStartup() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u 00-00-01", now.wYear, now.wMonth, now.wDay);
    return text;
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

void write(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

const char kRest[] = " <rest end=\"time\" planned=\"480\" rested=\"480\" start=\"00-00-02\"/>\r\n";

bool closeToMidnight() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return now.wHour == 23 && now.wMinute >= 59;
}

}  // namespace

// A backup or a virus scanner holds today's file for half a second as the user delays the
// rest: the file keeps its start and its rest, and gets the delay once it is free again.
TEST(DayFileE2E, ADayFileHeldOpenWhileADelayIsRecordedKeepsAllItsRecords) {
    if (closeToMidnight()) GTEST_SKIP() << "today's file would change under the test";
    KivTool app({1000, 3, 1});
    ASSERT_EQ(app.setupError(), "");
    const std::string before = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<profile>\r\n <startup_time>" +
                               todayStartup() + "</startup_time>\r\n" + kRest + "</profile>\r\n";
    write(todayFile(app), before);
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(waitFor([&] { return app.statusSeconds(kStatusWorked) >= 2; }, 10000));

    const HANDLE held =
        ::CreateFileW(todayFile(app).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(app.command(kCommandDelay5));
    ::Sleep(500);
    ::CloseHandle(held);

    std::string after;
    EXPECT_TRUE(waitFor([&] { return count(after = KivTool::readFile(todayFile(app)), "<delay ") == 1; }, 10000))
        << after;
    EXPECT_EQ(count(after, "<startup_time>" + todayStartup()), 1u) << after;
    EXPECT_EQ(count(after, kRest), 1u) << after;
    ASSERT_TRUE(app.command(kCommandExit));
    EXPECT_TRUE(app.waitForExit(10000));
    EXPECT_EQ(count(KivTool::readFile(todayFile(app)), "<work>"), 1u);
}

// Above 4 MB the program does not read a day file; it keeps it beside the new one.
TEST(DayFileE2E, ADayFileAboveFourMegabytesAtStartKeepsAllItsRecords) {
    if (closeToMidnight()) GTEST_SKIP() << "today's file would change under the test";
    KivTool app({1000, 3, 1});
    ASSERT_EQ(app.setupError(), "");
    std::string big = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<profile>\r\n <startup_time>" + todayStartup() +
                      "</startup_time>\r\n";
    while (big.size() <= 4 * 1024 * 1024) big += kRest;
    big += "</profile>\r\n";
    write(todayFile(app), big);
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(app.command(kCommandExit));
    EXPECT_TRUE(app.waitForExit(10000));
    EXPECT_TRUE(KivTool::readFile(todayFile(app, L".unreadable-1.xml")) == big) << "the big file was not kept";
    const std::string today = KivTool::readFile(todayFile(app));
    EXPECT_EQ(count(today, "<startup_time>"), 1u) << today;
    EXPECT_LT(today.size(), 4096u);
}

// 60,000 ranges fit the settings file's 1 MB but not the value's limit: the value does not
// read, so every hour is working time, and the program starts and counts at once.
TEST(DayFileE2E, AWorkingHoursValueOfSixtyThousandRangesStartsAndCounts) {
    Profile profile{1000, 3, 1};
    profile.workingHours = "mon-sun";
    for (int i = 0; i < 60000; ++i) {
        const int start = i % 1439;
        char range[16];
        std::snprintf(range, sizeof range, " %02d:%02d-%02d:%02d", start / 60, start % 60, (start + 1) / 60,
                      (start + 1) % 60);
        profile.workingHours += range;
    }
    KivTool app(profile);
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start());
    EXPECT_TRUE(waitFor([&] { return app.statusSeconds(kStatusWorked) >= 3; }, 10000));
    ASSERT_TRUE(app.command(kCommandExit));
    EXPECT_TRUE(app.waitForExit(10000));
    // Kept in the file as it was.
    EXPECT_NE(KivTool::readFile(app.profileDir() / L"Murvel.xml").find(profile.workingHours), std::string::npos);
}
