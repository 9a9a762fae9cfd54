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
    if (isRecording()) recordRest(m_profileDir, m_restStart, m_restPlanned, rested, how);
    writeWork();
}

void Recorder::delayed(const kiv::Time& now, uint32_t added) {
    if (isRecording()) recordDelay(m_profileDir, now, added);
    writeWork();
}

void Recorder::postponed(const kiv::Time& now, uint32_t added) {
    if (isRecording()) recordPostponement(m_profileDir, now, added);
    writeWork();
}

void Recorder::held(const kiv::Time& start, uint32_t seconds, hold::Reason why) {
    if (isRecording()) recordHold(m_profileDir, start, seconds, why);
    writeWork();
}

void Recorder::pauseStarted(const kiv::Time& start, const kiv::Time& until) {
    if (isRecording()) recordPauseStart(m_profileDir, start, until);
}

void Recorder::pauseEnded(const kiv::Time& start, const kiv::Time& ended) {
    if (isRecording()) recordPauseEnd(m_profileDir, start, ended);
}

void Recorder::skippedToday(const kiv::Time& now) {
    if (isRecording()) recordSkip(m_profileDir, now);
    writeWork();
}

void Recorder::eyeBreakEnded(const kiv::Time& start, uint32_t planned, uint32_t shown, EyeBreakEnd how) {
    if (isRecording()) recordEyeBreak(m_profileDir, start, planned, shown, how);
    writeWork();
}

void Recorder::endRun(uint32_t rested, RestEnd how) {
    restEnded(rested, how);
    writeWork();
}

void Recorder::writeWork() {
    for (const WorkOfDay& day : m_work)
        if (isRecording() && day.seconds != 0) addWorkSeconds(m_profileDir, day.second, day.seconds);
    m_work.clear();
    m_unsaved = 0;
}

}  // namespace history
