#include "history/history_csv.h"

#include <windows.h>

#include "framework/handles.h"
#include "framework/resources.h"
#include "resource.h"

namespace history {
namespace {

Event event(uint32_t start, EventKind kind) {
    Event out;
    out.start = start;
    out.kind = kind;
    return out;
}

// A field after the row's others (`first`: the row's first), quoted as csvField says.
void addField(std::wstring& row, const wchar_t* text, bool first = false) {
    if (!first) row += L',';
    const std::wstring plain(text);
    if (plain.find_first_of(L",\"\r\n") == std::wstring::npos) {
        row += plain;
        return;
    }
    row += L'"';
    for (wchar_t unit : plain) {
        if (unit == L'"') row += L'"';
        row += unit;
    }
    row += L'"';
}

void addNumber(std::wstring& row, bool has, uint32_t value) {
    wchar_t text[16] = L"";
    if (has) wsprintfW(text, L"%u", value);
    addField(row, text);
}

void endRow(std::wstring& out) { out += L"\r\n"; }

// Stable, and small: a day holds a few dozen events at most.
void sortByStart(std::vector<Event>& events) {
    for (size_t i = 1; i < events.size(); ++i)
        for (size_t j = i; j > 0 && events[j].start < events[j - 1].start; --j) std::swap(events[j], events[j - 1]);
}

// "2027-03-15.xml": the name of a day file.
bool isDayFileName(const std::wstring& name) {
    if (name.size() != 14 || name.compare(10, 4, L".xml") != 0 || name[4] != L'-' || name[7] != L'-') return false;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (name[i] < L'0' || name[i] > L'9') return false;
    return true;
}

struct FindTraits {
    static void release(HANDLE h) { ::FindClose(h); }
};
using FindHandle = fw::UniqueHandle<HANDLE, FindTraits>;

std::vector<std::wstring> dayFileNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE first = ::FindFirstFileW((folder + L"*.xml").c_str(), &found);
    if (first == INVALID_HANDLE_VALUE) return names;
    FindHandle search(first);
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && isDayFileName(found.cFileName))
            names.push_back(found.cFileName);
    } while (::FindNextFileW(search.get(), &found));
    // The names sort by date; not every file system lists them in order.
    for (size_t i = 1; i < names.size(); ++i)
        for (size_t j = i; j > 0 && names[j] < names[j - 1]; --j) names[j].swap(names[j - 1]);
    return names;
}

std::wstring text(UINT id) { return fw::loadString(id); }

}  // namespace

std::vector<Event> dayEvents(const Day& day, const CsvTexts& texts) {
    std::vector<Event> events;
    for (const Rest& rest : day.rests) {
        Event e = event(rest.start, EventKind::Rest);
        e.hasPlanned = e.hasRested = true;
        e.planned = rest.planned;
        e.rested = rest.rested;
        e.end = texts.restEnds[static_cast<int>(rest.end)].c_str();
        events.push_back(e);
    }
    for (const EyeBreak& eyeBreak : day.eyeBreaks) {
        Event e = event(eyeBreak.start, EventKind::EyeBreak);
        e.hasPlanned = e.hasRested = true;
        e.planned = eyeBreak.planned;
        e.rested = eyeBreak.rested;
        e.end = texts.eyeBreakEnds[static_cast<int>(eyeBreak.end)].c_str();
        events.push_back(e);
    }
    for (const Change& delay : day.delays) {
        Event e = event(delay.at, EventKind::Delay);
        e.hasPlanned = true;
        e.planned = delay.added;
        events.push_back(e);
    }
    for (const Change& postponement : day.postponements) {
        Event e = event(postponement.at, EventKind::Postponement);
        e.hasPlanned = true;
        e.planned = postponement.added;
        events.push_back(e);
    }
    // A hold put the rest off like a postponement: its length in the planned column, why
    // in the last.
    for (const Hold& held : day.holds) {
        if (held.why == hold::Reason::None) continue;
        Event e = event(held.at, EventKind::Hold);
        e.hasPlanned = true;
        e.planned = held.held;
        e.end = texts.holdWhys[static_cast<int>(held.why) - 1].c_str();
        events.push_back(e);
    }
    for (const Pause& pause : day.pauses) {
        Event e = event(pause.at, EventKind::Pause);
        e.hasPlanned = true;
        e.planned = pause.plannedSeconds();
        e.hasRested = pause.hasEnded;
        e.rested = pause.hasEnded ? pause.pausedSeconds() : 0;
        events.push_back(e);
    }
    sortByStart(events);
    return events;
}

std::wstring csvField(const std::wstring& text) {
    std::wstring field;
    addField(field, text.c_str(), true);
    return field;
}

std::wstring csvText(const std::vector<CsvDay>& days, const CsvTexts& texts, unsigned& unreadable) {
    unreadable = 0;
    std::wstring out;
    for (size_t i = 0; i < texts.header.size(); ++i) addField(out, texts.header[i].c_str(), i == 0);
    endRow(out);
    for (const CsvDay& day : days) {
        if (!day.readable) {
            ++unreadable;
            continue;
        }
        for (const Event& e : dayEvents(day.day, texts)) {
            wchar_t start[16];
            wsprintfW(start, L"%02u:%02u:%02u", e.start / 3600, e.start / 60 % 60, e.start % 60);
            addField(out, day.date.c_str(), true);
            addField(out, start);
            addField(out, texts.kinds[static_cast<int>(e.kind)].c_str());
            addNumber(out, e.hasPlanned, e.planned);
            addNumber(out, e.hasRested, e.rested);
            addField(out, e.end);
            endRow(out);
        }
    }
    return out;
}

std::vector<char> csvBytes(const std::wstring& text) {
    std::vector<char> bytes = {'\xEF', '\xBB', '\xBF'};
    if (text.empty()) return bytes;
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    if (size <= 0) return bytes;
    bytes.resize(3 + static_cast<size_t>(size));
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[3], size, nullptr, nullptr);
    return bytes;
}

CsvTexts currentCsvTexts() {
    CsvTexts texts;
    const std::wstring header = text(IDS_CSV_HEADER);
    size_t from = 0;
    for (size_t comma; (comma = header.find(L',', from)) != std::wstring::npos; from = comma + 1)
        texts.header.push_back(header.substr(from, comma - from));
    texts.header.push_back(header.substr(from));
    const UINT kinds[] = {IDS_CSV_REST, IDS_CSV_EYE_BREAK, IDS_CSV_DELAY, IDS_CSV_POSTPONEMENT, IDS_CSV_HOLD,
                          IDS_CSV_PAUSE};
    const UINT restEnds[] = {IDS_END_TIME, IDS_END_UNLOCK, IDS_END_AWAY, IDS_END_EXIT, IDS_END_SHUTDOWN,
                             IDS_END_SCHEDULE};
    const UINT eyeEnds[] = {IDS_EYE_END_TIME, IDS_EYE_END_SKIP, IDS_EYE_END_CLOSED};
    const UINT whys[] = {IDS_HOLD_WHY_CALL, IDS_HOLD_WHY_CAMERA, IDS_HOLD_WHY_PRESENTATION};
    for (int i = 0; i < 6; ++i) texts.kinds[i] = text(kinds[i]);
    for (int i = 0; i < 6; ++i) texts.restEnds[i] = text(restEnds[i]);
    for (int i = 0; i < 3; ++i) texts.eyeBreakEnds[i] = text(eyeEnds[i]);
    for (int i = 0; i < 3; ++i) texts.holdWhys[i] = text(whys[i]);
    return texts;
}

ExportResult exportHistory(const kiv::String& profileDir, const std::wstring& path, const CsvTexts& texts) {
    ExportResult result;
    const std::wstring folder = profileDir.c_wstr();
    std::vector<CsvDay> days;
    for (const std::wstring& name : dayFileNames(folder)) {
        CsvDay day;
        day.date = name.substr(0, 10);
        day.readable = readDayFile(kiv::String((folder + name).c_str()), day.day);
        if (day.readable) ++result.days;
        days.push_back(day);
    }
    const std::vector<char> bytes = csvBytes(csvText(days, texts, result.unreadable));
    HANDLE created =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE) return result;
    fw::KernelHandle file(created);
    DWORD written = 0;
    result.written = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                     written == bytes.size();
    return result;
}

}  // namespace history
