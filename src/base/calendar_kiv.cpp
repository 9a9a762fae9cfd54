// The proleptic Gregorian calendar in 400-year eras, and the strftime-style formatter.
#include "kiv/calendar_kiv.h"

namespace kiv {
namespace calendar {

namespace {

const int64_t kSecondsPerDay = 86400;

int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
int64_t floorMod(int64_t a, int64_t b) { return a - floorDiv(a, b) * b; }

const char* const kWeekdays[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                  "Thursday", "Friday", "Saturday"};
const char* const kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                 "July",    "August",   "September", "October", "November", "December"};

// Collects the formatted units and remembers when they no longer fit.
class Output {
public:
    explicit Output(unsigned maxUnits) : maxUnits_(maxUnits) {}

    void unit(char16_t c) {
        if (length_ >= maxUnits_ || length_ >= sizeof(buffer_) / sizeof(buffer_[0])) {
            overflow_ = true;
            return;
        }
        buffer_[length_++] = c;
    }
    void ascii(const char* text, unsigned count = ~0u) {
        for (unsigned i = 0; i < count && text[i]; ++i) unit(static_cast<char16_t>(text[i]));
    }
    // A number, zero-padded to `width` digits unless `noPad`; a negative one (a year before
    // 0, a field out of its range) gets its sign first.
    void number(int64_t value, unsigned width, bool noPad) {
        if (value < 0) {
            unit(u'-');
            value = -value;
        }
        char digits[24];
        unsigned count = 0;
        do {
            digits[count++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value > 0 && count < sizeof(digits));
        if (!noPad)
            for (unsigned i = count; i < width; ++i) unit(u'0');
        while (count > 0) unit(static_cast<char16_t>(digits[--count]));
    }

    bool overflow() const { return overflow_; }
    String text() const { return String(buffer_, static_cast<int>(length_)); }

private:
    char16_t buffer_[512];
    unsigned length_ = 0;
    unsigned maxUnits_;
    bool overflow_ = false;
};

// Writes one directive; false when the letter is not one this formatter knows.
bool directive(char16_t letter, bool noPad, const std::tm& f, Output& out) {
    const int64_t year = 1900 + static_cast<int64_t>(f.tm_year);
    const int hour12 = f.tm_hour % 12 == 0 ? 12 : f.tm_hour % 12;
    const int weekday = ((f.tm_wday % 7) + 7) % 7;
    const int month = ((f.tm_mon % 12) + 12) % 12;
    switch (letter) {
    case u'a': out.ascii(kWeekdays[weekday], 3); break;
    case u'A': out.ascii(kWeekdays[weekday]); break;
    case u'b':
    case u'h': out.ascii(kMonths[month], 3); break;
    case u'B': out.ascii(kMonths[month]); break;
    case u'c':  // the C locale's date and time: 03/07/20 14:58:51
        directive(u'x', noPad, f, out);
        out.unit(u' ');
        directive(u'X', noPad, f, out);
        break;
    case u'C': out.number(floorDiv(year, 100), 2, noPad); break;
    case u'd': out.number(f.tm_mday, 2, noPad); break;
    case u'D':
    case u'x':
        out.number(f.tm_mon + 1, 2, noPad);
        out.unit(u'/');
        out.number(f.tm_mday, 2, noPad);
        out.unit(u'/');
        out.number(floorMod(year, 100), 2, noPad);
        break;
    case u'e':
        if (!noPad && f.tm_mday < 10) out.unit(u' ');
        out.number(f.tm_mday, 1, true);
        break;
    case u'F':
        out.number(year, 4, noPad);
        out.unit(u'-');
        out.number(f.tm_mon + 1, 2, noPad);
        out.unit(u'-');
        out.number(f.tm_mday, 2, noPad);
        break;
    case u'H': out.number(f.tm_hour, 2, noPad); break;
    case u'I': out.number(hour12, 2, noPad); break;
    case u'j': out.number(f.tm_yday + 1, 3, noPad); break;
    case u'm': out.number(f.tm_mon + 1, 2, noPad); break;
    case u'M': out.number(f.tm_min, 2, noPad); break;
    case u'n': out.unit(u'\n'); break;
    case u'p': out.ascii(f.tm_hour < 12 ? "AM" : "PM"); break;
    case u'R':
        out.number(f.tm_hour, 2, noPad);
        out.unit(u':');
        out.number(f.tm_min, 2, noPad);
        break;
    case u'S': out.number(f.tm_sec, 2, noPad); break;
    case u't': out.unit(u'\t'); break;
    case u'T':
    case u'X':
        out.number(f.tm_hour, 2, noPad);
        out.unit(u':');
        out.number(f.tm_min, 2, noPad);
        out.unit(u':');
        out.number(f.tm_sec, 2, noPad);
        break;
    case u'u': out.number(weekday == 0 ? 7 : weekday, 1, noPad); break;
    case u'U': out.number((f.tm_yday + 7 - weekday) / 7, 2, noPad); break;
    case u'w': out.number(weekday, 1, noPad); break;
    case u'W': out.number((f.tm_yday + 7 - (weekday + 6) % 7) / 7, 2, noPad); break;
    case u'y': out.number(floorMod(year, 100), 2, noPad); break;
    case u'Y': out.number(year, 4, noPad); break;
    case u'%': out.unit(u'%'); break;
    default: return false;
    }
    return true;
}

}  // namespace

// Counted in 400-year eras, so that any year works without a table.
int64_t daysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2;
    const int64_t era = floorDiv(year, 400);
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void civilFromDays(int64_t days, int64_t& year, int64_t& month, int64_t& day) {
    days += 719468;
    const int64_t era = floorDiv(days, 146097);
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // 0 is March
    day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    year = yearOfEra + era * 400 + (month <= 2);
}


int64_t secondsFromFields(const std::tm& fields) {
    const int64_t month = fields.tm_mon;
    const int64_t year = 1900 + static_cast<int64_t>(fields.tm_year) + floorDiv(month, 12);
    const int64_t days = daysFromCivil(year, floorMod(month, 12) + 1, 1) + fields.tm_mday - 1;
    return days * kSecondsPerDay + static_cast<int64_t>(fields.tm_hour) * 3600 +
           static_cast<int64_t>(fields.tm_min) * 60 + fields.tm_sec;
}

std::tm fieldsFromSeconds(int64_t seconds) {
    const int64_t days = floorDiv(seconds, kSecondsPerDay);
    const int64_t inDay = seconds - days * kSecondsPerDay;
    int64_t year = 0, month = 0, day = 0;
    civilFromDays(days, year, month, day);
    std::tm fields{};
    fields.tm_year = static_cast<int>(year - 1900);
    fields.tm_mon = static_cast<int>(month - 1);
    fields.tm_mday = static_cast<int>(day);
    fields.tm_hour = static_cast<int>(inDay / 3600);
    fields.tm_min = static_cast<int>(inDay % 3600 / 60);
    fields.tm_sec = static_cast<int>(inDay % 60);
    fields.tm_wday = static_cast<int>(floorMod(days + 4, 7));  // 1970-01-01 was a Thursday
    fields.tm_yday = static_cast<int>(days - daysFromCivil(year, 1, 1));
    fields.tm_isdst = 0;
    return fields;
}

bool formatFields(const std::tm& fields, const char16_t* pattern, unsigned patternLength,
                  unsigned maxUnits, String& out) {
    out.clear();
    Output text(maxUnits);
    for (unsigned i = 0; i < patternLength && !text.overflow(); ++i) {
        if (pattern[i] != u'%') {
            text.unit(pattern[i]);
            continue;
        }
        bool noPad = false;
        if (i + 1 < patternLength && pattern[i + 1] == u'#') {
            noPad = true;
            ++i;
        }
        if (i + 1 >= patternLength || !directive(pattern[i + 1], noPad, fields, text)) return false;
        ++i;
    }
    if (text.overflow()) return false;
    out = text.text();
    return true;
}

}  // namespace calendar
}  // namespace kiv
