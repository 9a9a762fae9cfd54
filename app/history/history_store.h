// The rest history, kept in the per-day files beside "startup_time": every rest with how
// long it was meant to be, how long the user rested and how it ended, every delay and
// full-screen postponement, and the day's work time. Like the settings store, every
// function takes the settings directory and the times as arguments.
//
// A day file with history reads, after the start-up line:
//   <rest end="time" planned="480" rested="480" start="09-07-42"/>
//   <delay added="300" at="10-00-00"/>
//   <postpone added="1200" at="11-00-00"/>
//   <hold at="11-30-00" held="720" why="call"/>
//   <skip at="16-30-00"/>
//   <eyebreak end="time" planned="20" rested="20" start="10-20-00"/>
//   <pause at="14-00-00" until="14-30-00" ended="14-20-00"/>
//   <work>6240</work>
// Times of day are local "HH-MM-SS", lengths are seconds. A file written before the history
// existed is a day without history.
#pragma once

#include <cstdint>
#include <vector>

#include "hold/hold_rules.h"
#include "kiv/pointer_kiv.h"
#include "kiv/string_kiv.h"
#include "kiv/time_kiv.h"
#include "kiv/xmlelement_kiv.h"

namespace history {

// How a rest ended. Away: the user was away long enough to count it as a rest. Schedule:
// the time outside working hours, ended by the start of a range.
enum class RestEnd { Time, Unlock, Away, Exit, Shutdown, Schedule };

// The word a rest's end is written as ("time", "unlock", "away", "exit", "shutdown",
// "schedule").
const char16_t* endWord(RestEnd end);

// How an eye break ended: its count ran out, the user skipped it, or the program closed it
// (a rest began, the program exited, the session ended).
enum class EyeBreakEnd { Time, Skip, Closed };

// "time", "skip", "closed".
const char16_t* eyeBreakEndWord(EyeBreakEnd end);

struct Rest {
    uint32_t start = 0;  // seconds after the day's midnight
    uint32_t planned = 0;
    uint32_t rested = 0;
    RestEnd end = RestEnd::Time;
    // Left before its planned length, whatever ended it.
    bool isCutShort() const { return rested < planned; }
};

// A delay command or a full-screen postponement: when, and the seconds it added.
struct Change {
    uint32_t at = 0;  // seconds after midnight
    uint32_t added = 0;
};

// A due rest held by a call, a camera or a presentation: when the hold began, how long it
// lasted and why.
struct Hold {
    uint32_t at = 0;  // seconds after midnight
    uint32_t held = 0;
    hold::Reason why = hold::Reason::Call;
};

// The word a hold's reason is written as ("call", "camera", "presentation").
const char16_t* holdWord(hold::Reason why);

struct EyeBreak {
    uint32_t start = 0;  // seconds after midnight
    uint32_t planned = 0;
    uint32_t rested = 0;  // seconds it was shown
    EyeBreakEnd end = EyeBreakEnd::Time;
    bool isTaken() const { return end != EyeBreakEnd::Skip; }
};

// A timed pause of the breaks: when it began, when it was to end and, once it is over, when
// it ended (at its end, by a resume or at the program's exit). Times of day: an end on the
// next day reads as an earlier time than the start.
struct Pause {
    uint32_t at = 0;
    uint32_t until = 0;
    bool hasEnded = false;
    uint32_t ended = 0;
    // Its planned and its real length in seconds (a whole day when `until` is `at`).
    uint32_t plannedSeconds() const { return until > at ? until - at : until + 86400 - at; }
    uint32_t pausedSeconds() const { return ended >= at ? ended - at : ended + 86400 - at; }
};

struct Day {
    std::vector<Rest> rests;
    std::vector<Change> delays;
    std::vector<Change> postponements;
    std::vector<Hold> holds;
    std::vector<uint32_t> skips;  // "no more breaks today", seconds after midnight
    std::vector<EyeBreak> eyeBreaks;
    std::vector<Pause> pauses;
    uint32_t workSeconds = 0;
};

// Changes for one day file: elements added at its end, seconds added to its <work>, and
// the end of its open pause.
struct DayChanges {
    kiv::Time day;  // a moment of that day
    std::vector<kiv::Pointer<kiv::XmlElement>> elements;
    uint32_t workSeconds = 0;
    // The end of the day's open pause (the last <pause> without ended=""), at `pauseEnded`.
    bool endsPause = false;
    kiv::Time pauseEnded;
};

// Loads the file of `changes.day`, adds the changes and saves it whole (history/day_file.h
// holds the rule): a missing file is made (with its folder, one level); a file that does
// not read is moved aside first; a file another program holds open is not touched. False
// when nothing was written: the caller keeps the changes for a later write.
bool writeDay(const kiv::String& profileDir, const DayChanges& changes);

// The elements the writers add, as the day file holds them.
kiv::Pointer<kiv::XmlElement> restElement(const kiv::Time& start, uint32_t planned, uint32_t rested, RestEnd end);
kiv::Pointer<kiv::XmlElement> changeElement(const char16_t* name, const kiv::Time& at, uint32_t added);
kiv::Pointer<kiv::XmlElement> holdElement(const kiv::Time& at, uint32_t held, hold::Reason why);
kiv::Pointer<kiv::XmlElement> skipElement(const kiv::Time& at);
kiv::Pointer<kiv::XmlElement> pauseElement(const kiv::Time& at, const kiv::Time& until);
bool isOpenPause(const kiv::XmlElement& element);  // a <pause> without ended=""
void setPauseEnd(kiv::XmlElement& pause, const kiv::Time& ended);
// The last <pause> of `elements` (a day file's, or changes waiting for one) without an end
// gets `ended`; false when there is none.
template <typename Elements>
bool endOpenPause(const Elements& elements, const kiv::Time& ended) {
    kiv::XmlElement* open = nullptr;
    for (const kiv::Pointer<kiv::XmlElement>& element : elements)
        if (isOpenPause(*element)) open = element.get();
    if (open) setPauseEnd(*open, ended);
    return open != nullptr;
}
kiv::Pointer<kiv::XmlElement> eyeBreakElement(const kiv::Time& start, uint32_t planned, uint32_t rested,
                                              EyeBreakEnd end);
constexpr char16_t kDelayName[] = u"delay";
constexpr char16_t kPostponeName[] = u"postpone";

// Each writer is writeDay with one element, in the file of the day `start` or `at` falls
// on; false when it was not written.
bool recordRest(const kiv::String& profileDir, const kiv::Time& start, uint32_t planned, uint32_t rested,
                RestEnd end);
bool recordDelay(const kiv::String& profileDir, const kiv::Time& at, uint32_t added);
bool recordPostponement(const kiv::String& profileDir, const kiv::Time& at, uint32_t added);
// A hold, in the file of the day it began on.
bool recordHold(const kiv::String& profileDir, const kiv::Time& at, uint32_t held, hold::Reason why);
// "No more breaks today" chosen at `at`: <skip at="HH-MM-SS"/>.
bool recordSkip(const kiv::String& profileDir, const kiv::Time& at);
bool recordEyeBreak(const kiv::String& profileDir, const kiv::Time& start, uint32_t planned, uint32_t rested,
                    EyeBreakEnd end);
// A pause begun at `at` to last until `until`: <pause at="" until=""/> in the file of the day
// it began, written at once so that a restart the same day finds it.
bool recordPauseStart(const kiv::String& profileDir, const kiv::Time& at, const kiv::Time& until);
// The end of the pause begun at `at`: its element (the last one without an end in that
// day's file) gets ended="".
bool recordPauseEnd(const kiv::String& profileDir, const kiv::Time& at, const kiv::Time& ended);
// Adds `seconds` to the work time of the day `day` falls on.
bool addWorkSeconds(const kiv::String& profileDir, const kiv::Time& day, uint32_t seconds);

// The history of the day `day` falls on; empty for a missing, unreadable or older file.
// Entries that do not read back (a hand-edited file) are skipped.
Day readDay(const kiv::String& profileDir, const kiv::Time& day);
// The history in the day file `path`; false, and `out` empty, when it cannot be read.
bool readDayFile(const kiv::String& path, Day& out);

}  // namespace history
