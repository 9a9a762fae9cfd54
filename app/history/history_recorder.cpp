// The scheduler's events into the history files.
#include "history/history_recorder.h"

namespace history {

void Recorder::workSecond(const kiv::Time& now) {
    const kiv::String date = now.format(kiv::String(u"%Y-%m-%d"));
    if (m_work.empty() || !(m_work.back().date == date)) m_work.push_back({date, now, 0});
    ++m_work.back().seconds;
}

void Recorder::restStarted(const kiv::Time& now, uint32_t planned) {
    m_restOpen = true;
    m_restStart = now;
    m_restPlanned = planned;
}

void Recorder::restEnded(uint32_t rested, RestEnd how) {
    if (!m_restOpen) return;  // an unlock message in the work phase
    m_restOpen = false;
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
}

}  // namespace history
