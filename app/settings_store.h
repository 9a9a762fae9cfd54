// The settings file "Murvel.xml" and the per-day start-up files, read and written apart
// from the application object: every function takes its directories (and the clock) as
// arguments, so tests can point it at scratch folders. CkivToolApp::LoadSettings and
// SaveSettings (settings_store.cpp) feed it the real program and app-data directories.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "eyebreak/eye_break_timing.h"
#include "kiv/string_kiv.h"
#include "kiv/time_kiv.h"

namespace settings {

// The values the settings file holds. A default-constructed Values is what a missing
// settings file gives, except that the paths still read "default" (see loadSettingsFile).
struct Values {
    kiv::String relaxMusic;        // full path of the rest music
    kiv::String relaxNoticeMusic;  // full path of the postponement sound
    kiv::String relaxEndMusic;     // full path of the end-of-rest sound
    kiv::TimeCount workTime;       // seconds
    kiv::TimeCount relaxTime;      // seconds
    bool homeMode = true;
    bool relaxAtFullScreen = false;
    bool idleIsRest = false;       // no input for a rest's length counts as a rest
    kiv::String language;          // "zh", "en", or empty: the user's Windows language decides
    bool holdForCalls = true;      // calls and presentations hold a due rest
    // The working hours as the file holds them, kept as written (even when they do not
    // read: they stay until the user saves new hours); empty: always working hours.
    kiv::String workingHours;
    bool eyeBreak = false;         // a short look into the distance between rests
    uint32_t eyeBreakEvery = eyebreak::kDefaultEvery;      // seconds of work between eye breaks, 1..86400
    uint32_t eyeBreakSeconds = eyebreak::kDefaultSeconds;  // the length of one, 1..600
};

constexpr uint32_t kDefaultWorkSeconds = 3120;  // 52 minutes
constexpr uint32_t kDefaultRelaxSeconds = 480;  // 8 minutes
// The longest times the settings dialog accepts: 1000000 and 100000 minutes.
constexpr uint32_t kMaxWorkSeconds = 60000000;
constexpr uint32_t kMaxRelaxSeconds = 6000000;

// The settings directory, ending in a backslash: programDir + "profile\" when that
// directory exists (a portable installation) and `portableAllowed` (false for the copy a
// per-machine installation put in place), else appDataDir() + "Kelbrook.Murvel\".
// appDataDir is called only in the second case: the shell creates the app-data folder
// when asked, and a portable installation must not touch it. Empty when appDataDir gives
// no whole folder (a drive or share path ending in a backslash): the program then runs on
// its defaults and writes no file.
kiv::String chooseProfileDir(const kiv::String& programDir, const std::function<kiv::String()>& appDataDir,
                             bool portableAllowed = true);

// The default sound files, below "resource\" in the program directory.
constexpr char16_t kRelaxSound[] = u"relax.mp3";
constexpr char16_t kRelaxNoticeSound[] = u"relaxNotice.mp3";
constexpr char16_t kRelaxEndSound[] = u"relaxEnd.mp3";
// programDir + "resource\" + file.
kiv::String defaultSoundPath(const kiv::String& programDir, const char16_t* file);

// The file to open for a sound whose setting is `configured`: that path when it is a local
// file path (kiv::localSoundPath), else the default sound `defaultFile` of the running
// program, else empty. The settings keep whatever the file said.
std::wstring soundFileFor(const kiv::String& configured, const char16_t* defaultFile);

// profileDir + "Murvel.xml"; empty for an empty profileDir.
kiv::String settingsFilePath(const kiv::String& profileDir);

// Files larger than these are unreadable to the program and never read into memory: a
// planted huge file must not end it at start. A settings file is far below 1 KB, a day of
// twenty rests below 4 KB.
constexpr uint64_t kMaxSettingsFileBytes = 1024 * 1024;
constexpr uint64_t kMaxDayFileBytes = 4 * 1024 * 1024;

// The root element of the settings file and of the day files.
constexpr char16_t kRootName[] = u"profile";

// The file of the day `when` falls on: profileDir + "%Y-%m-%d.xml"; empty for an empty
// profileDir.
kiv::String dayFilePath(const kiv::String& profileDir, const kiv::Time& when);

// Reads the settings file. A missing key, a sound path that is exactly "default" and a
// time that reads as 0 or above its maximum take their defaults; homeMode and
// relaxAtFullScreen are true only for the number 1 (leading digits, never wrapped), and so
// is idleIsRest, which comes after them; "language" is kept only when it is "zh" or "en";
// holdForCalls, after it, is on unless it reads exactly "0"; "eyeBreak" is on only for 1;
// "eyeBreakEvery" and "eyeBreakSeconds" outside 1..86400 and 1..600 take their defaults.
// When the file cannot be loaded at all (missing, malformed, above kMaxSettingsFileBytes)
// every value is its default and home mode is on (a
// new installation starts at home). The default sounds are programDir + "resource\relax.mp3", "resource\relaxNotice.mp3" and
// "resource\relaxEnd.mp3".
Values loadSettingsFile(const kiv::String& path, const kiv::String& programDir);

// Writes profileDir + "Murvel.xml" whole from `values`, creating profileDir (one level)
// when missing. Sound paths equal to their defaults are left out, and so are idleIsRest when
// it is off, an empty language, holdForCalls when it is on, empty working hours, eyeBreak
// when off and the eye-break lengths at their defaults: a user who never sets them keeps the
// file as it was. False when the file could not be written (or profileDir is empty); the old
// file then stays as it was.
bool saveSettingsFile(const kiv::String& profileDir, const kiv::String& programDir, const Values& values);

// The first power-on of the day `now` falls on. Today's file (profileDir + "%Y-%m-%d.xml")
// gives it when it holds a readable "startup_time"; otherwise this is the day's first
// start: the power-on is `now` minus the uptime, and today's file is written anew with it,
// keeping the history it holds. A day file that does not read (damaged, above
// kMaxDayFileBytes) is first moved aside as "%Y-%m-%d.unreadable-N.xml"; one that another
// program holds open is not written at all (history/day_file.h).
// Either way it is never before today's local midnight: the uptime also holds time asleep
// and, with a fast start-up, the days before a shutdown. An empty profileDir reads and
// writes nothing.
kiv::Time loadFirstStartToday(const kiv::String& profileDir, const kiv::Time& now, uint64_t uptimeMilliseconds);

}  // namespace settings
