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
//   <work>6240</work>
// Times of day are local "HH-MM-SS", lengths are seconds. A file written before the history
// existed is a day without history.
#pragma once

#include <cstdint>
#include <vector>

#include "hold/hold_rules.h"
#include "kiv/string_kiv.h"
#include "kiv/time_kiv.h"

namespace history {

// How a rest ended. Away: the user was away long enough to count it as a rest. Schedule:
// the time outside working hours, ended by the start of a range.
enum class RestEnd { Time, Unlock, Away, Exit, Shutdown, Schedule };

// The word a rest's end is written as ("time", "unlock", "away", "exit", "shutdown",
// "schedule").
const char16_t* endWord(RestEnd end);

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

struct Day {
    std::vector<Rest> rests;
    std::vector<Change> delays;
    std::vector<Change> postponements;
    std::vector<Hold> holds;
    std::vector<uint32_t> skips;  // "no more breaks today", seconds after midnight
    uint32_t workSeconds = 0;
};

// Each writer loads the file of the day `start` or `at` falls on, adds its element at the
// end and saves the file whole. A missing file is made (with its folder, one level); a file
// that is there but cannot be read is left alone for the start-up to deal with, and false
// is returned, as for a failed save.
bool recordRest(const kiv::String& profileDir, const kiv::Time& start, uint32_t planned, uint32_t rested,
                RestEnd end);
bool recordDelay(const kiv::String& profileDir, const kiv::Time& at, uint32_t added);
bool recordPostponement(const kiv::String& profileDir, const kiv::Time& at, uint32_t added);
// A hold, in the file of the day it began on.
bool recordHold(const kiv::String& profileDir, const kiv::Time& at, uint32_t held, hold::Reason why);
// "No more breaks today" chosen at `at`: <skip at="HH-MM-SS"/>.
bool recordSkip(const kiv::String& profileDir, const kiv::Time& at);
// Adds `seconds` to the work time of the day `day` falls on.
bool addWorkSeconds(const kiv::String& profileDir, const kiv::Time& day, uint32_t seconds);

// The history of the day `day` falls on; empty for a missing, unreadable or older file.
// Entries that do not read back (a hand-edited file) are skipped.
Day readDay(const kiv::String& profileDir, const kiv::Time& day);

}  // namespace history
