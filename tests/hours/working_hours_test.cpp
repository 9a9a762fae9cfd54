// The working-hours value and the in/out decision: tables of texts and of
// (schedule, local time) rows.
#include <gtest/gtest.h>

#include <string>

#include "hours/working_hours.h"

namespace {

using hours::LocalTime;
using hours::Schedule;

enum Day { Mon, Tue, Wed, Thu, Fri, Sat, Sun };

std::u16string u16(const char* text) { return std::u16string(text, text + std::char_traits<char>::length(text)); }

std::string narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

Schedule parsed(const char* text) {
    Schedule s;
    EXPECT_TRUE(hours::parse(u16(text), s)) << text;
    return s;
}

int at(int h, int m) { return h * 60 + m; }

// --- The settings value ----------------------------------------------------------------

TEST(WorkingHoursParse, GoodTextsReadAndWriteBackInTheirShortForm) {
    const struct {
        const char* text;
        const char* written;
    } cases[] = {
        {"mon-fri 08:30-12:00 13:00-18:00; sat 09:00-12:00", "mon-fri 08:30-12:00 13:00-18:00; sat 09:00-12:00"},
        // Spaces around every separator, tabs too, and none at all after ';'.
        {"  mon - fri\t08:30 - 12:00   13:00-18:00 ;sat 09:00-12:00 ", "mon-fri 08:30-12:00 13:00-18:00; sat 09:00-12:00"},
        {"mon,wed , fri 09:00-17:00", "mon,wed,fri 09:00-17:00"},
        {"sat-mon 10:00-11:00", "mon,sat-sun 10:00-11:00"},  // a span over the week's end
        {"mon 22:00-06:00", "mon 22:00-06:00"},              // a night shift
        {"sun 00:00-24:00", "sun 00:00-24:00"},
        {"mon 09:00-12:00; mon 13:00-17:00", "mon 09:00-12:00 13:00-17:00"},
        {"tue 09:00-10:00; mon 09:00-10:00", "mon-tue 09:00-10:00"},
        {"mon-sun 23:59-00:00", "mon-sun 23:59-00:00"},
    };
    for (const auto& c : cases) {
        Schedule s;
        ASSERT_TRUE(hours::parse(u16(c.text), s)) << c.text;
        EXPECT_TRUE(s.set);
        EXPECT_EQ(narrow(hours::format(s)), c.written) << c.text;
        Schedule again;
        ASSERT_TRUE(hours::parse(hours::format(s), again)) << c.text;
        EXPECT_TRUE(again == s) << c.text;
    }
}

TEST(WorkingHoursParse, BadTextsAreRefusedAsAWhole) {
    const char* const cases[] = {
        "", " ", ";", "mon", "mon ", "mon;", "09:00-10:00",
        "mon 09:00-12:00;",                 // an empty entry
        "mon 09:00-12:00;; tue 09:00-10:00",
        "mon 9:00-12:00", "mon 0900-1200", "mon 09:00 - 12:0",
        "Mon 09:00-10:00", "monday 09:00-10:00", "mo 09:00-10:00", "xyz 09:00-10:00",
        "mon 24:00-01:00",                  // 24:00 only ends a range
        "mon 24:00-24:00", "mon 09:60-10:00", "mon 25:00-26:00", "mon 09:00-24:01",
        "mon 09:00-09:00",                  // no length
        "mon 09:00", "mon 09:00-", "mon -10:00", "mon 09:00-10:00 11:00",
        "mon 09:00-10:00 x", "mon-", "mon- 09:00-10:00", "mon,,tue 09:00-10:00", ",mon 09:00-10:00",
        "mon 09:00-10:00,", "mon 09:00-10:00\n", "mon\n09:00-10:00",
        "mon 09:00-10:00; sat",             // one bad entry spoils the rest
        "mon 09:00-10:00 08:00-07:00x",
    };
    for (const char* text : cases) {
        Schedule s;
        s.set = true;
        s.days[0].push_back({1, 2});
        EXPECT_FALSE(hours::parse(u16(text), s)) << "'" << text << "'";
        EXPECT_FALSE(s.set) << text;
        EXPECT_TRUE(s.days[0].empty()) << text;
    }
}

TEST(WorkingHoursParse, ANulInsideTheTextIsAStrayCharacter) {
    const char16_t text[] = u"mon 09:00-10:00\0 tue 09:00-10:00";
    Schedule s;
    EXPECT_FALSE(hours::parse(text, sizeof text / sizeof text[0] - 1, s));
    EXPECT_TRUE(hours::parse(text, 15, s));
}

// A value with tens of thousands of ranges would fit the settings file and make every
// decision scan them all: at most 8 ranges a weekday and 1024 units read.
TEST(WorkingHoursParse, TheValueIsBoundedInLengthAndRangesPerDay) {
    auto ranges = [](int count) {
        std::string text;
        for (int i = 0; i < count; ++i) text += " " + std::string(1, char('0' + i / 10)) + char('0' + i % 10) + ":00-" +
                                                std::string(1, char('0' + i / 10)) + char('0' + i % 10) + ":30";
        return text;
    };
    const std::string padded = "mon 09:00-10:00" + std::string(1024 - 15, ' ');
    const struct {
        const char* what;
        std::string text;
        bool reads;
    } rows[] = {
        {"8 ranges", "mon" + ranges(8), true},
        {"9 ranges", "mon" + ranges(9), false},
        {"8 ranges on every day", "mon-sun" + ranges(8), true},
        {"9 ranges of one day over two entries", "mon" + ranges(8) + "; sun,mon 20:00-21:00", false},
        {"1024 units", padded, true},
        {"1025 units", padded + " ", false},
    };
    for (const auto& row : rows) {
        Schedule s;
        EXPECT_EQ(hours::parse(u16(row.text.c_str()), s), row.reads) << row.what;
        EXPECT_EQ(s.set, row.reads) << row.what;
    }
}

TEST(WorkingHoursFormat, NotSetOrWithoutRangesIsEmpty) {
    EXPECT_EQ(hours::format(Schedule()), u"");
    Schedule none;
    none.set = true;
    EXPECT_EQ(hours::format(none), u"");
}

// --- In or out, and the next change ----------------------------------------------------

TEST(WorkingHoursDecision, TableOfScheduleAndLocalTime) {
    const char* const office = "mon-fri 08:30-12:00 13:00-18:00; sat 09:00-12:00";
    const struct {
        const char* schedule;
        Day day;
        int minute;
        bool inside;
        int change;  // minutes to the next change; -1 never
    } cases[] = {
        {office, Mon, at(8, 29), false, 1},
        {office, Mon, at(8, 30), true, 210},
        {office, Mon, at(11, 59), true, 1},
        {office, Mon, at(12, 0), false, 60},       // lunch
        {office, Mon, at(13, 0), true, 300},
        {office, Mon, at(18, 0), false, 360 + 510},  // to Tuesday 08:30
        {office, Fri, at(18, 0), false, 360 + 540},  // to Saturday 09:00
        {office, Sat, at(12, 0), false, 720 + 1440 + 510},
        {office, Sun, at(10, 0), false, 840 + 510},
        {office, Sun, at(23, 59), false, 1 + 510},
        // A night shift belongs to the day it starts on, and midnight is inside it.
        {"mon 22:00-06:00", Mon, at(21, 59), false, 1},
        {"mon 22:00-06:00", Mon, at(23, 59), true, 361},
        {"mon 22:00-06:00", Tue, at(0, 0), true, 360},
        {"mon 22:00-06:00", Tue, at(5, 59), true, 1},
        {"mon 22:00-06:00", Tue, at(6, 0), false, 6 * 1440 + 960},
        {"mon 22:00-06:00", Sun, at(23, 0), false, 1380},
        {"mon 22:00-06:00", Mon, at(3, 0), false, 1140},  // Sunday had no shift
        // Sunday night reaches into Monday morning over the week's end.
        {"sun 22:00-06:00", Mon, at(5, 0), true, 60},
        {"sun 22:00-06:00", Sun, at(21, 0), false, 60},
        // Ranges that meet are one stretch: the change is where the last one ends.
        {"mon 00:00-24:00; tue 00:00-12:00", Mon, at(23, 59), true, 1 + 720},
        {"mon 08:00-12:00 12:00-13:00", Mon, at(11, 0), true, 120},
        {"mon-sun 00:00-24:00", Wed, at(12, 0), true, -1},
        {"mon-sun 22:00-22:00x", Wed, 0, true, -1},  // a text that does not read: always inside
        {"sat-mon 10:00-11:00", Sun, at(10, 30), true, 30},
        {"mon,wed 10:00-11:00", Tue, at(10, 30), false, 1440 - 30},
        // Sunday's last range joins Monday's first over the week's end; overlaps join too.
        {"sun 22:00-24:00; mon 00:00-03:00", Sun, at(23, 0), true, 60 + 180},
        {"sun 23:00-01:00; mon 00:30-02:00", Sun, at(23, 30), true, 30 + 120},
        {"sun 22:00-24:00; mon 00:00-03:00", Mon, at(1, 0), true, 120},
        {"mon 08:00-12:00 10:00-14:00", Mon, at(9, 0), true, 300},
        {"mon-sun 12:00-13:00; mon-sun 13:00-12:00", Thu, at(3, 0), true, -1},
    };
    for (const auto& c : cases) {
        Schedule s;
        if (!hours::parse(u16(c.schedule), s)) {
            ASSERT_FALSE(s.set) << c.schedule;  // not set: always inside
        }
        const LocalTime t{c.day, c.minute};
        EXPECT_EQ(hours::isInside(s, t), c.inside) << c.schedule << " day " << c.day << " minute " << c.minute;
        EXPECT_EQ(hours::minutesToChange(s, t), c.change) << c.schedule << " day " << c.day << " minute " << c.minute;
    }
}

TEST(WorkingHoursDecision, ASetScheduleWithoutRangesIsNeverInside) {
    Schedule none;
    none.set = true;
    EXPECT_FALSE(hours::isInside(none, {Mon, 600}));
    EXPECT_EQ(hours::minutesToChange(none, {Mon, 600}), -1);
}

TEST(WorkingHoursDecision, NoMoreBreaksTodayLastsUntilTheFirstRangeOfALaterDay) {
    const char* const office = "mon-fri 08:30-12:00 13:00-18:00; sat 09:00-12:00";
    const struct {
        const char* schedule;  // nullptr: not set
        Day day;
        int minute;
        int minutes;
    } cases[] = {
        {office, Mon, at(10, 0), 840 + 510},
        {office, Fri, at(10, 0), 840 + 540},
        {office, Sat, at(8, 0), 960 + 1440 + 510},  // today's own range is skipped too
        {office, Sun, at(8, 0), 960 + 510},
        {nullptr, Mon, at(10, 0), 840},              // always working hours: until midnight
        {nullptr, Mon, at(23, 59), 1},
        {"mon 09:00-10:00", Mon, at(8, 0), 960 + 6 * 1440 + 540},  // next week's Monday
        {"mon 22:00-06:00", Tue, at(1, 0), 1380 + 5 * 1440 + 1320},  // last night's shift ends now
    };
    for (const auto& c : cases) {
        const Schedule s = c.schedule ? parsed(c.schedule) : Schedule();
        EXPECT_EQ(hours::minutesToNextDaysStart(s, {c.day, c.minute}), c.minutes)
            << (c.schedule ? c.schedule : "not set") << " day " << c.day;
    }
}

// --- What the dialog refuses -----------------------------------------------------------

TEST(WorkingHoursCheck, RefusesTimesOutsideTheDayEmptyAndOverlappingRanges) {
    using hours::Problem;
    using hours::Range;
    const struct {
        Day day1;
        Range range1;
        Day day2;
        Range range2;
        Problem problem;
        int day;
        int range;
    } cases[] = {
        {Mon, {at(8, 0), at(12, 0)}, Mon, {at(12, 0), at(13, 0)}, Problem::None, -1, -1},  // they meet
        {Mon, {at(8, 0), at(12, 0)}, Mon, {at(11, 0), at(13, 0)}, Problem::Overlap, Mon, 1},
        {Mon, {at(8, 0), at(12, 0)}, Mon, {at(9, 0), at(10, 0)}, Problem::Overlap, Mon, 1},
        {Mon, {at(22, 0), at(6, 0)}, Tue, {at(5, 0), at(7, 0)}, Problem::Overlap, Tue, 0},
        {Mon, {at(22, 0), at(6, 0)}, Tue, {at(6, 0), at(7, 0)}, Problem::None, -1, -1},
        {Mon, {at(5, 0), at(7, 0)}, Sun, {at(22, 0), at(6, 0)}, Problem::Overlap, Sun, 0},  // over the week's end
        {Mon, {0, 1440}, Tue, {0, 1440}, Problem::None, -1, -1},
        {Mon, {at(9, 0), at(9, 0)}, Tue, {0, 60}, Problem::Empty, Mon, 0},
        {Mon, {at(9, 0), 1441}, Tue, {0, 60}, Problem::OutOfDay, Mon, 0},
        {Mon, {-1, 60}, Tue, {0, 60}, Problem::OutOfDay, Mon, 0},
        {Mon, {1440, 60}, Tue, {0, 60}, Problem::OutOfDay, Mon, 0},
        {Mon, {0, 60}, Wed, {at(23, 0), at(1, 0)}, Problem::None, -1, -1},
    };
    for (const auto& c : cases) {
        Schedule s;
        s.set = true;
        s.days[c.day1].push_back(c.range1);
        s.days[c.day2].push_back(c.range2);
        const hours::Check found = hours::check(s);
        EXPECT_EQ(found.problem, c.problem) << c.range1.start << "-" << c.range1.end << " / " << c.range2.start;
        EXPECT_EQ(found.day, c.day) << c.range1.start << "-" << c.range1.end;
        EXPECT_EQ(found.range, c.range) << c.range1.start << "-" << c.range1.end;
    }
}

}  // namespace
