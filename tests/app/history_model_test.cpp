// The history window's content, worked out from day records and from real day files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "history/history_model.h"
#include "scratch_folder.h"

namespace {

using history::Day;
using history::RestEnd;

std::wstring w(const kiv::String& text) { return std::wstring(text.c_wstr(), text.length()); }

kiv::Time at(const char16_t* localTime) {
    return kiv::Time(kiv::String(localTime), kiv::String(u"%Y-%m-%d %H-%M-%S"));
}

history::Rest rest(uint32_t start, uint32_t planned, uint32_t rested, RestEnd end) {
    history::Rest r;
    r.start = start;
    r.planned = planned;
    r.rested = rested;
    r.end = end;
    return r;
}

// Fourteen days: day i worked i hours and rested twice 480 s, the second rest of the even
// days cut short at 100 s, with one delay and one postponement on every third day.
std::vector<history::DatedDay> fortnight() {
    std::vector<history::DatedDay> days;
    for (uint32_t i = 0; i < 14; ++i) {
        Day day;
        day.workSeconds = i * 3600;
        day.rests.push_back(rest(9 * 3600 + i, 480, 480, RestEnd::Time));
        day.rests.push_back(rest(11 * 3600, 480, i % 2 == 0 ? 100 : 480, i % 2 == 0 ? RestEnd::Unlock : RestEnd::Time));
        if (i % 3 == 0) {
            day.delays.push_back({10 * 3600, 300});
            day.postponements.push_back({12 * 3600, 1200});
        }
        kiv::String label;
        label.format(u"d%u", i);
        days.push_back({label, day});
    }
    return days;
}

TEST(HistoryModelTest, BarsMarksListAndWeek) {
    const history::Overview overview = history::makeOverview(fortnight());
    ASSERT_EQ(overview.bars.size(), 14u);
    EXPECT_FALSE(overview.isEmpty());
    const struct {
        size_t index;
        uint32_t worked, rested;
        unsigned marks;
        bool today;
    } rows[] = {
        {0, 0, 580, 1, false},
        {1, 3600, 960, 0, false},
        {12, 12 * 3600, 580, 1, false},
        {13, 13 * 3600, 960, 0, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.index);
        const history::DayBar& bar = overview.bars[row.index];
        EXPECT_EQ(w(bar.label), L"d" + std::to_wstring(row.index));
        EXPECT_EQ(bar.worked, row.worked);
        EXPECT_EQ(bar.rested, row.rested);
        EXPECT_EQ(bar.cutShort, row.marks);
        EXPECT_EQ(bar.isToday, row.today);
    }
    // The list is today's (day 13): its first rest started at 09:00:13.
    ASSERT_EQ(overview.todaysRests.size(), 2u);
    EXPECT_EQ(overview.todaysRests[0].start, 9u * 3600 + 13);
    // The week is days 7 to 13: 70 hours, 14 rests, the three even days cut one short
    // each, delays on days 9 and 12.
    EXPECT_EQ(overview.week.worked, (7u + 8 + 9 + 10 + 11 + 12 + 13) * 3600);
    EXPECT_EQ(overview.week.rests, 14u);
    EXPECT_EQ(overview.week.rested, 7u * 480 + 4 * 480 + 3 * 100);
    EXPECT_EQ(overview.week.cutShort, 3u);
    EXPECT_EQ(overview.week.delays, 2u);
    EXPECT_EQ(overview.week.postponements, 2u);
}

TEST(HistoryModelTest, Texts) {
    const struct {
        uint32_t seconds;
        const wchar_t* text;
    } durations[] = {{0, L"0分钟"}, {45, L"45秒"}, {480, L"8分钟"}, {450, L"7分30秒"}, {3900, L"1小时5分钟"}};
    for (const auto& row : durations) EXPECT_EQ(w(history::shortDuration(row.seconds)), row.text);
    EXPECT_EQ(w(history::restLine(rest(10 * 3600 + 22 * 60 + 59, 480, 450, RestEnd::Unlock))),
              L"10:22  计划8分钟  实际7分30秒  解锁提前结束");
    history::Totals week;
    week.worked = 7200;
    week.rested = 960;
    week.rests = 2;
    week.cutShort = 1;
    week.fullRests = 1;
    EXPECT_EQ(w(history::weekLine(week)), L"近7天：工作2小时0分钟，休息16分钟\n共2次休息，1次提前结束，0次延时，0次推迟"
                                          L"\n完整休息1次（50%）");
}

// The rests taken in full, as a number and a percentage, and the eye breaks: a third line,
// left out for a week with neither, so that week keeps its two lines.
TEST(HistoryModelTest, WeekLineWithRestsInFullAndEyeBreaks) {
    const struct {
        unsigned rests, fullRests, eyes, skipped;
        const wchar_t* third;  // null: no third line
    } rows[] = {
        {0, 0, 0, 0, nullptr},
        {3, 3, 0, 0, L"完整休息3次（100%）"},
        {3, 2, 0, 0, L"完整休息2次（66%）"},  // rounded down: 100% only when every rest was
        {3, 0, 0, 0, L"完整休息0次（0%）"},
        {0, 0, 4, 1, L"完整休息0次（0%），远眺4次，跳过1次"},
        {7, 6, 12, 0, L"完整休息6次（85%），远眺12次，跳过0次"},
    };
    for (const auto& row : rows) {
        history::Totals week;
        week.rests = row.rests;
        week.fullRests = row.fullRests;
        week.cutShort = row.rests - row.fullRests;
        week.eyeBreaks = row.eyes;
        week.eyeBreaksSkipped = row.skipped;
        const std::wstring line = w(history::weekLine(week));
        const size_t second = line.find(L'\n'), third = line.find(L'\n', second + 1);
        ASSERT_NE(second, std::wstring::npos);
        if (!row.third) {
            EXPECT_EQ(third, std::wstring::npos) << row.rests;
            continue;
        }
        ASSERT_NE(third, std::wstring::npos) << row.rests;
        EXPECT_EQ(line.substr(third + 1), row.third);
    }
}

TEST(HistoryModelTest, EyeBreaksCountedBesideTheBarsAndInTheWeek) {
    std::vector<history::DatedDay> days = fortnight();
    history::EyeBreak taken{10 * 3600, 20, 20, history::EyeBreakEnd::Time};
    history::EyeBreak closed{10 * 3600, 20, 5, history::EyeBreakEnd::Closed};
    history::EyeBreak skipped{10 * 3600, 20, 2, history::EyeBreakEnd::Skip};
    days[0].day.eyeBreaks = {taken, taken};          // outside the week
    days[12].day.eyeBreaks = {taken, skipped, closed};
    days[13].day.eyeBreaks = {skipped};
    const history::Overview overview = history::makeOverview(days);
    EXPECT_TRUE(overview.hasEyeBreaks());
    EXPECT_EQ(overview.bars[0].eyeBreaks, 2u);
    EXPECT_EQ(overview.bars[1].eyeBreaks, 0u);
    EXPECT_EQ(overview.bars[12].eyeBreaks, 2u) << "a skipped one is not an eye break taken";
    EXPECT_EQ(overview.bars[13].eyeBreaks, 0u);
    EXPECT_EQ(overview.week.eyeBreaks, 2u);
    EXPECT_EQ(overview.week.eyeBreaksSkipped, 2u);
    EXPECT_EQ(overview.week.fullRests, 11u) << "14 rests, 3 cut short";
    EXPECT_EQ(history::fullPercent(overview.week), 78u);
    EXPECT_FALSE(history::makeOverview(fortnight()).hasEyeBreaks());
}

// Holds are lines of today's list among the rests, in the order of their times.
TEST(HistoryModelTest, TodaysHoldsAreListedAmongTheRestsByTime) {
    std::vector<history::DatedDay> days(1);
    days[0].label = u"1/15";
    days[0].day.rests.push_back(rest(9 * 3600, 480, 480, RestEnd::Time));
    days[0].day.rests.push_back(rest(11 * 3600, 480, 100, RestEnd::Unlock));
    days[0].day.holds.push_back({10 * 3600 + 5 * 60, 750, hold::Reason::Call});
    days[0].day.holds.push_back({11 * 3600 + 30 * 60, 60, hold::Reason::Presentation});
    days[0].day.holds.push_back({11 * 3600 + 40 * 60, 1, hold::Reason::Camera});
    days[0].day.pauses.push_back({10 * 3600, 10 * 3600 + 30 * 60, true, 10 * 3600 + 20 * 60});
    days[0].day.pauses.push_back({12 * 3600, 0, false, 0});  // until tomorrow, still running
    const history::Overview overview = history::makeOverview(days);
    EXPECT_FALSE(overview.isEmpty());
    const std::vector<history::TodayLine> lines = history::todaysLines(overview);
    std::vector<std::wstring> texts;
    for (const history::TodayLine& line : lines) texts.push_back(w(line.text));
    EXPECT_EQ(texts, (std::vector<std::wstring>{
                         L"09:00  计划8分钟  实际8分钟  到时结束",
                         L"10:00  暂停到 10:30（10:20 结束）",
                         L"10:05  推迟休息12分30秒（通话）",
                         L"11:00  计划8分钟  实际1分40秒  解锁提前结束",
                         L"11:30  推迟休息1分钟（演示）",
                         L"11:40  推迟休息1秒（摄像头）",
                         L"12:00  暂停到 00:00",
                     }));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_TRUE(lines[3].cutShort);
    EXPECT_FALSE(lines[2].cutShort);
    EXPECT_EQ(overview.week.rests, 2u) << "a hold or a pause is no rest";

    std::vector<history::DatedDay> onlyAHold(1);
    onlyAHold[0].day.holds.push_back({10 * 3600, 60, hold::Reason::Call});
    EXPECT_FALSE(history::makeOverview(onlyAHold).isEmpty());
    std::vector<history::DatedDay> onlyAPause(1);
    onlyAPause[0].day.pauses.push_back({10 * 3600, 11 * 3600, false, 0});
    EXPECT_FALSE(history::makeOverview(onlyAPause).isEmpty());
}

// Reads the fourteen days up to today, and not the fifteenth; labels are month/day.
TEST(HistoryModelTest, LoadsTheLastFourteenDayFiles) {
    test::ScratchFolder scratch;
    ASSERT_TRUE(scratch.isReady());
    const kiv::String dir = scratch.folder("profile");
    history::recordRest(dir, at(u"2027-03-01 09-00-00"), 480, 480, RestEnd::Time);  // 15 days back
    history::recordRest(dir, at(u"2027-03-02 09-00-00"), 480, 60, RestEnd::Exit);   // 14 days back
    history::addWorkSeconds(dir, at(u"2027-03-02 09-00-00"), 3000);
    history::recordRest(dir, at(u"2027-03-15 08-00-00"), 480, 480, RestEnd::Time);  // today

    const history::Overview overview = history::loadOverview(dir, at(u"2027-03-15 23-59-59"));
    ASSERT_EQ(overview.bars.size(), 14u);
    EXPECT_EQ(w(overview.bars[0].label), L"3/2");
    EXPECT_EQ(overview.bars[0].worked, 3000u);
    EXPECT_EQ(overview.bars[0].cutShort, 1u);
    EXPECT_EQ(w(overview.bars[13].label), L"3/15");
    ASSERT_EQ(overview.todaysRests.size(), 1u);
    EXPECT_EQ(overview.todaysRests[0].start, 8u * 3600);
    EXPECT_EQ(overview.week.rests, 1u);

    EXPECT_TRUE(history::loadOverview(scratch.folder("empty"), at(u"2027-03-15 12-00-00")).isEmpty());
}

}  // namespace
