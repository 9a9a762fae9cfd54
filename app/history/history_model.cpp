// The history window's content: bars, today's lines and the week's totals.
#include "history/history_model.h"

#include <cstddef>

#include "framework/resources.h"
#include "resource.h"

namespace history {
namespace {

const char16_t kDatePattern[] = u"%Y-%m-%d";
const int64_t kDay = 86400;

// Noon of the day `now` falls on: whole days from there stay on their dates across a
// change to or from summer time.
kiv::Time noonOf(const kiv::Time& now) {
    return kiv::Time(now.format(kiv::String(kDatePattern)) + u" 12-00-00", kiv::String(u"%Y-%m-%d %H-%M-%S"));
}

kiv::String dayLabel(const kiv::Time& day) {
    const std::tm fields = kiv::getTmFromStr(day.format(kiv::String(kDatePattern)), kiv::String(kDatePattern));
    kiv::String label;
    label.format(u"%d/%d", fields.tm_mon + 1, fields.tm_mday);
    return label;
}

// String `id` in the language of the windows.
kiv::String text(UINT id) { return kiv::String(fw::loadString(id).c_str()); }

kiv::String endText(RestEnd end) {
    switch (end) {
    case RestEnd::Time: return text(IDS_END_TIME);
    case RestEnd::Unlock: return text(IDS_END_UNLOCK);
    case RestEnd::Away: return text(IDS_END_AWAY);
    case RestEnd::Exit: return text(IDS_END_EXIT);
    case RestEnd::Shutdown: return text(IDS_END_SHUTDOWN);
    case RestEnd::Schedule: return text(IDS_END_SCHEDULE);
    }
    return kiv::String();
}

void add(Totals& totals, const Day& day) {
    totals.worked += day.workSeconds;
    for (const Rest& rest : day.rests) {
        totals.rested += rest.rested;
        ++totals.rests;
        if (rest.isCutShort())
            ++totals.cutShort;
        else
            ++totals.fullRests;
    }
    for (const EyeBreak& eyeBreak : day.eyeBreaks) ++(eyeBreak.isTaken() ? totals.eyeBreaks : totals.eyeBreaksSkipped);
    totals.delays += static_cast<unsigned>(day.delays.size());
    totals.postponements += static_cast<unsigned>(day.postponements.size());
}

}  // namespace

bool Overview::isEmpty() const {
    for (const DayBar& bar : bars)
        if (bar.worked != 0 || bar.rested != 0 || bar.cutShort != 0) return false;
    return todaysRests.empty() && todaysHolds.empty() && todaysPauses.empty();
}

bool Overview::hasEyeBreaks() const {
    for (const DayBar& bar : bars)
        if (bar.eyeBreaks != 0) return true;
    return false;
}

Overview makeOverview(const std::vector<DatedDay>& days) {
    Overview out;
    for (size_t i = 0; i < days.size(); ++i) {
        const Day& day = days[i].day;
        Totals totals;
        add(totals, day);
        DayBar bar;
        bar.label = days[i].label;
        bar.worked = totals.worked;
        bar.rested = totals.rested;
        bar.cutShort = totals.cutShort;
        bar.eyeBreaks = totals.eyeBreaks;
        bar.isToday = i + 1 == days.size();
        out.bars.push_back(bar);
        if (i + kWeekDays >= days.size()) add(out.week, day);
    }
    if (!days.empty()) {
        out.todaysRests = days.back().day.rests;
        out.todaysHolds = days.back().day.holds;
        out.todaysPauses = days.back().day.pauses;
    }
    return out;
}

Overview loadOverview(const kiv::String& profileDir, const kiv::Time& now) {
    const kiv::Time noon = noonOf(now);
    std::vector<DatedDay> days;
    for (int back = kShownDays - 1; back >= 0; --back) {
        const kiv::Time day(noon.timeValue() - back * kDay);
        days.push_back({dayLabel(day), readDay(profileDir, day)});
    }
    return makeOverview(days);
}

kiv::String shortDuration(uint32_t seconds) {
    const uint32_t hours = seconds / 3600, minutes = seconds / 60 % 60, rest = seconds % 60;
    kiv::String out;
    if (hours != 0)
        out.format(text(IDS_HISTORY_H_MIN).wstr(), hours, minutes);
    else if (rest != 0 && minutes != 0)
        out.format(text(IDS_HISTORY_MIN_S).wstr(), minutes, rest);
    else if (rest != 0)
        out.format(text(IDS_HISTORY_S).wstr(), rest);
    else
        out.format(text(IDS_HISTORY_MIN).wstr(), minutes);
    return out;
}

kiv::String restLine(const Rest& rest) {
    kiv::String line;
    line.format(text(IDS_HISTORY_REST_LINE).wstr(), rest.start / 3600, rest.start / 60 % 60,
                shortDuration(rest.planned).wstr(), shortDuration(rest.rested).wstr(), endText(rest.end).wstr());
    return line;
}

kiv::String holdLine(const Hold& held) {
    UINT why = IDS_HOLD_WHY_CALL;
    if (held.why == hold::Reason::Camera) why = IDS_HOLD_WHY_CAMERA;
    if (held.why == hold::Reason::Presentation) why = IDS_HOLD_WHY_PRESENTATION;
    kiv::String line;
    line.format(text(IDS_HISTORY_HOLD_LINE).wstr(), held.at / 3600, held.at / 60 % 60, shortDuration(held.held).wstr(),
                text(why).wstr());
    return line;
}

kiv::String pauseLine(const Pause& pause) {
    kiv::String line;
    if (pause.hasEnded)
        line.format(text(IDS_HISTORY_PAUSE_ENDED_LINE).wstr(), pause.at / 3600, pause.at / 60 % 60, pause.until / 3600,
                    pause.until / 60 % 60, pause.ended / 3600, pause.ended / 60 % 60);
    else
        line.format(text(IDS_HISTORY_PAUSE_LINE).wstr(), pause.at / 3600, pause.at / 60 % 60, pause.until / 3600,
                    pause.until / 60 % 60);
    return line;
}

namespace {

// Each line goes in after the lines not later.
void insertByTime(std::vector<TodayLine>& lines, const TodayLine& line) {
    size_t place = lines.size();
    while (place > 0 && lines[place - 1].at > line.at) --place;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place), line);
}

}  // namespace

// Each list is in the order it was written.
std::vector<TodayLine> todaysLines(const Overview& overview) {
    std::vector<TodayLine> lines;
    for (const Rest& rest : overview.todaysRests) lines.push_back({rest.start, restLine(rest), rest.isCutShort()});
    for (const Hold& held : overview.todaysHolds) insertByTime(lines, TodayLine{held.at, holdLine(held), false});
    for (const Pause& pause : overview.todaysPauses) insertByTime(lines, TodayLine{pause.at, pauseLine(pause), false});
    return lines;
}

kiv::String weekLine(const Totals& week) {
    kiv::String line;
    line.format(text(IDS_HISTORY_WEEK).wstr(),
                shortDuration(week.worked).wstr(), shortDuration(week.rested).wstr(), week.rests, week.cutShort,
                week.delays, week.postponements);
    // A week without rests or eye breaks keeps its two lines: there is nothing to add.
    if (week.rests == 0 && week.eyeBreaks == 0 && week.eyeBreaksSkipped == 0) return line;
    kiv::String full;
    full.format(text(IDS_HISTORY_WEEK_FULL).wstr(), week.fullRests, fullPercent(week));
    line += u"\n";
    line += full;
    if (week.eyeBreaks != 0 || week.eyeBreaksSkipped != 0) {
        kiv::String eyes;
        eyes.format(text(IDS_HISTORY_WEEK_EYES).wstr(), week.eyeBreaks, week.eyeBreaksSkipped);
        line += eyes;
    }
    return line;
}

unsigned fullPercent(const Totals& week) {
    return week.rests == 0 ? 0 : static_cast<unsigned>(uint64_t(week.fullRests) * 100 / week.rests);
}

}  // namespace history
