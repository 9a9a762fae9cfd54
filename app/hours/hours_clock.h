// Working hours over the calendar clock: local weekday and minute of a moment, the moment a
// local time of day is reached (across a daylight-saving change too), and the tracker the
// scheduler asks each tick. Portable: kiv::Time gives local time on both builds.
#pragma once

#include <cstdint>

#include "hours/working_hours.h"
#include "kiv/time_kiv.h"

namespace hours {

// The local weekday and minute of `now`, and the second within that minute. False when
// `now` is outside the times kiv::Time can show.
bool localTimeOf(const kiv::Time& now, LocalTime& out, int& second);

// The moment local time shows the start of the minute `minutes` after `now`'s minute, read
// as local calendar time (so a daylight-saving change in between is where it falls). A
// local time that a change skips reads as the zone's offset makes it; never before `now`.
kiv::Time localMinuteAfter(const kiv::Time& now, int minutes);

// The settings value as the settings file holds it (see working_hours.h for the grammar).
bool parseValue(const kiv::String& text, Schedule& out);
kiv::String valueOf(const Schedule& schedule);

// What one look at the clock found.
struct HoursReport {
    bool inside = true;     // inside working hours now
    bool entered = false;   // a range began since the last look (after time outside)
    bool left = false;      // working hours ended since the last look
    kiv::Time outsideFrom;  // entered: when the time outside began
};

// Remembers the decision and the moment it next changes, so the tick's look costs one
// comparison until then. It looks again at least every quarter hour and whenever the clock
// went back, so a change of the clock, of the time zone or of daylight-saving time is
// followed within minutes at worst (and a range boundary to the second).
class Tracker {
public:
    // A new schedule: the next look decides afresh, from inside (no time outside to record).
    void setSchedule(const Schedule& schedule);
    const Schedule& schedule() const { return m_schedule; }

    HoursReport look(const kiv::Time& now);
    // Today's working hours end now, until the first range of a later day.
    void skipToday(const kiv::Time& now);
    // The clock or the time zone changed: the next look decides afresh.
    void decideAgain() { m_lookAgain = -1; }

    bool isInside() const { return m_inside; }
    bool isSkipping() const { return m_skipUntil > 0; }

    static constexpr int64_t kLongestTrust = 900;  // seconds a decision is trusted at most

private:
    Schedule m_schedule;
    Coverage m_coverage;  // of m_schedule
    bool m_inside = true;
    int64_t m_changeAt = -1;    // when the remembered decision changes; -1 never
    int64_t m_lookAgain = -1;   // the next look that computes; -1 now
    int64_t m_lastLook = -1;
    int64_t m_skipUntil = 0;    // "no more breaks today" holds until then
    kiv::Time m_outsideFrom;
};

}  // namespace hours
