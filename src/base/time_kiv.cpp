// kiv::TimeCount and kiv::Time: durations as text, and local times read and written by
// pattern over the calendar of calendar_kiv.h (only the zone offset comes from the system).
#include "kiv/time_kiv.h"

#include <climits>

#include "kiv/calendar_kiv.h"
#include "kiv/debug_kiv.h"
#include "kiv/stringc_kiv.h"
#include "os_kiv.h"

namespace kiv {

namespace {

const char* const kFile = "src/base/time_kiv.cpp";

// Formatted times fit a buffer of 128 units, the terminator included.
const unsigned kMaxFormattedUnits = 127;

bool isInRange(int64_t dateTime) { return dateTime >= 0 && dateTime <= Time::kMaxValue; }

// The zone's offset at a moment, asked of the system only inside the valid range (a couple
// of days in from its ends, where every zone still has a calendar day to show).
int64_t zoneOffset(int64_t time) {
    const int64_t margin = 2 * 86400;
    if (time < margin) time = margin;
    if (time > Time::kMaxValue - margin) time = Time::kMaxValue - margin;
    return os::localOffset(time);
}

// Seconds since 1970 of local calendar fields, or -1 outside the valid range. Only the zone
// offset comes from the system; the second lookup settles times near a daylight-saving
// change, so that the fields of a summer time read back as the summer time they name.
int64_t makeLocalTime(const std::tm& fields) {
    const int64_t local = calendar::secondsFromFields(fields);
    // Further than a day from the range no zone can bring it back in.
    if (local < -86400 || local > Time::kMaxValue + 86400) return -1;
    int64_t utc = local - zoneOffset(local);
    utc = local - zoneOffset(utc);
    return isInRange(utc) ? utc : -1;
}

// A run of decimal digits at `pos`, moving `pos` behind it; an empty run is 0, and a run of
// any length stops growing at INT_MAX instead of overflowing the field.
int readNumber(const char16_t* text, unsigned length, unsigned& pos) {
    int64_t value = 0;
    for (; pos < length && text[pos] >= u'0' && text[pos] <= u'9'; ++pos) {
        value = value * 10 + (text[pos] - u'0');
        if (value > INT_MAX) value = INT_MAX;
    }
    return static_cast<int>(value);
}

}  // namespace

// --- TimeCount -------------------------------------------------------------------------

void TimeCount::split(uint32_t* days, uint32_t* hours, uint32_t* minutes, uint32_t* seconds) const {
    const uint32_t rest = m_seconds % 86400;
    if (days) *days = m_seconds / 86400;
    if (hours) *hours = rest / 3600;
    if (minutes) *minutes = rest % 3600 / 60;
    if (seconds) *seconds = rest % 60;
}

String TimeCount::durationText() const {
    uint32_t days = 0, hours = 0, minutes = 0, seconds = 0;
    split(&days, &hours, &minutes, &seconds);
    const StringC& c = stringC();
    String text;
    if (days > 0) text += c.format(u"%u days,", days);
    if (hours > 0) text += c.format(u"%u hours,", hours);
    if (minutes > 0) text += c.format(u"%u minutes,", minutes);
    if (seconds > 0) text += c.format(u"%u seconds", seconds);
    if (text.isEmpty()) return c.format(u"%u seconds", 0u);
    if (text.at(text.length() - 1) == u',') text.erase(static_cast<int>(text.length()) - 1, 1);
    return text;
}

TimeCount operator-(const TimeCount& a, const TimeCount& b) {
    return TimeCount(a.size() >= b.size() ? a.size() - b.size() : 0);
}

// --- Time ------------------------------------------------------------------------------

Time::Time(const String& text, const String& pattern) : m_property{0, 0} {
    std::tm fields = getTmFromStr(text, pattern);
    fields.tm_isdst = 0;
    m_property.dateTime = makeLocalTime(fields);
}

Time Time::now() { return Time(os::now()); }

Time& Time::operator-=(const TimeCount& ti) {
    // Compared in 64 bits: a time past 2106 or a failed (-1) time must not pass or fail by
    // its low 32 bits alone.
    const bool fits = m_property.dateTime >= 0 &&
                      static_cast<uint64_t>(m_property.dateTime) >= ti.size();
    if (!check(fits, "(unsigned)m_property.dateTime >= ti.size()", kFile, 405)) {
        m_property.dateTime = 0;
        m_property.reserved = 0;
        return *this;
    }
    m_property.dateTime -= ti.size();
    return *this;
}

String Time::format(const String& pattern) const {
    const int64_t dateTime = m_property.dateTime;
    if (!isInRange(dateTime) || !pattern.isWide()) return String();
    const std::tm fields = calendar::fieldsFromSeconds(dateTime + zoneOffset(dateTime));
    String text;
    calendar::formatFields(fields, pattern.wstr(), pattern.length(), kMaxFormattedUnits, text);
    return text;
}

String Time::formatNow(const String& pattern) { return now().format(pattern); }

TimeCount operator-(const Time& t1, const Time& t2) {
    if (t1.timeValue() < t2.timeValue()) return TimeCount(0);
    // Both in int64 range and t1 >= t2: the gap fits an unsigned 64-bit number.
    const uint64_t gap = static_cast<uint64_t>(t1.timeValue()) - static_cast<uint64_t>(t2.timeValue());
    return TimeCount(gap > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(gap));
}

// --- Parsing ---------------------------------------------------------------------------

std::tm getTmFromStr(const String& text, const String& pattern) {
    std::tm fields{};
    if (!text.isWide() || !pattern.isWide()) return fields;
    const char16_t* in = text.wstr();
    const unsigned inLength = text.length();
    const char16_t* p = pattern.wstr();
    const unsigned patternLength = pattern.length();
    unsigned pos = 0;
    for (unsigned i = 0; i < patternLength; ++i) {
        if (p[i] != u'%') {
            if (pos >= inLength || in[pos] != p[i]) break;
            ++pos;
            continue;
        }
        if (++i >= patternLength) break;  // a lone '%' at the end
        const char16_t letter = p[i];
        if (letter == u'%') {
            if (pos >= inLength || in[pos] != u'%') break;
            ++pos;
            continue;
        }
        int* field = nullptr;
        int offset = 0;
        switch (letter) {
        case u'Y': field = &fields.tm_year; offset = -1900; break;
        case u'm': field = &fields.tm_mon; offset = -1; break;
        case u'd': field = &fields.tm_mday; break;
        case u'H': field = &fields.tm_hour; break;
        case u'M': field = &fields.tm_min; break;
        case u'S': field = &fields.tm_sec; break;
        default: break;
        }
        if (!field) {
            log("[ERR][%s]: can not understand %%%c", "kiv::getTmFromStr",
                letter < 0x80 ? static_cast<int>(letter) : '?');
            break;
        }
        *field = readNumber(in, inLength, pos) + offset;
    }
    return fields;
}

}  // namespace kiv
