// kiv::TimeCount (a length of time in whole seconds) and kiv::Time (a point in time in
// seconds since 1970), with the pattern parser kiv::getTmFromStr.
#pragma once

#include <cstdint>
#include <ctime>

#include "kiv/object_kiv.h"
#include "kiv/string_kiv.h"

namespace kiv {

// A length of time in whole seconds (unsigned 32-bit). The scheduler adds one second per
// timer tick; the status window and the rest window show it as text.
class TimeCount : public Object {
public:
    TimeCount() = default;
    TimeCount(uint32_t seconds) : m_seconds(seconds) {}  // implicit: a number of seconds is a count
    TimeCount(const TimeCount& other) = default;
    TimeCount& operator=(const TimeCount& other) = default;
    TimeCount& operator=(uint32_t seconds) {
        m_seconds = seconds;
        return *this;
    }
    ~TimeCount() override = default;

    // Unsigned 32-bit addition (wraps like the counter it is).
    TimeCount& operator+=(const TimeCount& other) {
        m_seconds += other.m_seconds;
        return *this;
    }
    // One more second (one timer tick).
    TimeCount& operator++() {
        ++m_seconds;
        return *this;
    }

    uint32_t size() const { return m_seconds; }

    // Days, hours, minutes and seconds of the count; each output is written only when given.
    void split(uint32_t* days, uint32_t* hours, uint32_t* minutes, uint32_t* seconds) const;

    // "1 days,1 hours,1 minutes,1 seconds": zero parts left out, '0 seconds' for nothing.
    String durationText() const;

private:
    uint32_t m_seconds = 0;
};

// a - b, or 0 when b is the longer one (a wrapped difference would read as 136 years).
TimeCount operator-(const TimeCount& a, const TimeCount& b);

// A point in time: seconds since 1970-01-01 00:00:00 UTC. Times are read and written as
// local time with strftime-style patterns; the valid range is 1970-01-01 00:00:00 UTC to
// 3000-12-31 23:59:59 UTC, and a text outside it reads as -1.
class Time : public Object {
public:
    struct Property {
        int64_t dateTime;
        int32_t reserved;  // nothing reads it; kept 0
    };

    // The last representable second: 3000-12-31 23:59:59 UTC.
    static constexpr int64_t kMaxValue = 32535215999LL;

    Time() : m_property{0, 0} {}
    explicit Time(int64_t dateTime) : m_property{dateTime, 0} {}
    // Reads `text` with `pattern` (see getTmFromStr) as local time; -1 when the fields lie
    // outside the valid range.
    Time(const String& text, const String& pattern);
    Time(const Time& other) = default;
    Time& operator=(const Time& other) = default;
    ~Time() override = default;

    static Time now();

    // Moves the time back by `ti`. A count larger than the time reports a failed check and
    // leaves the time at 0.
    Time& operator-=(const TimeCount& ti);

    int64_t timeValue() const { return m_property.dateTime; }

    // The time as local-time text; empty when the time is outside the valid range, the pattern
    // holds a directive this formatter does not know, or the text would pass 127 units.
    String format(const String& pattern) const;
    static String formatNow(const String& pattern);

private:
    Property m_property;
};

// The seconds from t2 to t1; 0 when t1 is earlier (the status window asks every second and
// must never see a wrapped count). A gap above the 32-bit range gives the largest count.
TimeCount operator-(const Time& t1, const Time& t2);

// Reads calendar fields from `text` by `pattern`: %Y %m %d %H %M %S read a run of decimal
// digits (an empty run reads as 0), %% and other pattern characters must match the text
// exactly. Parsing stops at the first mismatch or unknown directive, and the fields read so
// far are returned; the others stay 0 (so an empty text gives tm_year -1900).
std::tm getTmFromStr(const String& text, const String& pattern);

}  // namespace kiv
