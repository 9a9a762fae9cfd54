#include "hours/hours_clock.h"

#include <algorithm>

#include "kiv/calendar_kiv.h"

namespace hours {
namespace {

const char16_t kPattern[] = u"%Y-%m-%d %H-%M-%S";

// The local calendar fields of `now`: its day number and second of the day.
bool localDay(const kiv::Time& now, int64_t& day, int& secondOfDay) {
    const kiv::String text = now.format(kiv::String(kPattern));
    if (text.length() == 0) return false;
    const std::tm f = kiv::getTmFromStr(text, kiv::String(kPattern));
    day = kiv::calendar::daysFromCivil(f.tm_year + 1900, f.tm_mon + 1, f.tm_mday);
    secondOfDay = f.tm_hour * 3600 + f.tm_min * 60 + f.tm_sec;
    return true;
}

}  // namespace

bool parseValue(const kiv::String& text, Schedule& out) {
    std::u16string units;
    units.reserve(text.length());
    for (unsigned i = 0; i < text.length(); ++i) units += static_cast<char16_t>(text.at(i));
    return parse(units, out);
}

kiv::String valueOf(const Schedule& schedule) {
    const std::u16string units = format(schedule);
    return kiv::String(units.c_str(), static_cast<int>(units.size()));
}

bool localTimeOf(const kiv::Time& now, LocalTime& out, int& second) {
    int64_t day = 0;
    int secondOfDay = 0;
    if (!localDay(now, day, secondOfDay)) return false;
    out.weekday = static_cast<int>(((day + 3) % 7 + 7) % 7);  // 1970-01-01 was a Thursday
    out.minute = secondOfDay / 60;
    second = secondOfDay % 60;
    return true;
}

kiv::Time localMinuteAfter(const kiv::Time& now, int minutes) {
    int64_t day = 0;
    int secondOfDay = 0;
    const int64_t plain = now.timeValue() + int64_t(minutes) * 60;
    if (!localDay(now, day, secondOfDay)) return kiv::Time(plain);
    const int64_t target = int64_t(secondOfDay / 60) + minutes;
    int64_t y = 0, m = 0, d = 0;
    kiv::calendar::civilFromDays(day + target / kMinutesInDay, y, m, d);
    const int minuteOfDay = static_cast<int>(target % kMinutesInDay);
    kiv::String text;
    text.format(u"%04d-%02d-%02d %02d-%02d-00", static_cast<int>(y), static_cast<int>(m), static_cast<int>(d),
                minuteOfDay / 60, minuteOfDay % 60);
    const kiv::Time at(text, kiv::String(kPattern));
    if (at.timeValue() < 0) return kiv::Time(plain - secondOfDay % 60);
    return at.timeValue() < now.timeValue() ? now : at;
}

void Tracker::setSchedule(const Schedule& schedule) {
    m_schedule = schedule;
    m_coverage = Coverage(schedule);
    m_changeAt = -1;
    m_lookAgain = -1;
}

void Tracker::skipToday(const kiv::Time& now) {
    LocalTime t;
    int second = 0;
    int minutes = localTimeOf(now, t, second) ? minutesToNextDaysStart(m_schedule, t) : -1;
    if (minutes < 0) minutes = kMinutesInDay - t.minute;  // no later range: until midnight
    m_skipUntil = std::max<int64_t>(localMinuteAfter(now, minutes).timeValue(), now.timeValue() + 1);
    m_lookAgain = -1;
}

HoursReport Tracker::look(const kiv::Time& now) {
    const int64_t t = now.timeValue();
    HoursReport report;
    if (m_lookAgain >= 0 && t < m_lookAgain && t >= m_lastLook) {
        m_lastLook = t;
        report.inside = m_inside;
        return report;
    }

    bool inside = true;
    int64_t changeAt = -1;
    if (m_skipUntil > 0 && t < m_skipUntil) {
        inside = false;
        changeAt = m_skipUntil;
    } else {
        m_skipUntil = 0;
        LocalTime local;
        int second = 0;
        // A time the calendar cannot show is working time, as without a schedule.
        if (m_schedule.set && localTimeOf(now, local, second)) {
            inside = m_coverage.isInside(local);
            const int minutes = m_coverage.minutesToChange(local);
            if (minutes >= 0) changeAt = localMinuteAfter(now, minutes).timeValue();
        }
    }

    // A remembered change that passed since the last look: the decision changed then, even
    // when it is back to what it was (asleep over a lunch break).
    const bool changePassed = m_changeAt >= 0 && m_changeAt <= t && m_lastLook >= 0 && m_changeAt > m_lastLook;
    if (!m_inside && inside) {
        report.entered = true;
        report.outsideFrom = m_outsideFrom;
    } else if (m_inside && inside && changePassed) {
        report.entered = true;
        report.outsideFrom = kiv::Time(m_changeAt);
    } else if (m_inside && !inside) {
        report.left = true;
        m_outsideFrom = changePassed ? kiv::Time(m_changeAt) : now;
    }
    m_inside = inside;
    m_changeAt = changeAt;
    m_lastLook = t;
    m_lookAgain = t + kLongestTrust;
    if (changeAt >= 0 && changeAt < m_lookAgain) m_lookAgain = changeAt;
    report.inside = inside;
    return report;
}

}  // namespace hours
