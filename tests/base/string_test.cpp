// kiv::String: block layout, copy-on-write for every mutator, the precondition reports,
// searching and cutting, replacing, formatting.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "check_recorder.h"
#include "kiv/string_kiv.h"
#include "stringblock_kiv.h"

namespace {

using kiv::String;

const char kFile[] = "src/base/string_kiv.cpp";

// The five header words as they lie in front of the first unit.
struct Words {
    uint32_t unitSize, length, capacity, refCount, flags;
};

Words headerOf(const String& s) {
    uint32_t w[5];
    std::memcpy(w, s.str() - sizeof w, sizeof w);
    return {w[0], w[1], w[2], w[3], w[4]};
}

uint32_t ruleCapacity(uint32_t length) { return (length & ~7u) + 8; }

std::u16string units(const String& s) {
    std::u16string out;
    for (unsigned i = 0; i < s.length(); ++i) out.push_back(static_cast<char16_t>(s.at(i)));
    return out;
}

// The terminator is there and the header agrees with the accessors.
void expectWellFormed(const String& s, const char* where) {
    SCOPED_TRACE(where);
    Words h = headerOf(s);
    EXPECT_EQ(h.unitSize, s.unitSize());
    EXPECT_EQ(h.length, s.length());
    EXPECT_EQ(h.capacity, s.capacity());
    EXPECT_GT(h.capacity, h.length);
    EXPECT_EQ(h.capacity % 8, 0u);
    EXPECT_EQ(h.flags, 0u) << "the writing bit must be cleared when an operation is done";
    if (s.isWide()) {
        EXPECT_EQ(s.wstr()[s.length()], u'\0');
    } else {
        EXPECT_EQ(s.str()[s.length()], '\0');
    }
}

// ---- layout -------------------------------------------------------------------------------

TEST(StringBlock, NewBlocksFollowTheCapacityRule) {
    // The length rounded down to a multiple of 8, plus 8: written out, not computed.
    const struct {
        unsigned length;
        unsigned capacity;
    } cases[] = {{1, 8}, {7, 8}, {8, 16}, {9, 16}, {15, 16}, {16, 24}, {17, 24}, {100, 104}, {1000, 1008}};
    for (const auto& c : cases) {
        const unsigned n = c.length;
        SCOPED_TRACE(n);
        String wide(n, u'w', String::kWide);
        String narrow(n, 'n', String::kNarrow);
        for (const String* s : {&wide, &narrow}) {
            Words h = headerOf(*s);
            EXPECT_EQ(h.length, n);
            EXPECT_EQ(h.capacity, c.capacity);
            EXPECT_EQ(h.refCount, 1u);
            EXPECT_EQ(h.flags, 0u);
            expectWellFormed(*s, "new");
        }
        EXPECT_EQ(headerOf(wide).unitSize, 2u);
        EXPECT_EQ(headerOf(narrow).unitSize, 1u);
        EXPECT_EQ(wide.at(n - 1), u'w');
        EXPECT_EQ(narrow.at(n - 1), static_cast<unsigned>('n'));
    }
}

TEST(StringBlock, EmptyStringsKnowTheirUnitSize) {
    String wide;
    String narrow("");
    EXPECT_TRUE(wide.isEmpty());
    EXPECT_TRUE(wide.isWide());
    EXPECT_FALSE(narrow.isWide());
    EXPECT_EQ(wide.wstr()[0], u'\0');
    EXPECT_EQ(narrow.str()[0], '\0');
    EXPECT_EQ(wide.capacity(), 8u);
    EXPECT_EQ(String(u"abc", 0).length(), 0u);
    EXPECT_EQ(String(static_cast<const char16_t*>(nullptr)).length(), 0u);
}

TEST(StringBlock, LengthIsTakenAsGivenOrMeasured) {
    String measured(u"abc");
    String cut(u"abcdef", 2);
    String withZero(u"a\0b", 3);
    EXPECT_EQ(units(measured), u"abc");
    EXPECT_EQ(units(cut), u"ab");
    EXPECT_EQ(withZero.length(), 3u);
    EXPECT_EQ(withZero.at(1), 0u);
    EXPECT_EQ(withZero.at(2), static_cast<unsigned>(u'b'));
    EXPECT_EQ(withZero.at(3), 0u);
    EXPECT_EQ(withZero.at(1000), 0u);
    EXPECT_EQ(String("bytes", 3).length(), 3u);
}

TEST(StringBlock, AppendingGrowsCapacityInStepsOfEightInPlaceWhenUnshared) {
    String s;
    const char16_t* before = nullptr;
    for (unsigned n = 1; n <= 64; ++n) {
        s.append(static_cast<unsigned>(u'a' + n % 26));
        ASSERT_EQ(s.length(), n);
        EXPECT_EQ(s.capacity(), ruleCapacity(n)) << n;
        // Within the capacity the units stay where they are.
        if (n % 8 != 0 && n > 1) {
            EXPECT_EQ(s.wstr(), before) << n;
        }
        before = s.wstr();
    }
    expectWellFormed(s, "after growth");
}

TEST(StringBlock, CopiesShareUntilOneIsWritten) {
    String a(u"shared text");
    {
        String b(a);
        String c;
        c = a;
        EXPECT_TRUE(b.isSharedWith(a));
        EXPECT_TRUE(c.isSharedWith(a));
        EXPECT_EQ(a.refCount(), 3u);
        EXPECT_EQ(headerOf(a).refCount, 3u);
        b.append(u'!');
        EXPECT_FALSE(b.isSharedWith(a));
        EXPECT_EQ(a.refCount(), 2u);
        EXPECT_EQ(b.refCount(), 1u);
    }
    EXPECT_EQ(a.refCount(), 1u);
    String moved(std::move(a));
    EXPECT_EQ(units(moved), u"shared text");
    EXPECT_EQ(moved.refCount(), 1u);
}

TEST(StringBlock, SelfAssignmentKeepsTheText) {
    String a(u"self");
    const String& alias = a;
    a = alias;
    EXPECT_EQ(units(a), u"self");
    EXPECT_EQ(a.refCount(), 1u);
}

// ---- copy-on-write for every mutator ----------------------------------------------------

struct Mutation {
    const char* name;
    std::function<void(String&)> apply;
    std::u16string expected;
};

std::vector<Mutation> wideMutations() {
    return {
        {"append unit", [](String& s) { s.append(u'!'); }, u"hello world!"},
        {"append wide text", [](String& s) { s.append(u"!?"); }, u"hello world!?"},
        {"append wide text with length", [](String& s) { s.append(u"!?#", 1); }, u"hello world!"},
        {"append narrow text", [](String& s) { s.append("ok"); }, u"hello worldok"},
        {"append string", [](String& s) { s.append(String(u" again")); }, u"hello world again"},
        {"operator+= string", [](String& s) { s += String(u"+"); }, u"hello world+"},
        {"operator+= text", [](String& s) { s += u"+"; }, u"hello world+"},
        {"operator+= unit", [](String& s) { s += u'+'; }, u"hello world+"},
        {"assign wide", [](String& s) { s.assign(u"new"); }, u"new"},
        {"assign wide with length", [](String& s) { s.assign(u"newer", 3); }, u"new"},
        {"operator= text", [](String& s) { s = u"other"; }, u"other"},
        {"operator= unit", [](String& s) { s = u'x'; }, u"x"},
        {"replace", [](String& s) { s.replace(0, 5, u"HELLO"); }, u"HELLO world"},
        {"replace growing", [](String& s) { s.replace(6, 5, u"everybody"); }, u"hello everybody"},
        {"replace shrinking", [](String& s) { s.replace(1, 9, u""); }, u"hd"},
        {"erase middle", [](String& s) { s.erase(5, 1); }, u"helloworld"},
        {"erase to end", [](String& s) { s.erase(5); }, u"hello"},
        {"replaceAll", [](String& s) { s.replaceAll(u"o", u"0"); }, u"hell0 w0rld"},
        {"format wide", [](String& s) { s.format(u"%d-%s", 42, u"x"); }, u"42-x"},
        {"clear", [](String& s) { s.clear(); }, u""},
    };
}

TEST(StringCopyOnWrite, EveryMutatorLeavesTheOtherCopyAlone) {
    for (const Mutation& m : wideMutations()) {
        SCOPED_TRACE(m.name);
        for (bool mutateCopy : {true, false}) {
            String original(u"hello world");
            String copy(original);
            String& written = mutateCopy ? copy : original;
            const String& kept = mutateCopy ? original : copy;
            m.apply(written);
            EXPECT_EQ(units(written), m.expected);
            EXPECT_EQ(units(kept), u"hello world");
            EXPECT_TRUE(kept.isWide());
            EXPECT_FALSE(written.isSharedWith(kept));
            EXPECT_EQ(kept.refCount(), 1u);
            if (!written.isEmpty()) {
                EXPECT_EQ(written.refCount(), 1u);
            }
            expectWellFormed(kept, "kept");
            expectWellFormed(written, "written");
        }
    }
}

TEST(StringCopyOnWrite, MutatorsOnAnUnsharedStringGiveTheSameText) {
    for (const Mutation& m : wideMutations()) {
        SCOPED_TRACE(m.name);
        String s(u"hello world");
        m.apply(s);
        EXPECT_EQ(units(s), m.expected);
        EXPECT_EQ(s.refCount(), 1u);
        expectWellFormed(s, "unshared");
    }
}

TEST(StringCopyOnWrite, NarrowMutatorsLeaveTheOtherCopyAlone) {
    struct NarrowMutation {
        const char* name;
        std::function<void(String&)> apply;
        std::string expected;
        unsigned unitSize;
    };
    const std::vector<NarrowMutation> mutations = {
        {"append unit", [](String& s) { s.append('!'); }, "bytes!", 1},
        {"append narrow", [](String& s) { s.append("++"); }, "bytes++", 1},
        {"operator+= narrow", [](String& s) { s += "+"; }, "bytes+", 1},
        {"assign narrow", [](String& s) { s.assign("new"); }, "new", 1},
        {"operator= narrow", [](String& s) { s = "xy"; }, "xy", 1},
        {"erase", [](String& s) { s.erase(0, 2); }, "tes", 1},
        {"format narrow", [](String& s) { s.format("%s=%03d", "n", 7); }, "n=007", 1},
        {"clear", [](String& s) { s.clear(); }, "", 1},
        {"assign wide", [](String& s) { s.assign(u"wide"); }, "wide", 2},
        {"format wide", [](String& s) { s.format(u"%d", 5); }, "5", 2},
    };
    for (const NarrowMutation& m : mutations) {
        SCOPED_TRACE(m.name);
        String original("bytes");
        String copy(original);
        m.apply(copy);
        EXPECT_EQ(copy.unitSize(), m.unitSize);
        std::string got;
        for (unsigned i = 0; i < copy.length(); ++i) got.push_back(static_cast<char>(copy.at(i)));
        EXPECT_EQ(got, m.expected);
        EXPECT_STREQ(original.str(), "bytes");
        EXPECT_FALSE(original.isWide());
        EXPECT_EQ(original.refCount(), 1u);
        expectWellFormed(original, "kept");
        expectWellFormed(copy, "written");
    }
}

TEST(StringCopyOnWrite, DetachedBlockHasTheCapacityOfItsNewLength) {
    String original(40, u'a', String::kWide);
    String copy(original);
    copy.erase(3);
    EXPECT_EQ(copy.capacity(), ruleCapacity(3));
    EXPECT_EQ(original.capacity(), ruleCapacity(40));
}

TEST(StringCopyOnWrite, TextFromTheStringItselfIsReadBeforeTheWrite) {
    String s(u"abcdefgh");  // 8 units: the next write reallocates
    s.append(s);
    EXPECT_EQ(units(s), u"abcdefghabcdefgh");
    s.append(s.wstr() + 14);
    EXPECT_EQ(units(s), u"abcdefghabcdefghgh");
    s.assign(s.wstr() + 16);
    EXPECT_EQ(units(s), u"gh");
    String t(u"xyz");
    t.replace(1, 1, t.wstr());
    EXPECT_EQ(units(t), u"xxyzz");
    String u(u"a-b");
    u.replaceAll(u"-", u.wstr());
    EXPECT_EQ(units(u), u"aa-bb");
    expectWellFormed(s, "s");
    expectWellFormed(t, "t");
}

TEST(StringCopyOnWrite, CopiesMadeAndDroppedOnManyThreadsKeepTheCountRight) {
    String shared(u"one block for all threads");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&shared, t] {
            for (int i = 0; i < 2000; ++i) {
                String copy(shared);
                if (i % 3 == 0) copy.append(static_cast<unsigned>(u'0' + t));
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(shared.refCount(), 1u);
    EXPECT_EQ(units(shared), u"one block for all threads");
}

// ---- precondition reports -----------------------------------------------------------------

TEST(StringChecks, ReplaceOrErasePastTheEndReportsAndLeavesTheString) {
    struct Case {
        const char* name;
        const char16_t* text;
        std::function<void(String&)> apply;
        unsigned line;
    };
    const std::vector<Case> cases = {
        {"replace at length", u"abc", [](String& s) { s.replace(3, 1, u"x"); }, 706},
        {"replace far past", u"abc", [](String& s) { s.replace(50, 0, u"x"); }, 706},
        {"replace negative", u"abc", [](String& s) { s.replace(-1, 1, u"x"); }, 706},
        {"replace empty at 1", u"", [](String& s) { s.replace(1, 0, u"x"); }, 706},
        {"erase at length", u"abc", [](String& s) { s.erase(3); }, 1044},
        {"erase far past", u"abc", [](String& s) { s.erase(99, 1); }, 1044},
        {"erase negative", u"abc", [](String& s) { s.erase(-2); }, 1044},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kivtest::CheckRecorder checks;
        String s(c.text);
        String copy(s);
        c.apply(s);
        kivtest::CheckEntry report = checks.only();
        EXPECT_EQ(report.expression, "0");
        EXPECT_EQ(report.file, kFile);
        EXPECT_EQ(report.line, c.line);
        EXPECT_EQ(units(s), std::u16string(c.text));
        EXPECT_TRUE(s.isSharedWith(copy)) << "a refused write must not detach";
    }
}

TEST(StringChecks, RangesThatRunPastTheEndAreCutWithoutAReport) {
    kivtest::CheckRecorder checks;
    String a(u"abcdef");
    a.replace(4, 100, u"XY");
    EXPECT_EQ(units(a), u"abcdXY");
    a.replace(5, -1, u"Z");
    EXPECT_EQ(units(a), u"abcdXZ");
    a.erase(2, 1000);
    EXPECT_EQ(units(a), u"ab");
    a.erase(1, 0);
    EXPECT_EQ(units(a), u"ab");
    String empty;
    empty.erase(0);
    EXPECT_TRUE(empty.isEmpty());
    empty.replace(0, 5, u"inserted");
    EXPECT_EQ(units(empty), u"inserted");
    EXPECT_TRUE(checks.entries().empty());
}

TEST(StringChecks, CountAtItsLimitReportsAndGivesACopyOfItsOwn) {
    String full(u"counted");
    std::atomic<uint32_t>& count = kiv::stringBlockOf(full)->refCount;
    count.store(0xFFFFFFFFu);
    {
        kivtest::CheckRecorder checks;
        String copy(full);
        kivtest::CheckEntry report = checks.only();
        EXPECT_EQ(report.expression, "refer <uintc(-1)");
        EXPECT_EQ(report.file, kFile);
        EXPECT_EQ(report.line, 105u);
        // Sharing would wrap the count to 0; the copy holds its own block instead.
        EXPECT_FALSE(copy.isSharedWith(full));
        EXPECT_EQ(units(copy), u"counted");
        EXPECT_EQ(copy.refCount(), 1u);
        EXPECT_EQ(count.load(), 0xFFFFFFFFu);
        expectWellFormed(copy, "copy");
    }
    count.store(1);
}

// ---- comparing, searching, cutting --------------------------------------------------------

TEST(StringCompare, OrdinalByUnsignedUnitValue) {
    struct Case {
        const char16_t* a;
        const char16_t* b;
        int expected;
    };
    const Case cases[] = {
        {u"", u"", 0},         {u"abc", u"abc", 0},       {u"abc", u"abd", -1},
        {u"abd", u"abc", 1},   {u"ab", u"abc", -1},       {u"abc", u"ab", 1},
        {u"", u"a", -1},       {u"\xFFFF", u"a", 1},      {u"a\xFFFF", u"ab", 1},
        {u"B", u"a", -1},      {u"\x4F11", u"\x4F10", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        EXPECT_EQ(String(c.a).compare(c.b), c.expected);
        EXPECT_EQ(String(c.a).compare(String(c.b)), c.expected);
        EXPECT_EQ(String(c.a) == String(c.b), c.expected == 0);
        EXPECT_EQ(String(c.a) == c.b, c.expected == 0);
        EXPECT_EQ(String(c.a) != c.b, c.expected != 0);
        EXPECT_EQ(String(c.a) < String(c.b), c.expected < 0);
    }
}

TEST(StringCompare, EmbeddedZeroCountsInEquality) {
    EXPECT_NE(String(u"a\0b", 3), String(u"a"));
    EXPECT_EQ(String(u"a\0b", 3), String(u"a\0b", 3));
}

TEST(StringFind, ForwardAndBackwardRules) {
    struct Case {
        const char16_t* text;
        const char16_t* pattern;
        int from;
        int find;
        int rfind;
    };
    const Case cases[] = {
        // empty pattern: find gives `from` up to the length; rfind the smaller of from and length
        {u"abc", u"", 0, 0, 0},
        {u"abc", u"", 3, 3, 3},
        {u"abc", u"", 4, -1, 3},
        {u"abc", u"", -1, -1, 3},
        {u"", u"", 0, 0, 0},
        // ordinary hits and misses
        {u"abcabc", u"bc", 0, 1, -1},
        {u"abcabc", u"bc", 1, 1, 1},
        {u"abcabc", u"bc", 2, 4, 1},
        {u"abcabc", u"bc", -1, -1, 4},
        {u"abcabc", u"bc", 4, 4, 4},
        {u"abcabc", u"bc", 5, -1, 4},
        {u"abcabc", u"abcabc", 0, 0, 0},
        {u"abcabc", u"abcabcd", 0, -1, -1},
        {u"abc", u"c", 2, 2, 2},
        {u"abc", u"c", 3, -1, 2},
        {u"aaa", u"aa", 0, 0, 0},
        {u"aaa", u"aa", -1, -1, 1},
        {u"abab", u"abx", 0, -1, -1},
        {u"", u"a", 0, -1, -1},
        {u"x\xD83D\xDE00y", u"\xDE00", 0, 2, -1},
        {u"x\xD83D\xDE00y", u"\xDE00", 2, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        String s(c.text);
        EXPECT_EQ(s.find(c.pattern, c.from), c.find);
        EXPECT_EQ(s.rfind(c.pattern, c.from), c.rfind);
        if (std::char_traits<char16_t>::length(c.pattern) == 1) {
            EXPECT_EQ(s.find(c.pattern[0], c.from), c.find);
            EXPECT_EQ(s.rfind(c.pattern[0], c.from), c.rfind);
        }
    }
    EXPECT_EQ(String(u"a.b.c").rfind(u'.'), 3);
    EXPECT_EQ(String(u"a.b.c").find(u'.'), 1);
}

TEST(StringCut, MidAndRight) {
    struct Case {
        const char16_t* text;
        int start;
        int count;
        const char16_t* mid;
    };
    const Case mids[] = {
        {u"abcdef", 0, -1, u"abcdef"}, {u"abcdef", 2, -1, u"cdef"}, {u"abcdef", 2, 2, u"cd"},
        {u"abcdef", 4, 10, u"ef"},     {u"abcdef", 5, 1, u"f"},     {u"abcdef", 6, 1, u""},
        {u"abcdef", 60, -1, u""},      {u"abcdef", -1, 2, u""},     {u"abcdef", 1, 0, u""},
        {u"", 0, -1, u""},
    };
    for (const Case& c : mids) {
        SCOPED_TRACE(testing::Message() << "mid case " << (&c - mids));
        String piece = String(c.text).mid(c.start, c.count);
        EXPECT_EQ(units(piece), std::u16string(c.mid));
        EXPECT_TRUE(piece.isWide());
        expectWellFormed(piece, "mid");
    }
    struct RightCase {
        int count;
        const char16_t* right;
    };
    const RightCase rights[] = {{0, u""}, {1, u"f"}, {5, u"bcdef"}, {6, u"abcdef"}, {7, u"abcdef"}, {1000, u"abcdef"}};
    String text(u"abcdef");
    for (const RightCase& c : rights) {
        SCOPED_TRACE(c.count);
        String piece = text.right(c.count);
        EXPECT_EQ(units(piece), std::u16string(c.right));
        expectWellFormed(piece, "right");
    }
    String narrow("bytes");
    EXPECT_STREQ(narrow.mid(1, 3).str(), "yte");
    EXPECT_FALSE(narrow.mid(1, 3).isWide());
    EXPECT_STREQ(narrow.right(2).str(), "es");
}

// ---- replacing --------------------------------------------------------------------------

TEST(StringReplaceAll, EveryOccurrenceOnceLeftToRight) {
    struct Case {
        const char16_t* text;
        const char16_t* pattern;
        const char16_t* replacement;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"a&&b", u"&", u"&amp;", u"a&amp;&amp;b"},
        {u"xxx", u"x", u"", u""},
        {u"aaa", u"aa", u"b", u"ba"},
        {u"aa", u"a", u"aa", u"aaaa"},  // inserted text is not searched again
        {u"abc", u"x", u"y", u"abc"},
        {u"abc", u"abc", u"", u""},
        {u"<a><b>", u"<", u"&lt;", u"&lt;a>&lt;b>"},
        {u"", u"a", u"b", u""},
        {u"abc", u"", u"-", u"abc"},  // an empty pattern replaces nothing
        {u"\x4F11\x606F", u"\x606F", u"!", u"\x4F11!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        String s(c.text);
        s.replaceAll(c.pattern, c.replacement);
        EXPECT_EQ(units(s), std::u16string(c.expected));
        expectWellFormed(s, "replaced");
    }
}

TEST(StringReplaceAll, ManyOccurrencesInALongText) {
    String s(20000, u'&', String::kWide);
    s.replaceAll(u"&", u"&amp;");
    ASSERT_EQ(s.length(), 100000u);
    EXPECT_EQ(s.find(u"&&"), -1);
    EXPECT_EQ(s.rfind(u"&amp;"), 99995);
}

// ---- formatting -----------------------------------------------------------------------------

TEST(StringFormat, WideConversionsAreTheSameOnEveryPlatform) {
    struct Case {
        const char* name;
        std::function<void(String&)> apply;
        const char16_t* expected;
    };
    const std::vector<Case> cases = {
        {"%d", [](String& s) { s.format(u"%d", -42); }, u"-42"},
        {"%5d", [](String& s) { s.format(u"[%5d]", 42); }, u"[   42]"},
        {"%-5d", [](String& s) { s.format(u"[%-5d]", 42); }, u"[42   ]"},
        {"%05d", [](String& s) { s.format(u"%05d", -42); }, u"-0042"},
        {"%+d", [](String& s) { s.format(u"%+d", 7); }, u"+7"},
        {"%u", [](String& s) { s.format(u"%u", 4294967295u); }, u"4294967295"},
        {"%x %X %#x %o", [](String& s) { s.format(u"%x %X %#x %o", 255u, 255u, 255u, 8u); }, u"ff FF 0xff 10"},
        {"%02x", [](String& s) { s.format(u"%02x", 10u); }, u"0a"},
        {"%hd", [](String& s) { s.format(u"%hd", 65537); }, u"1"},
        {"%ld", [](String& s) { s.format(u"%ld", -123456L); }, u"-123456"},
        {"%lld", [](String& s) { s.format(u"%lld", -9000000000LL); }, u"-9000000000"},
        {"%llu", [](String& s) { s.format(u"%llu", 18446744073709551615ULL); }, u"18446744073709551615"},
        {"%zu", [](String& s) { s.format(u"%zu", static_cast<size_t>(77)); }, u"77"},
        {"%.2f", [](String& s) { s.format(u"%.2f", 3.14159); }, u"3.14"},
        {"%8.3f", [](String& s) { s.format(u"[%8.3f]", -2.5); }, u"[  -2.500]"},
        {"%e", [](String& s) { s.format(u"%.3e", 12345.0); }, u"1.234e+04"},
        {"%g", [](String& s) { s.format(u"%g %g", 0.0001, 1e20); }, u"0.0001 1e+20"},
        {"%c", [](String& s) { s.format(u"%c%c", u'\x4F11', u'A'); }, u"\x4F11" u"A"},
        {"%3c", [](String& s) { s.format(u"[%3c]", u'x'); }, u"[  x]"},
        {"%s", [](String& s) { s.format(u"<%s>", u"\x4F11\x606F"); }, u"<\x4F11\x606F>"},
        {"%ls", [](String& s) { s.format(u"<%ls>", u"wide"); }, u"<wide>"},
        {"%S", [](String& s) { s.format(u"<%S>", "narrow"); }, u"<narrow>"},
        {"%hs", [](String& s) { s.format(u"<%hs>", "narrow"); }, u"<narrow>"},
        {"%-6s", [](String& s) { s.format(u"[%-6s]", u"ab"); }, u"[ab    ]"},
        {"%6s", [](String& s) { s.format(u"[%6s]", u"ab"); }, u"[    ab]"},
        {"%.2s", [](String& s) { s.format(u"[%.2s]", u"abcdef"); }, u"[ab]"},
        {"%.2S", [](String& s) { s.format(u"[%.2S]", "abcdef"); }, u"[ab]"},
        {"%*d", [](String& s) { s.format(u"[%*d]", 4, 7); }, u"[   7]"},
        {"%-*d", [](String& s) { s.format(u"[%*d]", -4, 7); }, u"[7   ]"},
        {"flags twice", [](String& s) { s.format(u"[%-+-*d|%00#5x]", -5, 42, 255u); }, u"[+42  |0x0ff]"},
        {"%.*s", [](String& s) { s.format(u"[%.*s]", 3, u"abcdef"); }, u"[abc]"},
        {"%*.*f", [](String& s) { s.format(u"[%*.*f]", 6, 1, 2.25); }, u"[   2.2]"},
        {"%%", [](String& s) { s.format(u"100%%"); }, u"100%"},
        {"mixed", [](String& s) { s.format(u"%d days, %s %S %u", 3, u"\x5C0F\x65F6", "x", 9u); },
         u"3 days, \x5C0F\x65F6 x 9"},
        {"no conversions", [](String& s) { s.format(u"\x4F11\x606F plain"); }, u"\x4F11\x606F plain"},
        {"empty", [](String& s) { s.format(u""); }, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        String s("narrow before");
        c.apply(s);
        EXPECT_TRUE(s.isWide());
        EXPECT_EQ(units(s), std::u16string(c.expected));
        expectWellFormed(s, "formatted");
    }
}

TEST(StringFormat, LongOutputComesOutWhole) {
    for (unsigned n : {254u, 255u, 256u, 300u, 511u, 5000u}) {
        SCOPED_TRACE(n);
        std::u16string arg(n - 2, u'\x4F11');
        String wide;
        wide.format(u"<%s>", arg.c_str());
        EXPECT_EQ(units(wide), u"<" + arg + u">");
        expectWellFormed(wide, "wide");

        std::string narrowArg(n - 2, 'z');
        String narrow;
        narrow.format("<%s>", narrowArg.c_str());
        EXPECT_FALSE(narrow.isWide());
        EXPECT_EQ(std::string(narrow.str(), narrow.length()), "<" + narrowArg + ">");
        expectWellFormed(narrow, "narrow");
    }
    String padded;
    padded.format(u"%300d", 1);
    EXPECT_EQ(padded.length(), 300u);
    EXPECT_EQ(padded.at(299), static_cast<unsigned>(u'1'));
    String number;
    number.format(u"%.0f", 1e300);
    EXPECT_EQ(number.length(), 301u);
    EXPECT_EQ(number.at(0), static_cast<unsigned>(u'1'));
}

TEST(StringFormat, ArgumentsFromTheStringItselfAreSafe) {
    String s(u"abc");
    s.format(u"%s%s", s.wstr(), s.wstr());
    EXPECT_EQ(units(s), u"abcabc");
}

// ---- concatenation ---------------------------------------------------------------------------

TEST(StringConcat, OperatorsGiveNewStringsAndLeaveTheirOperands) {
    const String a(u"ab");
    const String b(u"cd");
    EXPECT_EQ(units(a + b), u"abcd");
    EXPECT_EQ(units(a + u"x"), u"abx");
    EXPECT_EQ(units(a + u'y'), u"aby");
    EXPECT_EQ(units(u"z" + a), u"zab");
    EXPECT_EQ(units(a + "n"), u"abn");
    EXPECT_EQ(units(String() + a), u"ab");
    EXPECT_EQ(units(a), u"ab");
    EXPECT_EQ(units(b), u"cd");
    EXPECT_EQ(a.refCount(), 1u);
    String narrow = String("by") + String("te");
    EXPECT_STREQ(narrow.str(), "byte");
    EXPECT_FALSE(narrow.isWide());
}

}  // namespace
