// The settings store: the settings file "Murvel.xml" and the per-day start-up files in the
// settings directory, and the application object's LoadSettings and SaveSettings over them.
#include "settings_store.h"

#include <windows.h>

#include <vector>

#include "eyebreak/eye_break_timing.h"
#include "history/day_file.h"
#include "hours/hours_clock.h"
#include "kiv/path_kiv.h"
#include "kiv/profilefile_kiv.h"
#include "kiv/xml_kiv.h"
#include "install_location.h"
#include "kivtool_app.h"
#include "policy/policy_settings.h"
#include "sound_path.h"
#include "ui_language.h"

namespace settings {
namespace {

const char16_t kDefaultText[] = u"default";
const char16_t kStartupKey[] = u"startup_time";
const char16_t kStartupPattern[] = u"%Y-%m-%d %H-%M-%S";

// The sound rows of the key table, in the file's order.
struct SoundKey {
    const char16_t* key;
    const char16_t* file;  // below "resource\" in the program directory
    kiv::String Values::*member;
};
const SoundKey kSoundKeys[] = {
    {u"relaxMusic", kRelaxSound, &Values::relaxMusic},
    {u"relaxNoticeMusic", kRelaxNoticeSound, &Values::relaxNoticeMusic},
    {u"relaxEndMusic", kRelaxEndSound, &Values::relaxEndMusic},
};

// Every section argument is the empty text: the keys sit right below the root, whatever
// the root is called.
const kiv::String kRootSection;

kiv::String defaultSoundPath(const kiv::String& programDir, const SoundKey& sound) {
    return settings::defaultSoundPath(programDir, sound.file);
}

// The leading decimal digits of `text`, or 0 when there are none or when their number is
// above `limit`. Nothing is skipped before the digits and whatever follows them is ignored,
// so " 90" and "-5" give 0 while "90abc" gives 90. A number too large is not cut to 32 bits:
// "4294967297" would wrap to 1.
uint32_t leadingNumber(const kiv::String& text, uint32_t limit) {
    uint64_t value = 0;
    for (unsigned i = 0; i < text.length(); ++i) {
        const unsigned unit = text.at(i);
        if (unit < '0' || unit > '9') break;
        value = value * 10 + (unit - '0');
        if (value > limit) return 0;
    }
    return static_cast<uint32_t>(value);
}

uint32_t numberOf(kiv::ProfileFile& profile, const char16_t* key, uint32_t limit) {
    return leadingNumber(profile.getValue(kRootSection, kiv::String(key), kiv::String()), limit);
}

// Seconds from the file; 0, no number and a time the settings dialog would not accept (a
// hand-edited or damaged file) all mean the key is missing.
kiv::TimeCount secondsOr(kiv::ProfileFile& profile, const char16_t* key, uint32_t limit, uint32_t fallback) {
    const uint32_t seconds = numberOf(profile, key, limit);
    return kiv::TimeCount(seconds == 0 ? fallback : seconds);
}

bool isOne(kiv::ProfileFile& profile, const char16_t* key) { return numberOf(profile, key, UINT32_MAX) == 1; }

// The recorded power-on, or nothing when the text is not a whole date and time in the
// pattern: an empty or damaged entry would otherwise read as a time before 1970 and the
// day would seem endless.
bool readStartupTime(kiv::ProfileFile& profile, kiv::Time& out) {
    const kiv::String text = profile.getValue(kRootSection, kiv::String(kStartupKey), kiv::String());
    const kiv::Time recorded(text, kiv::String(kStartupPattern));
    if (recorded.timeValue() < 0 || recorded.format(kiv::String(kStartupPattern)) != text) return false;
    out = recorded;
    return true;
}

// `now` less the uptime. The uptime is 64-bit milliseconds: the 32-bit counter wraps after
// 49.7 days and would put the power-on weeks too late.
kiv::Time powerOnTime(const kiv::Time& now, uint64_t uptimeMilliseconds) {
    uint64_t seconds = uptimeMilliseconds / 1000;
    const uint64_t limit = now.timeValue() < 0 ? 0 : static_cast<uint64_t>(now.timeValue());
    if (seconds > limit) seconds = limit;  // a clock set back before the boot: 1970 at worst
    if (seconds > UINT32_MAX) seconds = UINT32_MAX;
    kiv::Time powerOn = now;
    powerOn -= kiv::TimeCount(static_cast<uint32_t>(seconds));
    return powerOn;
}

// The start of the local day `now` falls on; `fallback` when the date cannot be told.
kiv::Time localMidnight(const kiv::Time& now, const kiv::Time& fallback) {
    const kiv::String datePattern(u"%Y-%m-%d");
    const kiv::String date = now.format(datePattern);
    if (date.length() == 0) return fallback;
    const kiv::Time midnight(date, datePattern);
    return midnight.timeValue() < 0 ? fallback : midnight;
}

// A drive path (C:\Users\...) or a share (\\server\home\..., where AppData is redirected)
// ending in a separator: a folder whatever the current directory is.
bool isWholeDirectory(const kiv::String& dir) {
    if (dir.length() < 4 || dir.at(dir.length() - 1) != u'\\') return false;
    const unsigned first = dir.at(0) | 0x20;
    const bool drive = first >= 'a' && first <= 'z' && dir.at(1) == u':' && dir.at(2) == u'\\';
    const bool share = dir.at(0) == u'\\' && dir.at(1) == u'\\' && dir.at(2) != u'\\';
    return drive || share;
}

kiv::Time notBefore(const kiv::Time& time, const kiv::Time& earliest) {
    return time.timeValue() < earliest.timeValue() ? earliest : time;
}

// What a day file without a start-up line holds besides it: the history written by a run
// that went on past midnight. The new file keeps it after its own start-up line.
std::vector<kiv::Pointer<kiv::XmlElement>> keptHistory(kiv::ProfileFile& profile) {
    std::vector<kiv::Pointer<kiv::XmlElement>> kept;
    const kiv::XmlElement* root = profile.document().getRoot();
    if (!root) return kept;
    for (const auto& child : root->children())
        if (!(child->getName() == kStartupKey)) kept.push_back(child);
    return kept;
}

}  // namespace

kiv::String defaultSoundPath(const kiv::String& programDir, const char16_t* file) {
    return programDir + u"resource\\" + file;
}

std::wstring soundFileFor(const kiv::String& configured, const char16_t* defaultFile) {
    const kiv::String fallback = defaultSoundPath(kiv::getModuleDir(), defaultFile);
    return kiv::soundFileToOpen(configured.c_wstr(), fallback.c_wstr());
}

kiv::String chooseProfileDir(const kiv::String& programDir, const std::function<kiv::String()>& appDataDir,
                             bool portableAllowed) {
    const kiv::String portable = programDir + u"profile\\";
    if (portableAllowed && kiv::isDirectory(portable)) return portable;
    // Without the user's own folder there is none: a path built on an empty or partial
    // answer would land in a folder of the current drive that any user can create.
    const kiv::String appData = appDataDir();
    if (!isWholeDirectory(appData)) return kiv::String();
    return appData + u"Kelbrook.Murvel\\";
}

kiv::String settingsFilePath(const kiv::String& profileDir) {
    return profileDir.isEmpty() ? kiv::String() : profileDir + u"Murvel.xml";
}

kiv::String dayFilePath(const kiv::String& profileDir, const kiv::Time& when) {
    return profileDir.isEmpty() ? kiv::String() : profileDir + when.format(kiv::String(u"%Y-%m-%d.xml"));
}

Values loadSettingsFile(const kiv::String& path, const kiv::String& programDir) {
    Values values;
    for (const SoundKey& sound : kSoundKeys) values.*sound.member = kiv::String(kDefaultText);
    kiv::ProfileFile profile;
    if (profile.load(path, kMaxSettingsFileBytes)) {
        for (const SoundKey& sound : kSoundKeys) {
            values.*sound.member = profile.getValue(kRootSection, kiv::String(sound.key), kiv::String(kDefaultText));
        }
        values.workTime = secondsOr(profile, u"workTime", kMaxWorkSeconds, kDefaultWorkSeconds);
        values.relaxTime = secondsOr(profile, u"relaxTime", kMaxRelaxSeconds, kDefaultRelaxSeconds);
        values.homeMode = isOne(profile, u"homeMode");
        values.relaxAtFullScreen = isOne(profile, u"relaxAtFullScreen");
        values.idleIsRest = isOne(profile, u"idleIsRest");
        values.language = language::normalized(profile.getValue(kRootSection, kiv::String(u"language"), kiv::String()));
        values.holdForCalls = !(profile.getValue(kRootSection, kiv::String(u"holdForCalls"), kiv::String()) == u"0");
        values.workingHours = profile.getValue(kRootSection, kiv::String(u"workingHours"), kiv::String());
        values.eyeBreak = isOne(profile, u"eyeBreak");
        values.eyeBreakEvery = eyebreak::valueOrDefault(numberOf(profile, u"eyeBreakEvery", eyebreak::kMaxEvery),
                                                        eyebreak::kMaxEvery, eyebreak::kDefaultEvery);
        values.eyeBreakSeconds = eyebreak::valueOrDefault(numberOf(profile, u"eyeBreakSeconds", eyebreak::kMaxSeconds),
                                                          eyebreak::kMaxSeconds, eyebreak::kDefaultSeconds);
    } else {
        values.workTime = kDefaultWorkSeconds;
        values.relaxTime = kDefaultRelaxSeconds;
    }
    // Only a missing element or exactly "default" means the default; an empty path stays empty.
    for (const SoundKey& sound : kSoundKeys) {
        kiv::String& path = values.*sound.member;
        if (path == kDefaultText) path = defaultSoundPath(programDir, sound);
    }
    return values;
}

bool saveSettingsFile(const kiv::String& profileDir, const kiv::String& programDir, const Values& values) {
    if (profileDir.isEmpty()) return false;  // no settings folder: nothing is written anywhere
    kiv::makeDirectory(profileDir);  // a failure shows as a failed save below
    kiv::ProfileFile profile;
    if (!profile.createRoot(kiv::String(kRootName))) return false;
    bool ok = true;
    for (const SoundKey& sound : kSoundKeys) {
        const kiv::String& path = values.*sound.member;
        if (path == defaultSoundPath(programDir, sound)) continue;
        ok &= profile.setValue(kRootSection, kiv::String(sound.key), path);
    }
    ok &= profile.setIntValue(kRootSection, kiv::String(u"workTime"), static_cast<int32_t>(values.workTime.size()));
    ok &= profile.setIntValue(kRootSection, kiv::String(u"relaxTime"), static_cast<int32_t>(values.relaxTime.size()));
    ok &= profile.setIntValue(kRootSection, kiv::String(u"homeMode"), values.homeMode ? 1 : 0);
    ok &= profile.setIntValue(kRootSection, kiv::String(u"relaxAtFullScreen"), values.relaxAtFullScreen ? 1 : 0);
    if (values.idleIsRest) ok &= profile.setIntValue(kRootSection, kiv::String(u"idleIsRest"), 1);
    if (!values.language.isEmpty()) ok &= profile.setValue(kRootSection, kiv::String(u"language"), values.language);
    if (!values.holdForCalls) ok &= profile.setIntValue(kRootSection, kiv::String(u"holdForCalls"), 0);
    if (!values.workingHours.isEmpty())
        ok &= profile.setValue(kRootSection, kiv::String(u"workingHours"), values.workingHours);
    if (values.eyeBreak) ok &= profile.setIntValue(kRootSection, kiv::String(u"eyeBreak"), 1);
    if (values.eyeBreakEvery != eyebreak::kDefaultEvery)
        ok &= profile.setIntValue(kRootSection, kiv::String(u"eyeBreakEvery"), static_cast<int32_t>(values.eyeBreakEvery));
    if (values.eyeBreakSeconds != eyebreak::kDefaultSeconds)
        ok &= profile.setIntValue(kRootSection, kiv::String(u"eyeBreakSeconds"),
                                  static_cast<int32_t>(values.eyeBreakSeconds));
    // A document missing a setting is never written over a complete file.
    return ok && profile.saveAs(settingsFilePath(profileDir));
}

kiv::Time loadFirstStartToday(const kiv::String& profileDir, const kiv::Time& now, uint64_t uptimeMilliseconds) {
    const kiv::String dayFile = dayFilePath(profileDir, now);
    const kiv::Time midnight = localMidnight(now, kiv::Time(0));
    kiv::ProfileFile profile;
    kiv::Time recorded;
    const history::DayFileState state =
        profileDir.isEmpty() ? history::DayFileState::Absent : history::loadDayFile(dayFile, profile);
    const bool loaded = state == history::DayFileState::Loaded;
    if (loaded && readStartupTime(profile, recorded)) return notBefore(recorded, midnight);

    // The day's first start (or a day file without its line): record the power-on anew. A
    // failed write is not fatal: the next start computes the same moment again.
    const kiv::Time powerOn = notBefore(powerOnTime(now, uptimeMilliseconds), midnight);
    if (profileDir.isEmpty()) return powerOn;  // no settings folder: nothing is written anywhere
    // A file another program holds is left to the history's writes; one that does not read
    // is kept beside the new one.
    if (state == history::DayFileState::Busy) return powerOn;
    if (state == history::DayFileState::Unreadable && !history::moveAside(dayFile)) return powerOn;
    const auto kept = loaded ? keptHistory(profile) : std::vector<kiv::Pointer<kiv::XmlElement>>();
    profile.createRoot(kiv::String(kRootName));
    profile.setValue(kRootSection, kiv::String(kStartupKey), powerOn.format(kiv::String(kStartupPattern)));
    for (const auto& element : kept) profile.document().getRoot()->addChild(element);
    kiv::makeDirectory(profileDir);
    profile.saveAs(dayFile);
    return powerOn;
}

}  // namespace settings

void CkivToolApp::LoadSettings() {
    const kiv::String programDir = kiv::getModuleDir();
    const bool machineInstall = install::isMachineCopy(programDir);
    m_profileDir = settings::chooseProfileDir(programDir, [] { return kiv::getAppDataDir(); }, !machineInstall);
    m_ownSettings = settings::loadSettingsFile(settings::settingsFilePath(m_profileDir), programDir);
    m_policies = policy::readPolicies();
    setSettingsInForce(policy::inForce(m_ownSettings, m_policies));
    m_firstStartToday = settings::loadFirstStartToday(m_profileDir, kiv::Time::now(), ::GetTickCount64());
}

bool CkivToolApp::SaveSettings() {
    m_ownSettings = policy::toKeep(m_settings, m_ownSettings, m_policies);
    return settings::saveSettingsFile(m_profileDir, kiv::getModuleDir(), m_ownSettings);
}

bool CkivToolApp::ReadPolicies() {
    const policy::Policies read = policy::readPolicies();
    if (read == m_policies) return false;
    m_policies = read;
    setSettingsInForce(policy::inForce(m_ownSettings, m_policies));
    return true;
}

void CkivToolApp::setSettingsInForce(const settings::Values& values) {
    m_settings = values;
    setWorkingHoursText(values.workingHours);
}

// A text that does not read is kept for the file, and the program works as without one.
void CkivToolApp::setWorkingHoursText(const kiv::String& text) {
    m_settings.workingHours = text;
    if (text.isEmpty() || !hours::parseValue(text, m_workingHours)) m_workingHours = hours::Schedule();
}
