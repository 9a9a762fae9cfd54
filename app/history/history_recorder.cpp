// The scheduler's events into the history files.
#include "history/history_recorder.h"

#include <algorithm>

namespace history {

void Recorder::workSecond(const kiv::Time& now) {
    const kiv::String date = now.format(kiv::String(u"%Y-%m-%d"));
    if (m_work.empty() || !(m_work.back().date == date)) m_work.push_back({date, now, 0});
    ++m_work.back().seconds;
    if (++m_unsaved >= kWorkSaveSeconds) writeWork();
}

void Recorder::restStarted(const kiv::Time& now, uint32_t planned) {
    m_restOpen = true;
    m_restStart = now;
    m_restPlanned = planned;
}

void Recorder::restEnded(uint32_t rested, RestEnd how) {
    if (!m_restOpen) return;  // an unlock message in the work phase
    m_restOpen = false;
    // No rest counts more than it was meant to be (an absence after it is time away), except
    // the time outside working hours, which is as long as the schedule made it.
    if (how != RestEnd::Schedule) rested = std::min(rested, m_restPlanned);
    add(m_restStart, restElement(m_restStart, m_restPlanned, rested, how));
    writeWork();
}

void Recorder::delayed(const kiv::Time& now, uint32_t added) {
    add(now, changeElement(kDelayName, now, added));
    writeWork();
}

void Recorder::postponed(const kiv::Time& now, uint32_t added) {
    add(now, changeElement(kPostponeName, now, added));
    writeWork();
}

void Recorder::held(const kiv::Time& start, uint32_t seconds, hold::Reason why) {
    if (why != hold::Reason::None) add(start, holdElement(start, seconds, why));
    writeWork();
}

void Recorder::pauseStarted(const kiv::Time& start, const kiv::Time& until) {
    add(start, pauseElement(start, until));
    writeWork();
}

void Recorder::pauseEnded(const kiv::Time& start, const kiv::Time& ended) {
    if (!isRecording()) return;
    // Its start may still wait to be written (the file was busy): the end goes on it there.
    DayChanges& changes = pendingFor(start);
    if (!endOpenPause(changes.elements, ended)) {
        changes.endsPause = true;
        changes.pauseEnded = ended;
    }
    writeWork();
}

void Recorder::skippedToday(const kiv::Time& now) {
    add(now, skipElement(now));
    writeWork();
}

void Recorder::eyeBreakEnded(const kiv::Time& start, uint32_t planned, uint32_t shown, EyeBreakEnd how) {
    add(start, eyeBreakElement(start, planned, shown, how));
    writeWork();
}

void Recorder::endRun(uint32_t rested, RestEnd how) {
    restEnded(rested, how);
    writeWork();
}

void Recorder::retryPending(const kiv::Time& now) {
    if (m_pending.empty()) return;
    const int64_t since = now.timeValue() - m_lastTry;
    if (m_lastTry >= 0 && since >= 0 && since < kRetrySeconds) return;
    m_lastTry = now.timeValue();
    writePending();
}

void Recorder::writeWork() {
    if (isRecording()) {
        for (const WorkOfDay& day : m_work) {
            if (day.seconds == 0) continue;
            uint32_t& seconds = pendingFor(day.second).workSeconds;
            seconds = UINT32_MAX - seconds < day.seconds ? UINT32_MAX : seconds + day.seconds;
        }
    }
    m_work.clear();
    m_unsaved = 0;
    writePending();
}

void Recorder::add(const kiv::Time& day, const kiv::Pointer<kiv::XmlElement>& element) {
    if (!isRecording() || m_pendingElements >= kMaxPendingElements) return;
    pendingFor(day).elements.push_back(element);
    ++m_pendingElements;
}

DayChanges& Recorder::pendingFor(const kiv::Time& day) {
    const kiv::String date = day.format(kiv::String(u"%Y-%m-%d"));
    for (PendingDay& pending : m_pending)
        if (pending.date == date) return pending.changes;
    if (m_pending.size() >= kMaxPendingDays) {
        m_pendingElements -= m_pending.front().changes.elements.size();
        m_pending.erase(m_pending.begin());
    }
    m_pending.push_back({date, DayChanges()});
    m_pending.back().changes.day = day;
    return m_pending.back().changes;
}

void Recorder::writePending() {
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (writeDay(m_profileDir, it->changes)) {
            m_pendingElements -= it->changes.elements.size();
            it = m_pending.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace history
