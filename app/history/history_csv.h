// The history to take away: every recorded day as CSV, one row per event, for a
// spreadsheet. The rows are made by plain functions over the day records; the texts (the
// header, the kinds, the ends) come in from the caller in the language of the windows.
// The day files are only read, never written.
#pragma once

#include <cstdint>
#include <string>  // wide only: the narrow string would weigh on the program
#include <vector>

#include "history/history_store.h"
#include "kiv/string_kiv.h"

namespace history {

enum class EventKind { Rest, EyeBreak, Delay, Postponement, Hold, Pause };

// One row. A rest and an eye break have a planned and a rested length and an end; a delay
// and a postponement have the seconds they added as their planned length; a hold has its
// length as rested seconds and no end; a pause its planned and (once over) its real
// length, and no end.
struct Event {
    uint32_t start = 0;  // seconds after midnight
    EventKind kind = EventKind::Rest;
    bool hasPlanned = false;
    uint32_t planned = 0;
    bool hasRested = false;
    uint32_t rested = 0;
    const wchar_t* end = L"";  // how it ended, in words (from the texts); empty when the kind has none
};

struct CsvTexts {
    std::vector<std::wstring> header;  // the header row's fields
    std::wstring kinds[6];             // by EventKind
    std::wstring restEnds[6];          // by RestEnd
    std::wstring eyeBreakEnds[3];      // by EyeBreakEnd
    std::wstring holdWhys[3];          // by hold::Reason, after None
};

// A day file as the export found it: its date ("2027-03-15") and what it holds, or that it
// could not be read.
struct CsvDay {
    std::wstring date;
    bool readable = true;
    Day day;
};

// The day's events in the order they began (events of the same second in file order). The
// ends point into `texts`.
std::vector<Event> dayEvents(const Day& day, const CsvTexts& texts);

// One field as RFC 4180 wants it: in double quotes, with its quotes doubled, when it holds
// a comma, a quote, a carriage return or a line feed; as it is otherwise.
std::wstring csvField(const std::wstring& text);

// The whole file as text: the header row, then one row per event of each readable day, each
// row ending in CR LF. `unreadable` counts the days left out.
std::wstring csvText(const std::vector<CsvDay>& days, const CsvTexts& texts, unsigned& unreadable);

// The bytes of the file: a UTF-8 byte-order mark, then `text` in UTF-8.
std::vector<char> csvBytes(const std::wstring& text);

// The texts in the language of the windows.
CsvTexts currentCsvTexts();

struct ExportResult {
    bool written = false;  // the file was written whole
    unsigned days = 0;     // days in it
    unsigned unreadable = 0;
};

// Reads every day file ("YYYY-MM-DD.xml") of `profileDir`, oldest first, and writes them to
// `path` as CSV.
ExportResult exportHistory(const kiv::String& profileDir, const std::wstring& path, const CsvTexts& texts);

}  // namespace history
