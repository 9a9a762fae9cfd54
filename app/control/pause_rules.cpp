#include "control/pause_rules.h"

#include "hours/hours_clock.h"

namespace control {

kiv::Time pauseEnd(const kiv::Time& now, const Duration& length) {
    if (!length.untilTomorrow) return kiv::Time(now.timeValue() + int64_t(length.minutes) * 60);
    hours::LocalTime local;
    int second = 0;
    // Outside kiv::Time's range there is no calendar: a day from now is as good as midnight.
    if (!hours::localTimeOf(now, local, second)) return kiv::Time(now.timeValue() + 86400);
    return hours::localMinuteAfter(now, 1440 - local.minute);
}

void PauseState::start(const kiv::Time& now, const Duration& length) {
    if (!m_paused) m_at = now;
    m_paused = true;
    m_until = pauseEnd(now, length);
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

}  // namespace control
