// Working hours: the ranges of each weekday in which the user works, the settings value
// they are written as, and the in/out decision over local time. Plain code over plain
// values (no window, no clock, no OS header), so the tests and the fuzzer drive it as it is.
//
// The settings value, as a person reads and edits it:
//   mon-fri 08:30-12:00 13:00-18:00; sat 09:00-12:00
// Entries are separated by ';'. Each names its days (mon tue wed thu fri sat sun; a span
// with '-', a list with ','), then one or more ranges HH:MM-HH:MM (24-hour; 24:00 only as
// an end) separated by spaces. Spaces around the separators do not matter. A day not named
// has no working hours. A range that ends before it starts runs over midnight and belongs
// to the day it starts on (22:00-06:00 on Monday is Monday night and Tuesday morning).
// A value is at most kMaxValueLength units long and gives each weekday at most
// kMaxRangesPerDay ranges; a longer value, or more ranges, does not read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace hours {

constexpr int kDaysInWeek = 7;
constexpr int kMinutesInDay = 24 * 60;
constexpr int kMinutesInWeek = kDaysInWeek * kMinutesInDay;
// Far above any real week (the dialog gives two ranges a day), and small enough that every
// decision stays a few hundred steps.
constexpr size_t kMaxValueLength = 1024;
constexpr size_t kMaxRangesPerDay = 8;

// Minutes after midnight; `end` may be 1440 (24:00). end <= start: over midnight.
struct Range {
    int start = 0;
    int end = 0;
    bool crossesMidnight() const { return end <= start; }
    // Its length in minutes (over midnight: to the next day's end).
    int length() const { return crossesMidnight() ? end + kMinutesInDay - start : end - start; }
    bool operator==(const Range& o) const { return start == o.start && end == o.end; }
};

// Index 0 is Monday, 6 Sunday. A schedule that is not set means always working hours.
struct Schedule {
    bool set = false;
    std::vector<Range> days[kDaysInWeek];
    bool operator==(const Schedule& o) const;
};

// A moment of local time: the weekday (0 Monday .. 6 Sunday) and the minute of the day.
struct LocalTime {
    int weekday = 0;
    int minute = 0;
};

// Reads the settings value. False for anything that is not exactly the grammar above (an
// unknown day, a time past 23:59 or 24:00 as a start, a range of no length, a missing
// range, a stray character, an empty text); `out` is then a schedule that is not set.
bool parse(const char16_t* text, size_t length, Schedule& out);
bool parse(const std::u16string& text, Schedule& out);

// The settings value of a set schedule: days with the same ranges are joined into spans or
// lists ("mon-fri 08:30-12:00 13:00-18:00; sat 09:00-12:00"); empty when it is not set or
// has no range at all.
std::u16string format(const Schedule& schedule);

// The minutes of the week a schedule covers, sorted and joined once, so that each decision
// over them is one pass over its ranges (the tracker keeps one per schedule).
class Coverage {
public:
    Coverage() = default;  // as a schedule that is not set: always inside
    explicit Coverage(const Schedule& schedule);

    // Whether `t` lies inside working hours.
    bool isInside(const LocalTime& t) const;
    // The minutes from the start of `t`'s minute until the decision changes, or -1 when it
    // never does (not set, a week without ranges, or ranges that join into the whole week).
    int minutesToChange(const LocalTime& t) const;

private:
    struct Interval {
        int start;  // week minutes, [start, end), 0 <= start < end <= kMinutesInWeek
        int end;
    };
    bool m_set = false;
    std::vector<Interval> m_intervals;  // sorted, neither overlapping nor touching
};

// Coverage(schedule).isInside(t) and .minutesToChange(t).
bool isInside(const Schedule& schedule, const LocalTime& t);
int minutesToChange(const Schedule& schedule, const LocalTime& t);

// "No more breaks today": the minutes from the start of `t`'s minute to the first range that
// starts on a later day (today's own ranges, those already begun included, are skipped). A
// schedule that is not set counts as every day 00:00-24:00, so it gives the next midnight.
// -1 when no range starts on a later day within a week.
int minutesToNextDaysStart(const Schedule& schedule, const LocalTime& t);

// What the working-hours dialog refuses, checked in this order.
enum class Problem {
    None,
    OutOfDay,    // a time outside 00:00-24:00, or 24:00 as a start
    Empty,       // a range that starts where it ends
    Overlap,     // two ranges share a minute (over midnight and the week's end included)
};
// `day` and `range` tell where the first problem is (-1 for None).
struct Check {
    Problem problem = Problem::None;
    int day = -1;
    int range = -1;
};
Check check(const Schedule& schedule);

}  // namespace hours
