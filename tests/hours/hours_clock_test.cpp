// Working hours over the calendar clock: local weekday and minute, the moment a local time
// is reached, and the tracker the scheduler asks each tick, in fixed time zones (with
// summer time where the runtime keeps it for a zone set through TZ: not under Wine).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "hours/hours_clock.h"
#include "os_kiv.h"
#include "shared/zone_test.h"

namespace {

using hours::HoursReport;
using hours::Schedule;
using hours::Tracker;

const char kOffice[] = "mon-fri 08:30-12:00 13:00-18:00; sat 09:00-12:00";
// Central Europe with its rules spelled out: summer time from the last Sunday of March
// 02:00 to the last Sunday of October 03:00.
const char kCentralEurope[] = "CET-1CEST,M3.5.0,M10.5.0/3";

class HoursClockTest : public test::ZoneTest {
protected:
    static Tracker trackerFor(const char* value) {
        Schedule s;
        EXPECT_TRUE(hours::parseValue(kiv::String(value), s)) << value;
        Tracker tracker;
        tracker.setSchedule(s);
        return tracker;
    }
    // True when this runtime keeps summer time for a zone set through TZ.
    static bool summerTimeKept() {
        kiv::os::setTimeZone(kCentralEurope);
        return kiv::os::localOffset(1593590400) == 7200;  // 2020-07-01
    }
};

TEST_F(HoursClockTest, LocalWeekdayAndMinute) {
    const struct {
        const char* time;
        int weekday;
        int minute;
        int second;
    } cases[] = {
        {"2026-12-07 00-00-00", 0, 0, 0},      // a Monday
        {"2026-12-07 23-59-59", 0, 1439, 59},
        {"2026-12-13 12-30-05", 6, 750, 5},    // Sunday
        {"1970-01-01 00-00-00", 3, 0, 0},      // Thursday
        {"2000-02-29 08-30-00", 1, 510, 0},    // a leap day, Tuesday
    };
    for (const auto& c : cases) {
        hours::LocalTime t;
        int second = -1;
        ASSERT_TRUE(hours::localTimeOf(local(c.time), t, second)) << c.time;
        EXPECT_EQ(t.weekday, c.weekday) << c.time;
        EXPECT_EQ(t.minute, c.minute) << c.time;
        EXPECT_EQ(second, c.second) << c.time;
    }
    hours::LocalTime t;
    int second = 0;
    EXPECT_FALSE(hours::localTimeOf(kiv::Time(-1), t, second));
}

TEST_F(HoursClockTest, LocalMinuteAfterCrossesDaysMonthsAndYears) {
    const struct {
        const char* from;
        int minutes;
        const char* to;
    } cases[] = {
        {"2026-12-07 11-59-30", 1, "2026-12-07 12-00-00"},  // the minute's start, not +60 s
        {"2026-12-07 18-00-00", 870, "2026-12-08 08-30-00"},
        {"2026-12-31 23-00-00", 90, "2027-01-01 00-30-00"},
        {"2028-02-28 12-00-00", 1440, "2028-02-29 12-00-00"},
        {"2026-12-07 10-00-00", 7 * 1440, "2026-12-14 10-00-00"},
    };
    for (const auto& c : cases) EXPECT_EQ(text(hours::localMinuteAfter(local(c.from), c.minutes)), c.to) << c.from;
}

// No look while it slept past the range's end: the time outside began when the range ended.
TEST_F(HoursClockTest, AsleepAcrossARangesEnd) {
    Tracker evening = trackerFor(kOffice);
    evening.look(local("2026-12-07 17-50-00"));
    const HoursReport late = evening.look(local("2026-12-07 19-00-00"));
    EXPECT_FALSE(late.inside);
    EXPECT_TRUE(late.left);
    const HoursReport next = evening.look(local("2026-12-08 08-30-00"));
    EXPECT_TRUE(next.entered);
    EXPECT_EQ(text(next.outsideFrom), "2026-12-07 18-00-00");  // when the range ended, not the return
}

TEST_F(HoursClockTest, AClockSetBackIsFollowedAtOnce) {
    Tracker tracker = trackerFor(kOffice);
    EXPECT_TRUE(tracker.look(local("2026-12-07 13-00-00")).inside);
    const HoursReport back = tracker.look(local("2026-12-07 12-30-00"));
    EXPECT_FALSE(back.inside);
    EXPECT_TRUE(back.left);
    EXPECT_TRUE(tracker.look(local("2026-12-07 13-00-00")).entered);
}

// A new time zone moves local time without the clock jumping: a quarter hour at most.
TEST_F(HoursClockTest, ANewTimeZoneIsFollowedWithinAQuarterHour) {
    Tracker tracker = trackerFor(kOffice);
    const kiv::Time start = local("2026-12-07 10-00-00");
    EXPECT_TRUE(tracker.look(start).inside);
    kiv::os::setTimeZone("UTC-8");  // 18:00 there: outside
    EXPECT_TRUE(tracker.look(kiv::Time(start.timeValue() + Tracker::kLongestTrust - 1)).inside);
    const HoursReport later = tracker.look(kiv::Time(start.timeValue() + Tracker::kLongestTrust));
    EXPECT_FALSE(later.inside);
    EXPECT_TRUE(later.left);
}

// Told of the new zone (WM_TIMECHANGE), the tracker decides again at the next look.
TEST_F(HoursClockTest, ANewTimeZoneItIsToldOfIsFollowedAtOnce) {
    Tracker tracker = trackerFor(kOffice);
    const kiv::Time start = local("2026-12-07 10-00-00");
    EXPECT_TRUE(tracker.look(start).inside);
    kiv::os::setTimeZone("UTC-8");  // 18:00 there: outside
    tracker.decideAgain();
    const HoursReport next = tracker.look(kiv::Time(start.timeValue() + 1));
    EXPECT_FALSE(next.inside);
    EXPECT_TRUE(next.left);
}

// Summer time begins: 02:00 CET becomes 03:00 CEST (2026-03-29, a Sunday), so a range that
// ends at 04:00 local ends 1.5 hours after 01:30, not 2.5.
TEST_F(HoursClockTest, SummerTimeBeginningMovesTheChangeByTheClock) {
    if (!summerTimeKept()) GTEST_SKIP() << "this runtime keeps no summer time for a zone set through TZ (Wine)";
    kiv::os::setTimeZone(kCentralEurope);
    EXPECT_EQ(text(hours::localMinuteAfter(local("2026-03-29 01-30-00"), 150)), "2026-03-29 04-00-00");
    Tracker tracker = trackerFor("sun 01:00-04:00");
    const kiv::Time start = local("2026-03-29 01-30-00");  // 00:30 UTC
    EXPECT_TRUE(tracker.look(start).inside);
    EXPECT_TRUE(tracker.look(kiv::Time(start.timeValue() + 5399)).inside);  // 03:59:59 CEST
    const HoursReport end = tracker.look(kiv::Time(start.timeValue() + 5400));
    EXPECT_FALSE(end.inside);
    EXPECT_TRUE(end.left);
}

// Summer time ends: 03:00 CEST becomes 02:00 CET (2026-10-25), so a range from 04:00 local
// begins three and a half hours after 01:30 CEST, not two and a half.
TEST_F(HoursClockTest, SummerTimeEndingMovesTheChangeByTheClock) {
    if (!summerTimeKept()) GTEST_SKIP() << "this runtime keeps no summer time for a zone set through TZ (Wine)";
    kiv::os::setTimeZone(kCentralEurope);
    Tracker tracker = trackerFor("sun 04:00-05:00");
    const kiv::Time start = local("2026-10-25 01-30-00");  // summer time still: 23:30 UTC
    EXPECT_FALSE(tracker.look(start).inside);
    EXPECT_FALSE(tracker.look(kiv::Time(start.timeValue() + 12599)).inside);
    const HoursReport begin = tracker.look(kiv::Time(start.timeValue() + 12600));
    EXPECT_TRUE(begin.inside);
    EXPECT_TRUE(begin.entered);
}

}  // namespace
