// The rest history in the per-day files: each write loads the day, adds, and saves whole.
#include "history/history_store.h"

#include "history/day_file.h"
#include "kiv/path_kiv.h"
#include "kiv/profilefile_kiv.h"
#include "kiv/xml_kiv.h"
#include "settings_store.h"

namespace history {
namespace {

const char16_t kTimeOfDayPattern[] = u"%H-%M-%S";
const char16_t kRest[] = u"rest";
const char16_t* const kDelay = kDelayName;
const char16_t* const kPostpone = kPostponeName;
const char16_t kWork[] = u"work";
const char16_t kHold[] = u"hold";
const char16_t kSkip[] = u"skip";
const char16_t kEyeBreak[] = u"eyebreak";
const char16_t kPause[] = u"pause";

const char16_t* const kEndWords[] = {u"time", u"unlock", u"away", u"exit", u"shutdown", u"schedule"};
// In the order of hold::Reason, after None.
const char16_t* const kHoldWords[] = {u"call", u"camera", u"presentation"};
const char16_t* const kEyeBreakEndWords[] = {u"time", u"skip", u"closed"};

kiv::String number(uint32_t value) {
    kiv::String text;
    text.format(u"%u", value);
    return text;
}

// A whole decimal number that fits 32 bits; false for anything else ("", "12a", "-1").
bool readNumber(const kiv::String& text, uint32_t& out) {
    if (text.length() == 0 || text.length() > 10) return false;
    uint64_t value = 0;
    for (unsigned i = 0; i < text.length(); ++i) {
        const unsigned unit = text.at(i);
        if (unit < '0' || unit > '9') return false;
        value = value * 10 + (unit - '0');
    }
    if (value > UINT32_MAX) return false;
    out = static_cast<uint32_t>(value);
    return true;
}

// "HH-MM-SS" as seconds after midnight.
bool readTimeOfDay(const kiv::String& text, uint32_t& out) {
    if (text.length() != 8 || text.at(2) != '-' || text.at(5) != '-') return false;
    uint32_t hours = 0, minutes = 0, seconds = 0;
    if (!readNumber(text.mid(0, 2), hours) || !readNumber(text.mid(3, 2), minutes) ||
        !readNumber(text.mid(6, 2), seconds) || hours > 23 || minutes > 59 || seconds > 59)
        return false;
    out = hours * 3600 + minutes * 60 + seconds;
    return true;
}

template <typename End, size_t N>
bool readEnd(const kiv::String& word, const char16_t* const (&words)[N], End& out) {
    for (size_t i = 0; i < N; ++i) {
        if (word == words[i]) {
            out = static_cast<End>(i);
            return true;
        }
    }
    return false;
}

bool readWhy(const kiv::String& word, hold::Reason& out) {
    for (unsigned i = 0; i < sizeof(kHoldWords) / sizeof(kHoldWords[0]); ++i) {
        if (word == kHoldWords[i]) {
            out = static_cast<hold::Reason>(i + 1);
            return true;
        }
    }
    return false;
}

bool readHold(const kiv::XmlElement& element, Hold& out) {
    return readTimeOfDay(element.getAttribute(kiv::String(u"at")), out.at) &&
           readNumber(element.getAttribute(kiv::String(u"held")), out.held) &&
           readWhy(element.getAttribute(kiv::String(u"why")), out.why);
}

kiv::String timeOfDay(const kiv::Time& when) { return when.format(kiv::String(kTimeOfDayPattern)); }

kiv::Pointer<kiv::XmlElement> newElement(const char16_t* name) {
    kiv::Pointer<kiv::XmlElement> element;
    element.create()->setName(kiv::String(name));
    return element;
}

// Adds `seconds` to the <work> element, made when missing.
void addWork(kiv::XmlElement& root, uint32_t seconds) {
    kiv::XmlElement* work = root.findChild(kiv::String(kWork));
    if (!work) work = root.createChild(kiv::String(kWork));
    uint32_t before = 0;
    readNumber(work->getText(), before);  // a damaged count starts again
    const uint64_t total = uint64_t(before) + seconds;
    work->setText(number(total > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(total)));
}

bool writeOne(const kiv::String& profileDir, const kiv::Time& day, const kiv::Pointer<kiv::XmlElement>& element) {
    DayChanges changes;
    changes.day = day;
    changes.elements.push_back(element);
    return writeDay(profileDir, changes);
}

Change readChange(const kiv::XmlElement& element, bool& ok) {
    Change change;
    ok = readTimeOfDay(element.getAttribute(kiv::String(u"at")), change.at) &&
         readNumber(element.getAttribute(kiv::String(u"added")), change.added);
    return change;
}

bool readRest(const kiv::XmlElement& element, Rest& rest) {
    return readTimeOfDay(element.getAttribute(kiv::String(u"start")), rest.start) &&
           readNumber(element.getAttribute(kiv::String(u"planned")), rest.planned) &&
           readNumber(element.getAttribute(kiv::String(u"rested")), rest.rested) &&
           readEnd(element.getAttribute(kiv::String(u"end")), kEndWords, rest.end);
}

bool readEyeBreak(const kiv::XmlElement& element, EyeBreak& eyeBreak) {
    return readTimeOfDay(element.getAttribute(kiv::String(u"start")), eyeBreak.start) &&
           readNumber(element.getAttribute(kiv::String(u"planned")), eyeBreak.planned) &&
           readNumber(element.getAttribute(kiv::String(u"rested")), eyeBreak.rested) &&
           readEnd(element.getAttribute(kiv::String(u"end")), kEyeBreakEndWords, eyeBreak.end);
}

bool readPause(const kiv::XmlElement& element, Pause& out) {
    if (!readTimeOfDay(element.getAttribute(kiv::String(u"at")), out.at) ||
        !readTimeOfDay(element.getAttribute(kiv::String(u"until")), out.until))
        return false;
    const kiv::String ended = element.getAttribute(kiv::String(u"ended"));
    out.hasEnded = !ended.isEmpty();
    return !out.hasEnded || readTimeOfDay(ended, out.ended);
}

}  // namespace

const char16_t* endWord(RestEnd end) { return kEndWords[static_cast<int>(end)]; }

const char16_t* holdWord(hold::Reason why) {
    return why == hold::Reason::None ? u"" : kHoldWords[static_cast<int>(why) - 1];
}

const char16_t* eyeBreakEndWord(EyeBreakEnd end) { return kEyeBreakEndWords[static_cast<int>(end)]; }

bool writeDay(const kiv::String& profileDir, const DayChanges& changes) {
    const kiv::String path = settings::dayFilePath(profileDir, changes.day);
    if (path.isEmpty()) return false;
    kiv::ProfileFile profile;
    switch (loadDayFile(path, profile)) {
    case DayFileState::Loaded:
        break;
    case DayFileState::Busy:
        return false;  // another program has it: never written over, tried again later
    case DayFileState::Unreadable:
        if (!moveAside(path)) return false;
        profile.createRoot(kiv::String(settings::kRootName));
        break;
    case DayFileState::Absent:
        profile.createRoot(kiv::String(settings::kRootName));
        kiv::makeDirectory(profileDir);
        break;
    }
    kiv::XmlElement* root = profile.document().getRoot();
    if (!root) return false;
    // The end is of a pause the file holds already: before the elements, which may begin
    // another.
    if (changes.endsPause) endOpenPause(root->children(), changes.pauseEnded);
    for (const kiv::Pointer<kiv::XmlElement>& element : changes.elements) root->addChild(element);
    if (changes.workSeconds != 0) addWork(*root, changes.workSeconds);
    return profile.saveAs(path);
}

kiv::Pointer<kiv::XmlElement> restElement(const kiv::Time& start, uint32_t planned, uint32_t rested, RestEnd end) {
    kiv::Pointer<kiv::XmlElement> rest = newElement(kRest);
    rest->setAttribute(kiv::String(u"start"), timeOfDay(start));
    rest->setAttribute(kiv::String(u"planned"), number(planned));
    rest->setAttribute(kiv::String(u"rested"), number(rested));
    rest->setAttribute(kiv::String(u"end"), kiv::String(endWord(end)));
    return rest;
}

kiv::Pointer<kiv::XmlElement> changeElement(const char16_t* name, const kiv::Time& at, uint32_t added) {
    kiv::Pointer<kiv::XmlElement> change = newElement(name);
    change->setAttribute(kiv::String(u"at"), timeOfDay(at));
    change->setAttribute(kiv::String(u"added"), number(added));
    return change;
}

kiv::Pointer<kiv::XmlElement> holdElement(const kiv::Time& at, uint32_t held, hold::Reason why) {
    kiv::Pointer<kiv::XmlElement> element = newElement(kHold);
    element->setAttribute(kiv::String(u"at"), timeOfDay(at));
    element->setAttribute(kiv::String(u"held"), number(held));
    element->setAttribute(kiv::String(u"why"), kiv::String(holdWord(why)));
    return element;
}

kiv::Pointer<kiv::XmlElement> skipElement(const kiv::Time& at) {
    kiv::Pointer<kiv::XmlElement> skip = newElement(kSkip);
    skip->setAttribute(kiv::String(u"at"), timeOfDay(at));
    return skip;
}

kiv::Pointer<kiv::XmlElement> eyeBreakElement(const kiv::Time& start, uint32_t planned, uint32_t rested,
                                              EyeBreakEnd end) {
    kiv::Pointer<kiv::XmlElement> eyeBreak = newElement(kEyeBreak);
    eyeBreak->setAttribute(kiv::String(u"start"), timeOfDay(start));
    eyeBreak->setAttribute(kiv::String(u"planned"), number(planned));
    eyeBreak->setAttribute(kiv::String(u"rested"), number(rested));
    eyeBreak->setAttribute(kiv::String(u"end"), kiv::String(eyeBreakEndWord(end)));
    return eyeBreak;
}

bool recordRest(const kiv::String& profileDir, const kiv::Time& start, uint32_t planned, uint32_t rested,
                RestEnd end) {
    return writeOne(profileDir, start, restElement(start, planned, rested, end));
}

bool recordDelay(const kiv::String& profileDir, const kiv::Time& at, uint32_t added) {
    return writeOne(profileDir, at, changeElement(kDelayName, at, added));
}

bool recordPostponement(const kiv::String& profileDir, const kiv::Time& at, uint32_t added) {
    return writeOne(profileDir, at, changeElement(kPostponeName, at, added));
}

bool recordHold(const kiv::String& profileDir, const kiv::Time& at, uint32_t held, hold::Reason why) {
    if (why == hold::Reason::None) return false;
    return writeOne(profileDir, at, holdElement(at, held, why));
}

bool recordSkip(const kiv::String& profileDir, const kiv::Time& at) {
    return writeOne(profileDir, at, skipElement(at));
}

bool recordEyeBreak(const kiv::String& profileDir, const kiv::Time& start, uint32_t planned, uint32_t rested,
                    EyeBreakEnd end) {
    return writeOne(profileDir, start, eyeBreakElement(start, planned, rested, end));
}

bool isOpenPause(const kiv::XmlElement& element) {
    return element.getName() == kPause && element.getAttribute(kiv::String(u"ended")).isEmpty();
}

void setPauseEnd(kiv::XmlElement& pause, const kiv::Time& ended) {
    pause.setAttribute(kiv::String(u"ended"), timeOfDay(ended));
}

kiv::Pointer<kiv::XmlElement> pauseElement(const kiv::Time& at, const kiv::Time& until) {
    kiv::Pointer<kiv::XmlElement> pause = newElement(kPause);
    pause->setAttribute(kiv::String(u"at"), timeOfDay(at));
    pause->setAttribute(kiv::String(u"until"), timeOfDay(until));
    return pause;
}

bool recordPauseStart(const kiv::String& profileDir, const kiv::Time& at, const kiv::Time& until) {
    return writeOne(profileDir, at, pauseElement(at, until));
}

bool recordPauseEnd(const kiv::String& profileDir, const kiv::Time& at, const kiv::Time& ended) {
    DayChanges changes;
    changes.day = at;
    changes.endsPause = true;
    changes.pauseEnded = ended;
    return writeDay(profileDir, changes);
}

bool addWorkSeconds(const kiv::String& profileDir, const kiv::Time& day, uint32_t seconds) {
    DayChanges changes;
    changes.day = day;
    changes.workSeconds = seconds;
    return writeDay(profileDir, changes);
}

Day readDay(const kiv::String& profileDir, const kiv::Time& day) {
    Day out;
    readDayFile(settings::dayFilePath(profileDir, day), out);
    return out;
}

bool readDayFile(const kiv::String& path, Day& out) {
    out = Day();
    kiv::ProfileFile profile;
    // A file above the limit is skipped like a damaged one.
    if (!profile.load(path, settings::kMaxDayFileBytes)) return false;
    const kiv::XmlElement* root = profile.document().getRoot();
    if (!root) return false;
    for (const kiv::Pointer<kiv::XmlElement>& child : root->children()) {
        const kiv::String name = child->getName();
        bool ok = false;
        if (name == kRest) {
            Rest rest;
            if (readRest(*child, rest)) out.rests.push_back(rest);
        } else if (name == kEyeBreak) {
            EyeBreak eyeBreak;
            if (readEyeBreak(*child, eyeBreak)) out.eyeBreaks.push_back(eyeBreak);
        } else if (name == kDelay || name == kPostpone) {
            const Change change = readChange(*child, ok);
            if (ok) (name == kDelay ? out.delays : out.postponements).push_back(change);
        } else if (name == kHold) {
            Hold held;
            if (readHold(*child, held)) out.holds.push_back(held);
        } else if (name == kSkip) {
            uint32_t at = 0;
            if (readTimeOfDay(child->getAttribute(kiv::String(u"at")), at)) out.skips.push_back(at);
        } else if (name == kPause) {
            Pause pause;
            if (readPause(*child, pause)) out.pauses.push_back(pause);
        } else if (name == kWork) {
            readNumber(child->getText(), out.workSeconds);
        }
    }
    return true;
}

}  // namespace history
