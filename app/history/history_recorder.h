// What the scheduler tells the history as the day goes: a rest begins and ends, a delay,
// a postponement, an eye break, one more second of work. Rests and changes are written when they happen
// (a rest in the file of the day it began); the work seconds are counted in memory and
// added to their days' files with each write, when the user leaves (saveWork: a lock, a
// suspend) and after every ten minutes of work, so the tick touches a file at most once in
// ten minutes and a killed run loses no more than that.
//
// A day file that another program holds open is never written over: what could not be
// written stays in one pending set (per day, bounded) and goes with the next write, or
// with the tick's retry at most every few seconds.
#pragma once

#include <cstdint>
#include <vector>

#include "history/history_store.h"
#include "kiv/string_kiv.h"
#include "kiv/time_kiv.h"

namespace history {

class Recorder {
public:
    // An empty folder records nothing (a main dialog without loaded settings).
    explicit Recorder(const kiv::String& profileDir) : m_profileDir(profileDir) {}

    // One second of work at `now`; counted for the day `now` falls on.
    void workSecond(const kiv::Time& now);
    // Writes the work counted so far.
    void saveWork() { writeWork(); }
    void restStarted(const kiv::Time& now, uint32_t planned);
    // Writes the open rest, if any, with the seconds rested (its planned length at most:
    // time away that outlasts a rest is no more rest) and how it ended.
    void restEnded(uint32_t rested, RestEnd how);
    void delayed(const kiv::Time& now, uint32_t added);
    void postponed(const kiv::Time& now, uint32_t added);
    // A hold that began at `start` and lasted `seconds`, written when it is over.
    void held(const kiv::Time& start, uint32_t seconds, hold::Reason why);
    // "No more breaks today" at `now`.
    void skippedToday(const kiv::Time& now);
    // An eye break that began at `start` ended after `shown` seconds.
    void eyeBreakEnded(const kiv::Time& start, uint32_t planned, uint32_t shown, EyeBreakEnd how);
    // Exit or the end of the session: a rest still open ends as `how`, and the work counted
    // so far is written.
    void endRun(uint32_t rested, RestEnd how);

    // Called by every tick: writes what is pending, when there is something and the last
    // try was kRetrySeconds ago or more (or the clock went back).
    void retryPending(const kiv::Time& now);

    bool isRestOpen() const { return m_restOpen; }

    // Work seconds counted in memory at most.
    static constexpr uint32_t kWorkSaveSeconds = 600;
    static constexpr int64_t kRetrySeconds = 5;
    // Elements kept for busy files at most; later ones are dropped until a write succeeds.
    static constexpr size_t kMaxPendingElements = 64;
    // Days kept pending at most: a run across midnight; an older day is dropped first.
    static constexpr size_t kMaxPendingDays = 2;

private:
    // Moves the counted work seconds into the pending set and writes it.
    void writeWork();
    // Adds an event to the pending set of its day (nothing when not recording).
    void add(const kiv::Time& day, const kiv::Pointer<kiv::XmlElement>& element);
    DayChanges& pendingFor(const kiv::Time& day);
    // Writes each pending day; what is written leaves the set.
    void writePending();
    bool isRecording() const { return m_profileDir.length() != 0; }

    struct WorkOfDay {
        kiv::String date;  // "%Y-%m-%d"
        kiv::Time second;  // a second of that day
        uint32_t seconds;
    };

    kiv::String m_profileDir;
    bool m_restOpen = false;
    kiv::Time m_restStart;
    uint32_t m_restPlanned = 0;
    std::vector<WorkOfDay> m_work;  // at most two days: a run across midnight
    uint32_t m_unsaved = 0;         // the seconds in m_work

    struct PendingDay {
        kiv::String date;  // "%Y-%m-%d"
        DayChanges changes;
    };
    std::vector<PendingDay> m_pending;  // kMaxPendingDays at most
    size_t m_pendingElements = 0;
    int64_t m_lastTry = -1;             // the tick's last retry; -1 none
};

}  // namespace history
