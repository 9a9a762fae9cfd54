// What the history window shows, worked out without drawing: the last 14 days as bars
// (worked, rested, one mark per rest cut short), today's rests as lines, and the totals of
// the last seven days. The window reads the files once, when it opens.
#pragma once

#include <cstdint>
#include <vector>

#include "history/history_store.h"
#include "kiv/string_kiv.h"
#include "kiv/time_kiv.h"

namespace history {

constexpr int kShownDays = 14;
constexpr int kWeekDays = 7;

struct DayBar {
    kiv::String label;  // "1/15"
    uint32_t worked = 0;
    uint32_t rested = 0;
    unsigned cutShort = 0;  // one mark each
    unsigned eyeBreaks = 0;  // taken, not skipped: a number beside the bar
    bool isToday = false;
};

struct Totals {
    uint32_t worked = 0;
    uint32_t rested = 0;
    unsigned rests = 0;
    unsigned cutShort = 0;
    unsigned delays = 0;
    unsigned postponements = 0;
    unsigned fullRests = 0;     // rests that ran their planned length
    unsigned eyeBreaks = 0;     // taken
    unsigned eyeBreaksSkipped = 0;
};

struct Overview {
    std::vector<DayBar> bars;       // oldest first, today last
    std::vector<Rest> todaysRests;  // in the order they were written
    std::vector<Hold> todaysHolds;  // the same
    std::vector<Pause> todaysPauses;  // the same
    Totals week;                    // today and the six days before
    // Nothing recorded on any shown day: the first day with the history, say.
    bool isEmpty() const;
    // An eye break on some shown day: only then does the chart explain its numbers.
    bool hasEyeBreaks() const;
};

struct DatedDay {
    kiv::String label;
    Day day;
};

// From the days, oldest first, the last of them today.
Overview makeOverview(const std::vector<DatedDay>& days);
// Reads the files of the kShownDays days up to the day `now` falls on.
Overview loadOverview(const kiv::String& profileDir, const kiv::Time& now);

// In the language of the windows: "8分钟", "7分30秒", "1小时5分钟", "0分钟" in Chinese.
kiv::String shortDuration(uint32_t seconds);
// One line of today's list: "10:22  计划8分钟  实际8分钟  到时结束".
kiv::String restLine(const Rest& rest);
// One line of today's list for a hold: "11:30  推迟休息12分钟（通话）".
kiv::String holdLine(const Hold& held);

// One line of today's list for a pause: "14:00  暂停到 14:30（14:20 结束）".
kiv::String pauseLine(const Pause& pause);

// A line of today's list: a rest, a hold or a pause.
struct TodayLine {
    uint32_t at = 0;  // seconds after midnight
    kiv::String text;
    bool cutShort = false;  // a rest ended before its time
};
// Today's rests and holds in the order of their times (a rest before a hold at the same
// second: a hold is written when it ends).
std::vector<TodayLine> todaysLines(const Overview& overview);

// The week in two lines: "近7天：工作…，休息…" and "共N次休息，M次提前结束，K次延时，P次推迟";
// a third line when the week had a rest or an eye break: "完整休息F次（P%）", then the eye breaks.
kiv::String weekLine(const Totals& week);
// The share of rests taken in full, in whole percent rounded down; 0 without rests.
unsigned fullPercent(const Totals& week);

}  // namespace history
