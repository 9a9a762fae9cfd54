// Calendar arithmetic and strftime-style formatting for kiv::Time, done here rather than by
// the C library so that both builds give the same fields and texts for the same seconds.
#pragma once

#include <cstdint>
#include <ctime>

#include "kiv/string_kiv.h"

namespace kiv {
namespace calendar {

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12), and back; any year.
int64_t daysFromCivil(int64_t year, int64_t month, int64_t day);
void civilFromDays(int64_t days, int64_t& year, int64_t& month, int64_t& day);

// Seconds since 1970 of calendar fields read as UTC. Fields out of their ranges are
// normalised the way mktime does: day 0 is the last day of the previous month, month 12 is
// January of the next year, 25:00 is 01:00 of the next day. Weekday, day of year and the
// daylight-saving flag are ignored.
int64_t secondsFromFields(const std::tm& fields);

// UTC calendar fields of seconds since 1970, with weekday and day of year; tm_isdst is 0.
std::tm fieldsFromSeconds(int64_t seconds);

// Formats `fields` by a strftime-style pattern in the C locale. Knows %a %A %b %B %c %C %d
// %D %e %F %h %H %I %j %m %M %n %p %R %S %t %T %u %U %w %W %x %X %y %Y %% (a '#' after '%'
// drops the leading zeros of a number). False, with `out` empty, when the pattern holds
// another directive or the text would be longer than `maxUnits` units.
bool formatFields(const std::tm& fields, const char16_t* pattern, unsigned patternLength,
                  unsigned maxUnits, String& out);

}  // namespace calendar
}  // namespace kiv
