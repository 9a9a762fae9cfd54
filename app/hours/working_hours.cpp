#include "hours/working_hours.h"

#include <algorithm>

namespace hours {
namespace {

const char16_t* const kDayNames[kDaysInWeek] = {u"mon", u"tue", u"wed", u"thu", u"fri", u"sat", u"sun"};

// A cursor over the value; every reader moves past what it read only on success.
class Reader {
public:
    Reader(const char16_t* text, size_t length) : m_text(text), m_length(length) {}

    bool atEnd() const { return m_pos >= m_length; }
    char16_t peek() const { return atEnd() ? u'\0' : m_text[m_pos]; }
    void skipSpaces() {
        while (!atEnd() && (peek() == u' ' || peek() == u'\t')) ++m_pos;
    }
    bool take(char16_t c) {
        if (peek() != c || atEnd()) return false;
        ++m_pos;
        return true;
    }
    // One of the seven day names.
    bool day(int& out) {
        if (m_length - m_pos < 3) return false;
        for (int d = 0; d < kDaysInWeek; ++d) {
            if (std::equal(kDayNames[d], kDayNames[d] + 3, m_text + m_pos)) {
                m_pos += 3;
                out = d;
                return true;
            }
        }
        return false;
    }
    // "HH:MM", exactly two digits each; 00:00 to 24:00.
    bool time(int& out) {
        if (m_length - m_pos < 5 || m_text[m_pos + 2] != u':') return false;
        int digits[4];
        const size_t at[4] = {0, 1, 3, 4};
        for (int i = 0; i < 4; ++i) {
            const char16_t c = m_text[m_pos + at[i]];
            if (c < u'0' || c > u'9') return false;
            digits[i] = c - u'0';
        }
        const int h = digits[0] * 10 + digits[1];
        const int m = digits[2] * 10 + digits[3];
        if (m > 59 || h > 24 || (h == 24 && m != 0)) return false;
        m_pos += 5;
        out = h * 60 + m;
        return true;
    }
    bool isTimeStart() const { return peek() >= u'0' && peek() <= u'9'; }

private:
    const char16_t* m_text;
    size_t m_length;
    size_t m_pos = 0;
};

// Days: "mon", "mon-fri", "mon,wed,fri", "mon-wed,sat" (a span wraps: "sat-mon").
bool readDays(Reader& r, bool (&days)[kDaysInWeek]) {
    do {
        r.skipSpaces();
        int first = 0;
        if (!r.day(first)) return false;
        r.skipSpaces();
        int last = first;
        if (r.take(u'-')) {
            r.skipSpaces();
            if (!r.day(last)) return false;
            r.skipSpaces();
        }
        for (int d = first;; d = (d + 1) % kDaysInWeek) {
            days[d] = true;
            if (d == last) break;
        }
    } while (r.take(u','));
    return true;
}

bool readRange(Reader& r, Range& out) {
    if (!r.time(out.start)) return false;
    r.skipSpaces();
    if (!r.take(u'-')) return false;
    r.skipSpaces();
    if (!r.time(out.end)) return false;
    // 24:00 ends a range and never starts one; a range of no length means nothing.
    return out.start < kMinutesInDay && out.start != out.end;
}

bool readEntry(Reader& r, Schedule& schedule) {
    bool days[kDaysInWeek] = {};
    if (!readDays(r, days)) return false;
    std::vector<Range> ranges;
    while (true) {
        r.skipSpaces();
        if (!r.isTimeStart()) break;
        Range range;
        if (!readRange(r, range)) return false;
        ranges.push_back(range);
    }
    if (ranges.empty()) return false;
    for (int d = 0; d < kDaysInWeek; ++d)
        if (days[d]) schedule.days[d].insert(schedule.days[d].end(), ranges.begin(), ranges.end());
    return true;
}

// The covered minutes of the week as half-open intervals [start, end), end up to
// kMinutesInWeek + a day (a Sunday night range runs past the week's end).
struct Span {
    int start;
    int end;
};

std::vector<Span> spans(const Schedule& schedule) {
    std::vector<Span> out;
    for (int d = 0; d < kDaysInWeek; ++d)
        for (const Range& r : schedule.days[d]) out.push_back({d * kMinutesInDay + r.start, d * kMinutesInDay + r.start + r.length()});
    return out;
}

int weekMinuteOf(const LocalTime& t) { return t.weekday * kMinutesInDay + t.minute; }

int forward(int from, int to) { return ((to - from) % kMinutesInWeek + kMinutesInWeek) % kMinutesInWeek; }

void appendTime(std::u16string& out, int minutes) {
    const int h = minutes / 60, m = minutes % 60;
    out += static_cast<char16_t>(u'0' + h / 10);
    out += static_cast<char16_t>(u'0' + h % 10);
    out += u':';
    out += static_cast<char16_t>(u'0' + m / 10);
    out += static_cast<char16_t>(u'0' + m % 10);
}

}  // namespace

bool Schedule::operator==(const Schedule& o) const {
    if (set != o.set) return false;
    for (int d = 0; d < kDaysInWeek; ++d)
        if (days[d] != o.days[d]) return false;
    return true;
}

bool parse(const char16_t* text, size_t length, Schedule& out) {
    out = Schedule();
    if (length > kMaxValueLength) return false;
    Schedule schedule;
    Reader r(text, length);
    do {
        if (!readEntry(r, schedule)) return false;
        r.skipSpaces();
    } while (r.take(u';'));
    if (!r.atEnd()) return false;
    for (const std::vector<Range>& day : schedule.days)
        if (day.size() > kMaxRangesPerDay) return false;
    schedule.set = true;
    out = schedule;
    return true;
}

bool parse(const std::u16string& text, Schedule& out) { return parse(text.data(), text.size(), out); }

std::u16string format(const Schedule& schedule) {
    std::u16string out;
    if (!schedule.set) return out;
    bool done[kDaysInWeek] = {};
    for (int d = 0; d < kDaysInWeek; ++d) {
        if (done[d] || schedule.days[d].empty()) continue;
        // The days that share these ranges, as spans of neighbours joined by ','.
        bool same[kDaysInWeek] = {};
        for (int e = d; e < kDaysInWeek; ++e) same[e] = !done[e] && schedule.days[e] == schedule.days[d];
        if (!out.empty()) out += u"; ";
        bool firstPart = true;
        for (int e = d; e < kDaysInWeek;) {
            if (!same[e]) {
                ++e;
                continue;
            }
            int last = e;
            while (last + 1 < kDaysInWeek && same[last + 1]) ++last;
            if (!firstPart) out += u',';
            out += kDayNames[e];
            if (last > e) {
                out += u'-';
                out += kDayNames[last];
            }
            for (int k = e; k <= last; ++k) done[k] = true;
            firstPart = false;
            e = last + 1;
        }
        for (const Range& r : schedule.days[d]) {
            out += u' ';
            appendTime(out, r.start);
            out += u'-';
            appendTime(out, r.end);
        }
    }
    return out;
}

Coverage::Coverage(const Schedule& schedule) : m_set(schedule.set) {
    std::vector<Interval> parts;
    for (const Span& s : spans(schedule)) {
        // The part past the week's end belongs to its start.
        if (s.end <= kMinutesInWeek) {
            parts.push_back({s.start, s.end});
        } else {
            parts.push_back({s.start, kMinutesInWeek});
            parts.push_back({0, s.end - kMinutesInWeek});
        }
    }
    std::sort(parts.begin(), parts.end(), [](const Interval& a, const Interval& b) { return a.start < b.start; });
    for (const Interval& part : parts) {
        if (!m_intervals.empty() && part.start <= m_intervals.back().end)
            m_intervals.back().end = std::max(m_intervals.back().end, part.end);
        else
            m_intervals.push_back(part);
    }
}

bool Coverage::isInside(const LocalTime& t) const {
    if (!m_set) return true;
    const int now = weekMinuteOf(t);
    for (const Interval& i : m_intervals)
        if (now >= i.start && now < i.end) return true;
    return false;
}

int Coverage::minutesToChange(const LocalTime& t) const {
    if (!m_set || m_intervals.empty()) return -1;
    const int now = weekMinuteOf(t);
    const Interval& first = m_intervals.front();
    if (m_intervals.size() == 1 && first.start == 0 && first.end == kMinutesInWeek) return -1;  // the whole week
    for (const Interval& i : m_intervals) {
        if (now < i.start) return i.start - now;  // outside: the next range begins
        if (now < i.end) {
            // Inside: the block ends, or goes on over the week's end into Monday's first.
            if (i.end == kMinutesInWeek && first.start == 0) return kMinutesInWeek - now + first.end;
            return i.end - now;
        }
    }
    return forward(now, first.start);  // outside after the last: the first of next week
}

bool isInside(const Schedule& schedule, const LocalTime& t) { return Coverage(schedule).isInside(t); }

int minutesToChange(const Schedule& schedule, const LocalTime& t) { return Coverage(schedule).minutesToChange(t); }

int minutesToNextDaysStart(const Schedule& schedule, const LocalTime& t) {
    const int toMidnight = kMinutesInDay - t.minute;
    if (!schedule.set) return toMidnight;
    int best = -1;
    for (int d = 0; d < kDaysInWeek; ++d) {
        for (const Range& r : schedule.days[d]) {
            // Days ahead of today that this weekday falls on first (1..7).
            const int daysAhead = (d - t.weekday + kDaysInWeek - 1) % kDaysInWeek + 1;
            const int ahead = toMidnight + (daysAhead - 1) * kMinutesInDay + r.start;
            if (best < 0 || ahead < best) best = ahead;
        }
    }
    return best;
}

Check check(const Schedule& schedule) {
    for (int d = 0; d < kDaysInWeek; ++d) {
        for (size_t i = 0; i < schedule.days[d].size(); ++i) {
            const Range& r = schedule.days[d][i];
            const int index = static_cast<int>(i);
            if (r.start < 0 || r.start >= kMinutesInDay || r.end < 0 || r.end > kMinutesInDay)
                return {Problem::OutOfDay, d, index};
            if (r.start == r.end) return {Problem::Empty, d, index};
        }
    }
    // Any two ranges of the week, each also tried one week on (a Sunday night range
    // reaches into Monday).
    struct Placed {
        Span span;
        int day;
        int range;
    };
    std::vector<Placed> placed;
    for (int d = 0; d < kDaysInWeek; ++d)
        for (size_t i = 0; i < schedule.days[d].size(); ++i) {
            const Range& r = schedule.days[d][i];
            placed.push_back({{d * kMinutesInDay + r.start, d * kMinutesInDay + r.start + r.length()}, d, static_cast<int>(i)});
        }
    for (size_t a = 0; a < placed.size(); ++a) {
        for (size_t b = a + 1; b < placed.size(); ++b) {
            for (int shiftA : {0, kMinutesInWeek}) {
                for (int shiftB : {0, kMinutesInWeek}) {
                    const Span x{placed[a].span.start + shiftA, placed[a].span.end + shiftA};
                    const Span y{placed[b].span.start + shiftB, placed[b].span.end + shiftB};
                    if (x.start < y.end && y.start < x.end) return {Problem::Overlap, placed[b].day, placed[b].range};
                }
            }
        }
    }
    return {};
}

}  // namespace hours
