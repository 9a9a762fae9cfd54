#include "history/history_csv.h"

#include <windows.h>

#include <algorithm>

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

std::wstring number(uint32_t value) { return std::to_wstring(value); }

std::wstring timeOfDay(uint32_t seconds) {
    wchar_t text[16];
    wsprintfW(text, L"%02u:%02u:%02u", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

void addRow(std::wstring& out, const std::vector<std::wstring>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i != 0) out += L',';
        out += csvField(fields[i]);
    }
    out += L"\r\n";
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
    std::sort(names.begin(), names.end());  // the names sort by date
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
        e.end = texts.restEnds[static_cast<int>(rest.end)];
        events.push_back(e);
    }
    for (const EyeBreak& eyeBreak : day.eyeBreaks) {
        Event e = event(eyeBreak.start, EventKind::EyeBreak);
        e.hasPlanned = e.hasRested = true;
        e.planned = eyeBreak.planned;
        e.rested = eyeBreak.rested;
        e.end = texts.eyeBreakEnds[static_cast<int>(eyeBreak.end)];
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
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) { return a.start < b.start; });
    return events;
}

std::wstring csvField(const std::wstring& text) {
    if (text.find_first_of(L",\"\r\n") == std::wstring::npos) return text;
    std::wstring quoted = L"\"";
    for (wchar_t unit : text) {
        if (unit == L'"') quoted += L'"';
        quoted += unit;
    }
    return quoted + L"\"";
}

std::wstring csvText(const std::vector<CsvDay>& days, const CsvTexts& texts, unsigned& unreadable) {
    unreadable = 0;
    std::wstring out;
    addRow(out, texts.header);
    for (const CsvDay& day : days) {
        if (!day.readable) {
            ++unreadable;
            continue;
        }
        for (const Event& e : dayEvents(day.day, texts)) {
            addRow(out, {day.date, timeOfDay(e.start), texts.kinds[static_cast<int>(e.kind)],
                         e.hasPlanned ? number(e.planned) : std::wstring(),
                         e.hasRested ? number(e.rested) : std::wstring(), e.end});
        }
    }
    return out;
}

std::string csvBytes(const std::wstring& text) {
    std::string bytes = "\xEF\xBB\xBF";
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
    const UINT kinds[] = {IDS_CSV_REST, IDS_CSV_EYE_BREAK, IDS_CSV_DELAY, IDS_CSV_POSTPONEMENT, IDS_CSV_HOLD};
    const UINT restEnds[] = {IDS_END_TIME, IDS_END_UNLOCK, IDS_END_AWAY, IDS_END_EXIT, IDS_END_SHUTDOWN};
    const UINT eyeEnds[] = {IDS_EYE_END_TIME, IDS_EYE_END_SKIP, IDS_EYE_END_CLOSED};
    for (int i = 0; i < 5; ++i) texts.kinds[i] = text(kinds[i]);
    for (int i = 0; i < 5; ++i) texts.restEnds[i] = text(restEnds[i]);
    for (int i = 0; i < 3; ++i) texts.eyeBreakEnds[i] = text(eyeEnds[i]);
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
    const std::string bytes = csvBytes(csvText(days, texts, result.unreadable));
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
