#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "kiv/calendar_kiv.h"
#include "check_recorder.h"
#include "kiv/stringc_kiv.h"
#include "kiv/time_kiv.h"
#include "os_kiv.h"
#include "shared/zone_test.h"

namespace {

const char16_t* const kFilePattern = u"%Y-%m-%d %H-%M-%S";  // the per-day file's record
const char16_t* const kDayPattern = u"%Y-%m-%d.xml";        // the per-day file's name

std::string utf8(const kiv::String& text) {
    kiv::String bytes = kiv::stringC().wstrToUtf8(text);
    return std::string(bytes.str(), bytes.length());
}

kiv::String wide(const std::string& text) {
    return kiv::stringC().utf8ToWStr(kiv::String(text.c_str(), static_cast<int>(text.size())));
}

using test::ZoneTest;

// --- TimeCount -------------------------------------------------------------------------

TEST(TimeCount, DurationText) {
    const struct {
        uint32_t seconds;
        const char* text;
    } cases[] = {
        {0, "0 seconds"},
        {1, "1 seconds"},
        {59, "59 seconds"},
        {60, "1 minutes"},
        {299, "4 minutes,59 seconds"},
        {3600, "1 hours"},
        {3660, "1 hours,1 minutes"},
        {3601, "1 hours,1 seconds"},
        {86400, "1 days"},
        {86401, "1 days,1 seconds"},
        {86460, "1 days,1 minutes"},
        {90061, "1 days,1 hours,1 minutes,1 seconds"},
        {UINT32_MAX, "49710 days,6 hours,28 minutes,15 seconds"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8(kiv::TimeCount(c.seconds).durationText()), c.text) << c.seconds;
    }
}

TEST(TimeCount, SplitWritesOnlyTheGivenOutputs) {
    const uint32_t untouched = 12345;
    // 2 days, 3 hours, 4 minutes, 5 seconds
    const kiv::TimeCount count(2 * 86400 + 3 * 3600 + 4 * 60 + 5);
    const struct {
        bool days, hours, minutes, seconds;
    } masks[] = {
        {true, true, true, true}, {false, true, false, true}, {true, false, true, false},
        {false, false, false, true}, {false, false, false, false},
    };
    for (const auto& m : masks) {
        uint32_t d = untouched, h = untouched, mi = untouched, s = untouched;
        count.split(m.days ? &d : nullptr, m.hours ? &h : nullptr, m.minutes ? &mi : nullptr,
                    m.seconds ? &s : nullptr);
        EXPECT_EQ(d, m.days ? 2u : untouched);
        EXPECT_EQ(h, m.hours ? 3u : untouched);
        EXPECT_EQ(mi, m.minutes ? 4u : untouched);
        EXPECT_EQ(s, m.seconds ? 5u : untouched);
    }
}

TEST(TimeCount, Arithmetic) {
    kiv::TimeCount t;
    EXPECT_EQ(t.size(), 0u);
    EXPECT_EQ(&++t, &t);  // the tick returns the counter itself
    EXPECT_EQ(t.size(), 1u);
    t += kiv::TimeCount(299);
    EXPECT_EQ(t.size(), 300u);
    t = 3120u;
    EXPECT_EQ(t.size(), 3120u);

    kiv::TimeCount wrap(UINT32_MAX);
    wrap += kiv::TimeCount(2);
    EXPECT_EQ(wrap.size(), 1u);

    EXPECT_EQ((kiv::TimeCount(480) - kiv::TimeCount(479)).size(), 1u);
    EXPECT_EQ((kiv::TimeCount(480) - kiv::TimeCount(480)).size(), 0u);
    // A longer subtrahend would wrap to 136 years; it gives 0.
    EXPECT_EQ((kiv::TimeCount(10) - kiv::TimeCount(11)).size(), 0u);
}

// --- Parsing ---------------------------------------------------------------------------

TEST(TimeParse, FieldsByPattern) {
    const struct {
        const char* text;
        const char* pattern;
        int year, month, day, hour, minute, second;
    } cases[] = {
        {"2020-03-07 14-58-51", "%Y-%m-%d %H-%M-%S", 120, 2, 7, 14, 58, 51},
        {"2020-03-07", "%Y-%m-%d", 120, 2, 7, 0, 0, 0},  // date only: midnight
        {"2020-03-07.xml", "%Y-%m-%d.xml", 120, 2, 7, 0, 0, 0},
        // Empty text: %Y reads an empty run (0), then the "-" does not match.
        {"", "%Y-%m-%d %H-%M-%S", -1900, 0, 0, 0, 0, 0},
        // A "/" where the text has "-": stops there, month 0 (January) and the rest stay 0.
        {"2020-03-07 14-58-51", "%Y/%m/%d %H-%M-%S", 120, 0, 0, 0, 0, 0},
        // Unknown directive: stops there.
        {"2020-03-07 14-58-51", "%Y-%m-%d %H-%q-%S", 120, 2, 7, 14, 0, 0},
        {"2020-03-07", "%Y-%m-%Q", 120, 2, 0, 0, 0, 0},
        // Text shorter than the pattern: the rest stays 0.
        {"12:30", "%H:%M:%S", 0, 0, 0, 12, 30, 0},
        {"50%x7", "%d%%x%H", 0, 0, 50, 7, 0, 0},
        {"50x7", "%d%%x%H", 0, 0, 50, 0, 0, 0},
        {"0007", "%S", 0, 0, 0, 0, 0, 7},
        {"x", "%Y", -1900, 0, 0, 0, 0, 0},
        {"2020", "%Y%", 120, 0, 0, 0, 0, 0},  // a lone "%" at the end
        // Digit runs past the 32-bit range stay at the largest int, not a wrapped value.
        {"99999999999", "%Y", INT_MAX - 1900, 0, 0, 0, 0, 0},
        {"4294967296", "%d", 0, 0, INT_MAX, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const std::tm f = kiv::getTmFromStr(wide(c.text), wide(c.pattern));
        SCOPED_TRACE(std::string(c.text) + " | " + c.pattern);
        EXPECT_EQ(f.tm_year, c.year);
        EXPECT_EQ(f.tm_mon, c.month);
        EXPECT_EQ(f.tm_mday, c.day);
        EXPECT_EQ(f.tm_hour, c.hour);
        EXPECT_EQ(f.tm_min, c.minute);
        EXPECT_EQ(f.tm_sec, c.second);
        EXPECT_EQ(f.tm_wday, 0);
        EXPECT_EQ(f.tm_yday, 0);
        EXPECT_EQ(f.tm_isdst, 0);
    }
}

TEST(TimeParse, NarrowTextGivesZeroFields) {
    const std::tm f = kiv::getTmFromStr(kiv::String("2020-03-07"), kiv::String(u"%Y-%m-%d"));
    EXPECT_EQ(f.tm_year, 0);
    EXPECT_EQ(f.tm_mday, 0);
}

// --- Reading a time from text ----------------------------------------------------------

using TimeUtc = ZoneTest;

TEST_F(TimeUtc, ReadRangeAndNormalisation) {
    const struct {
        const char* text;
        const char* pattern;
        int64_t value;
    } cases[] = {
        {"2020-03-07 14-58-51", "%Y-%m-%d %H-%M-%S", 1583593131},
        {"2020-03-07.xml", "%Y-%m-%d.xml", 1583539200},
        {"2020-03-07", "%Y-%m-%d", 1583539200},
        {"", "%Y-%m-%d %H-%M-%S", -1},  // year 0
        {"1970-01-01 00-00-00", "%Y-%m-%d %H-%M-%S", 0},
        {"1969-12-31 23-59-59", "%Y-%m-%d %H-%M-%S", -1},
        {"1969-06-01", "%Y-%m-%d", -1},
        {"3000-12-31 23-59-59", "%Y-%m-%d %H-%M-%S", kiv::Time::kMaxValue},
        {"3001-01-01 00-00-00", "%Y-%m-%d %H-%M-%S", -1},
        {"3001-06-01", "%Y-%m-%d", -1},
        {"99999999999-01-01", "%Y-%m-%d", -1},
        // Out-of-range fields roll over as mktime does.
        {"2020-03-00", "%Y-%m-%d", 1582934400},           // day 0: 2020-02-29
        {"2020-13-01", "%Y-%m-%d", 1609459200},           // month 13: 2021-01-01
        {"2021-00-10", "%Y-%m-%d", 1607558400},           // month 0: 2020-12-10
        {"2019-02-29", "%Y-%m-%d", 1551398400},           // 2019-03-01
        {"2020-12-31 24-00-00", "%Y-%m-%d %H-%M-%S", 1609459200},
        {"2020-12-31 23-59-60", "%Y-%m-%d %H-%M-%S", 1609459200},
        {"2020-12-32", "%Y-%m-%d", 1609459200},
        {"1970-01-01 00-00-99999", "%Y-%m-%d %H-%M-%S", 99999},
        // Rolled back over the start of the range.
        {"1970-01-00", "%Y-%m-%d", -1},
        {"3000-12-31 23-59-60", "%Y-%m-%d %H-%M-%S", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kiv::Time(wide(c.text), wide(c.pattern)).timeValue(), c.value)
            << c.text << " | " << c.pattern;
    }
}

// The calendar against a plain day-by-day count over the whole range: every day's fields
// read back as the same seconds, and the day after 1970-01-01 + n is n + 1.
TEST(Calendar, EveryDayOfTheRangeRoundTrips) {
    const int64_t lastDay = kiv::Time::kMaxValue / 86400;
    std::tm expected = kiv::calendar::fieldsFromSeconds(0);
    ASSERT_EQ(expected.tm_year, 70);
    ASSERT_EQ(expected.tm_wday, 4);  // a Thursday
    int failures = 0;
    for (int64_t day = 0; day <= lastDay && failures < 5; ++day) {
        const int64_t seconds = day * 86400 + 3723;  // 01:02:03
        const std::tm f = kiv::calendar::fieldsFromSeconds(seconds);
        const int64_t back = kiv::calendar::secondsFromFields(f);
        // One line per field set, so a failure shows which field broke.
        const auto line = [](const std::tm& t, int64_t secs) {
            char text[96];
            std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d wday %d yday %d -> %lld",
                          t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                          t.tm_wday, t.tm_yday, static_cast<long long>(secs));
            return std::string(text);
        };
        std::tm want = expected;
        want.tm_hour = 1;
        want.tm_min = 2;
        want.tm_sec = 3;
        want.tm_wday = static_cast<int>((day + 4) % 7);
        if (line(f, back) != line(want, seconds)) {
            ++failures;
            ADD_FAILURE() << "day " << day << "\n got  " << line(f, back) << "\n want " << line(want, seconds);
        }
        // Step the expected date by one day with the month lengths written out.
        static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const int year = expected.tm_year + 1900;
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        const int monthDays = kDays[expected.tm_mon] + (expected.tm_mon == 1 && leap);
        ++expected.tm_yday;
        if (++expected.tm_mday > monthDays) {
            expected.tm_mday = 1;
            if (++expected.tm_mon == 12) {
                expected.tm_mon = 0;
                ++expected.tm_year;
                expected.tm_yday = 0;
            }
        }
    }
    EXPECT_EQ(expected.tm_year, 1101);  // the day after the last is 3001-01-01
    EXPECT_EQ(expected.tm_mon, 0);
    EXPECT_EQ(expected.tm_mday, 1);
}

// --- Formatting ------------------------------------------------------------------------

TEST_F(TimeUtc, FormatRoundTripsThroughParse) {
    const kiv::Time known(1583593131);  // 2020-03-07 14:58:51, a Saturday
    EXPECT_EQ(utf8(known.format(kFilePattern)), "2020-03-07 14-58-51");
    EXPECT_EQ(utf8(known.format(kDayPattern)), "2020-03-07.xml");
    EXPECT_EQ(kiv::Time(known.format(kFilePattern), kFilePattern).timeValue(), known.timeValue());
    EXPECT_EQ(kiv::Time(known.format(kDayPattern), kDayPattern).timeValue(), 1583539200);
}

TEST_F(TimeUtc, FormatDirectives) {
    const kiv::Time known(1583593131);  // 2020-03-07 14:58:51, a Saturday, day 67
    const struct {
        const char* pattern;
        const char* text;
    } cases[] = {
        {"%y|%j|%%|%C", "20|067|%|20"},
        {"%a %A %b %h %B", "Sat Saturday Mar Mar March"},
        {"%I%p %w %u %U %W", "02PM 6 6 09 09"},
        {"%e|%#d|%#m|%#j", " 7|7|3|67"},
        {"%F %T", "2020-03-07 14:58:51"},
        {"%D %R", "03/07/20 14:58"},
        {"%c", "03/07/20 14:58:51"},
        {"%x|%X", "03/07/20|14:58:51"},
        {"a%nb%tc", "a\nb\tc"},
        {"", ""},
        {"no directives", "no directives"},
        {"%Q", ""},      // unknown directive
        {"%Y%", ""},     // a lone "%" at the end
        {"%#", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(utf8(known.format(wide(c.pattern))), c.text) << c.pattern;
    EXPECT_EQ(utf8(known.format(u"星期%w")), "星期6");
}

// Against the C library's strftime on its own UTC fields, across the whole range, for the
// directives both runtimes know alike.
TEST_F(TimeUtc, FormatMatchesTheCLibrary) {
    const char* pattern = "%Y-%m-%d %H:%M:%S %y %j %a %A %b %B %I %p %U %w %W %%";
    const kiv::String widePattern = wide(pattern);
    // The Windows runtime's time_t of this build stops in 2038.
    const int64_t last = sizeof(std::time_t) < 8 ? INT32_MAX : kiv::Time::kMaxValue;
    const int64_t step = last / 4999 + 7919;
    int failures = 0;
    for (int64_t t = 0; t <= last && failures < 5; t += step) {
        const std::time_t value = static_cast<std::time_t>(t);
        const std::tm* fields = std::gmtime(&value);
        ASSERT_NE(fields, nullptr) << t;
        char expected[256];
        ASSERT_GT(std::strftime(expected, sizeof expected, pattern, fields), 0u);
        const std::string actual = utf8(kiv::Time(t).format(widePattern));
        if (actual != expected) {
            ++failures;
            ADD_FAILURE() << t << ": " << actual << " != " << expected;
        }
    }
}

TEST_F(TimeUtc, FormatOutsideTheRangeIsEmpty) {
    const struct {
        int64_t value;
        const char* text;
    } cases[] = {
        {-1, ""},
        {INT64_MIN, ""},
        {0, "1970-01-01 00-00-00"},
        {kiv::Time::kMaxValue, "3000-12-31 23-59-59"},
        {kiv::Time::kMaxValue + 1, ""},
        {INT64_MAX, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(utf8(kiv::Time(c.value).format(kFilePattern)), c.text) << c.value;
    // A time that failed to read formats as nothing.
    EXPECT_TRUE(kiv::Time(u"1969-12-31", u"%Y-%m-%d").format(kFilePattern).isEmpty());
    EXPECT_TRUE(kiv::Time(u"3001-01-01", u"%Y-%m-%d").format(kFilePattern).isEmpty());
}

TEST_F(TimeUtc, FormattedTextMustFit127Units) {
    const kiv::Time known(1583593131);
    const struct {
        std::u16string pattern;
        unsigned length;  // 0: does not fit
    } cases[] = {
        {std::u16string(127, u'x'), 127},
        {std::u16string(128, u'x'), 0},
        {std::u16string(500, u'x'), 0},
        {std::u16string(123, u'x') + u"%Y", 127},
        {std::u16string(124, u'x') + u"%Y", 0},
        {std::u16string(126, u'x') + u"%%", 127},
        {std::u16string(120, u'x') + u"%A", 0},  // "Saturday" passes the end
    };
    for (const auto& c : cases) {
        const kiv::String text = known.format(kiv::String(c.pattern.c_str()));
        EXPECT_EQ(text.length(), c.length) << c.pattern.size();
    }
}

// --- Local time --------------------------------------------------------------------------

struct ZoneCase {
    const char* zone;
    const char* text;
    int64_t value;
};

// Reads each text in its zone and formats the time back to the same text.
void expectZoneCases(const ZoneCase* cases, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const ZoneCase& c = cases[i];
        kiv::os::setTimeZone(c.zone);
        const kiv::Time t(wide(c.text), kFilePattern);
        EXPECT_EQ(t.timeValue(), c.value) << c.zone << " " << c.text;
        if (c.value >= 0) {
            EXPECT_EQ(utf8(t.format(kFilePattern)), c.text) << c.zone;
        }
    }
}

TEST_F(ZoneTest, LocalTimeFollowsTheZone) {
    // Zones without summer time (with it, glibc treats far-future years by New York's rules).
    const ZoneCase cases[] = {
        {"CET-1", "2020-07-01 10-00-00", 1593594000},  // 09:00 UTC
        {"EST5", "2020-07-01 04-00-00", 1593594000},
        // The range is in UTC: these local texts lie inside or outside it by the zone.
        {"EST5", "1969-12-31 19-00-00", 0},
        {"CET-1", "1970-01-01 00-30-00", -1},
        {"CET-1", "3001-01-01 00-59-59", kiv::Time::kMaxValue},
        {"EST5", "3000-12-31 19-00-00", -1},
    };
    expectZoneCases(cases, sizeof cases / sizeof cases[0]);
}

// A summer time read with the daylight-saving flag 0 must still name that summer time, or
// the first start of a summer day would read back an hour late.
TEST_F(ZoneTest, SummerTimeReadsBackAsWritten) {
    kiv::os::setTimeZone("CET-1CEST");
    if (kiv::os::localOffset(1593590400) != 7200) {
        GTEST_SKIP() << "this runtime keeps no summer time for a zone set through TZ (Wine)";
    }
    const ZoneCase cases[] = {
        {"CET-1CEST", "2020-01-15 10-00-00", 1579078800},  // winter: 09:00 UTC
        {"CET-1CEST", "2020-07-01 10-00-00", 1593590400},  // summer: 08:00 UTC
        {"EST5EDT", "2020-01-15 04-00-00", 1579078800},
        {"EST5EDT", "2020-07-01 04-00-00", 1593590400},
    };
    expectZoneCases(cases, sizeof cases / sizeof cases[0]);
}

// --- Moving back and differences ---------------------------------------------------------

TEST(Time, MovingBackByTooMuchReportsAndGivesZero) {
    const struct {
        int64_t start;
        uint32_t back;
        int64_t result;
        bool reported;
    } cases[] = {
        {1583593131, 3600, 1583589531, false},
        {1000, 1000, 0, false},
        {1000, 1001, 0, true},
        {0, 1, 0, true},
        {-1, 1, 0, true},                       // a time that failed to read
        {(int64_t(1) << 32) + 5, 10, (int64_t(1) << 32) - 5, false},  // past 2106
    };
    for (const auto& c : cases) {
        kivtest::CheckRecorder checks;
        kiv::Time t(c.start);
        kiv::Time& self = (t -= kiv::TimeCount(c.back));
        EXPECT_EQ(&self, &t);
        EXPECT_EQ(t.timeValue(), c.result) << c.start << " - " << c.back;
        if (c.reported) {
            const kivtest::CheckEntry entry = checks.only();
            EXPECT_EQ(entry.expression, "(unsigned)m_property.dateTime >= ti.size()");
            EXPECT_EQ(entry.file, "src/base/time_kiv.cpp");
            EXPECT_EQ(entry.line, 405u);
        } else {
            EXPECT_TRUE(checks.entries().empty()) << c.start << " - " << c.back;
        }
    }
}

TEST(Time, DifferenceIsClampedAtZero) {
    const struct {
        int64_t t1, t2;
        uint32_t seconds;
    } cases[] = {
        {1583593131, 1583593131, 0},
        {1583593131, 1583593132, 0},  // earlier minus later
        {1583593132, 1583593131, 1},
        {1583593131, 0, 1583593131},
        {0, -1, 1},
        {kiv::Time::kMaxValue, 0, UINT32_MAX},  // more than 32 bits of seconds
    };
    for (const auto& c : cases) {
        EXPECT_EQ((kiv::Time(c.t1) - kiv::Time(c.t2)).size(), c.seconds) << c.t1 << " - " << c.t2;
    }
}

TEST(Time, ValuesAndCopies) {
    EXPECT_EQ(kiv::Time().timeValue(), 0);
    kiv::Time original(1583593131);
    kiv::Time copy(original);
    copy -= kiv::TimeCount(60);
    EXPECT_EQ(original.timeValue(), 1583593131);
    EXPECT_EQ(copy.timeValue(), 1583593071);
    original = copy;
    EXPECT_EQ(original.timeValue(), 1583593071);

    const int64_t before = kiv::os::now();
    const kiv::Time now = kiv::Time::now();
    const int64_t after = kiv::os::now();
    EXPECT_LE(before, now.timeValue());
    EXPECT_LE(now.timeValue(), after);
    EXPECT_EQ(kiv::Time::formatNow(u"%Y-%m-%d").length(), 10u);
}

}  // namespace
