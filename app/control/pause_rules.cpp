#include "control/pause_rules.h"

#include "hours/hours_clock.h"

namespace control {
namespace {

// The moment the day of `day` shows `secondOfDay` on the local clock; -1 outside the
// calendar's range.
int64_t onDay(const kiv::Time& day, uint32_t secondOfDay) {
    const kiv::String date = day.format(kiv::String(u"%Y-%m-%d"));
    if (date.length() == 0) return -1;
    kiv::String text;
    text.format(u"%s %02u-%02u-%02u", date.wstr(), secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
    return kiv::Time(text, kiv::String(u"%Y-%m-%d %H-%M-%S")).timeValue();
}

}  // namespace

kiv::Time pauseEnd(const kiv::Time& now, const Duration& length) {
    if (!length.untilTomorrow) return kiv::Time(now.timeValue() + int64_t(length.minutes) * 60);
    hours::LocalTime local;
    int second = 0;
    // Outside kiv::Time's range there is no calendar: a day from now is as good as midnight.
    if (!hours::localTimeOf(now, local, second)) return kiv::Time(now.timeValue() + 86400);
    return hours::localMinuteAfter(now, 1440 - local.minute);
}

kiv::Time dayBefore(const kiv::Time& now) {
    hours::LocalTime local;
    int second = 0;
    if (!hours::localTimeOf(now, local, second)) return kiv::Time(now.timeValue() - 86400);
    return kiv::Time(now.timeValue() - (local.minute * 60 + second) - 12 * 3600);
}

bool PauseState::start(const kiv::Time& now, const Duration& length, PauseRecord& replaced) {
    const bool replaces = resume(now, replaced);
    m_paused = true;
    m_at = now;
    m_until = pauseEnd(now, length);
    return replaces;
}

bool PauseState::resume(const kiv::Time& now, PauseRecord& ended) {
    if (!m_paused) return false;
    m_paused = false;
    ended = PauseRecord{m_at, m_until, now};
    return true;
}

bool PauseState::look(const kiv::Time& now, PauseRecord& ended) {
    if (!m_paused || now.timeValue() < m_until.timeValue()) return false;
    m_paused = false;
    ended = PauseRecord{m_at, m_until, m_until};
    return true;
}

bool PauseState::restore(const kiv::Time& at, const kiv::Time& until, const kiv::Time& now) {
    if (until.timeValue() <= now.timeValue() || at.timeValue() > now.timeValue()) return false;
    m_paused = true;
    m_at = at;
    m_until = until;
    return true;
}

PauseState::Restored PauseState::restoreFromDay(const std::vector<history::Pause>& pauses, const kiv::Time& day,
                                                const kiv::Time& now, PauseRecord& ranOut) {
    if (pauses.empty() || pauses.back().hasEnded) return Restored::Nothing;
    const history::Pause& last = pauses.back();
    const int64_t at = onDay(day, last.at);
    int64_t until = onDay(day, last.until);
    if (at < 0 || until < 0) return Restored::Nothing;
    // The next day's noon is on the next day, whatever the clock changes between.
    if (until <= at) until = onDay(kiv::Time(onDay(day, 12 * 3600) + 86400), last.until);
    if (until < 0 || at > now.timeValue()) return Restored::Nothing;
    if (restore(kiv::Time(at), kiv::Time(until), now)) return Restored::Holds;
    ranOut = PauseRecord{kiv::Time(at), kiv::Time(until), kiv::Time(until)};
    return Restored::RanOut;
}

}  // namespace control
