#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <string>
#include <vector>

#include "kiv/stringc_kiv.h"

namespace {

using kiv::String;
using kiv::stringC;

std::u16string units(const String& s) {
    std::u16string out;
    for (unsigned i = 0; i < s.length(); ++i) out += static_cast<char16_t>(s.at(i));
    return out;
}

std::vector<uint8_t> bytes(const String& s) {
    EXPECT_FALSE(s.isWide());
    return std::vector<uint8_t>(s.str(), s.str() + s.length());
}

String narrow(const std::vector<uint8_t>& b) {
    return String(reinterpret_cast<const char*>(b.data()), static_cast<int>(b.size()));
}

String wide(const std::u16string& u) { return String(u.data(), static_cast<int>(u.size())); }

// The plain per-unit encoder the conversion must agree with for every single unit.
std::vector<uint8_t> referenceUtf8(unsigned u) {
    if (u < 0x80) return {uint8_t(u)};
    if (u < 0x800) return {uint8_t(0xC0 | (u >> 6)), uint8_t(0x80 | (u & 0x3F))};
    return {uint8_t(0xE0 | (u >> 12)), uint8_t(0x80 | ((u >> 6) & 0x3F)), uint8_t(0x80 | (u & 0x3F))};
}

TEST(StringCNumbers, IntToStr) {
    struct Case {
        int32_t value;
        int base;
        std::u16string text;
    } cases[] = {
        {0, 10, u"0"},         {10, 10, u"10"},  {-1, 10, u"4294967295"}, {INT32_MIN, 10, u"2147483648"},
        {10, 16, u"0a"},       {0, 16, u"00"},   {255, 16, u"ff"},        {4096, 16, u"1000"},
        {-1, 16, u"ffffffff"}, {10, 8, u""},     {10, 2, u""},            {10, 0, u""},
    };
    for (const Case& c : cases) {
        String s = stringC().intToStr(c.value, c.base);
        EXPECT_EQ(units(s), c.text) << c.value << " base " << c.base;
        EXPECT_TRUE(s.isWide());
    }
}

TEST(StringCNumbers, DigitsToInt) {
    struct Case {
        std::u16string text;
        int32_t value;
    } cases[] = {
        {u"", 0},           {u"0", 0},           {u"12ab", 12},          {u"-5", 0},
        {u" 5", 0},         {u"+5", 0},          {u"4294967295", -1},    {u"2147483648", INT32_MIN},
        {u"4294967296", 0}, {u"007", 7},         {u"12\u0663", 12},      {u"99999999999", 1215752191},
    };
    for (const Case& c : cases) EXPECT_EQ(stringC().digitsToInt(wide(c.text)), c.value) << c.value;
}

TEST(StringCNumbers, NegativeValuesSurviveARoundTrip) {
    for (int32_t v : {-1, -2, -123456, INT32_MIN, INT32_MAX, 0, 42}) {
        EXPECT_EQ(stringC().digitsToInt(stringC().intToStr(v)), v);
    }
}

TEST(StringCText, TrimByChar) {
    struct Case {
        std::u16string text;
        bool fromFront, removeDelimiter;
        std::u16string result;
    } cases[] = {
        {u"C:\\dir\\file.exe", false, false, u"C:\\dir\\"},
        {u"C:\\dir\\file.exe", false, true, u"C:\\dir"},
        {u"C:\\dir\\file.exe", true, false, u"\\dir\\file.exe"},
        {u"C:\\dir\\file.exe", true, true, u"dir\\file.exe"},
        {u"no delimiter", false, false, u"no delimiter"},
        {u"no delimiter", true, true, u"no delimiter"},
        {u"dir\\", false, false, u"dir\\"},  // the delimiter already ends it
        {u"dir\\", false, true, u"dir"},
        {u"\\x", true, false, u"\\x"},
        {u"\\x", true, true, u"x"},
        {u"\\", true, true, u""},
        {u"", false, true, u""},
    };
    for (const Case& c : cases) {
        String s = wide(c.text);
        String copy(s);
        stringC().trimByChar(s, u'\\', c.fromFront, c.removeDelimiter);
        EXPECT_EQ(units(s), c.result);
        EXPECT_EQ(units(copy), c.text);
    }
}

TEST(StringCFormat, WideAndNarrow) {
    String w = stringC().format(u"%d days,", 3);
    EXPECT_TRUE(w.isWide());
    EXPECT_EQ(units(w), u"3 days,");
    String n = stringC().format("%s-%02d", "x", 5);
    EXPECT_FALSE(n.isWide());
    EXPECT_STREQ(n.str(), "x-05");
    std::u16string big(300, u'z');
    EXPECT_EQ(stringC().format(u"%s", big.c_str()).length(), 300u);
}

// UTF-16 texts and their UTF-8 bytes, checked both ways and inside ASCII text.
struct Utf8Case {
    const char* what;
    std::u16string text;
    std::vector<uint8_t> utf8;
};
const Utf8Case kUtf8Cases[] = {
    {"ASCII", u"Az09", {0x41, 0x7A, 0x30, 0x39}},
    {"U+007F", u"\u007F", {0x7F}},
    {"U+0080", u"\u0080", {0xC2, 0x80}},
    {"U+00E9", u"\u00E9", {0xC3, 0xA9}},
    {"U+07FF", u"\u07FF", {0xDF, 0xBF}},
    {"U+0800", u"\u0800", {0xE0, 0xA0, 0x80}},
    {"U+4F11 rest", u"\u4F11", {0xE4, 0xBC, 0x91}},
    {"U+FFFF", u"\uFFFF", {0xEF, 0xBF, 0xBF}},
    {"U+1F600 as a pair", u"\xD83D\xDE00", {0xF0, 0x9F, 0x98, 0x80}},
    {"U+10000", u"\xD800\xDC00", {0xF0, 0x90, 0x80, 0x80}},
    {"U+10FFFF", u"\xDBFF\xDFFF", {0xF4, 0x8F, 0xBF, 0xBF}},
    {"lone high surrogate", u"\xD83D" u"a", {0xED, 0xA0, 0xBD, 0x61}},
    {"lone low surrogate", u"\xDE00", {0xED, 0xB8, 0x80}},
    {"low before high", u"\xDE00\xD83D", {0xED, 0xB8, 0x80, 0xED, 0xA0, 0xBD}},
    {"zero unit", std::u16string(1, u'\0'), {0x00}},
    {"empty", u"", {}},
};

TEST(StringCUtf8, KnownSequencesBothWays) {
    for (const Utf8Case& c : kUtf8Cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(bytes(stringC().wstrToUtf8(wide(c.text))), c.utf8);
        String back = stringC().utf8ToWStr(narrow(c.utf8));
        EXPECT_TRUE(back.isWide());
        EXPECT_EQ(units(back), c.text);
    }
}

TEST(StringCUtf8, OldAndOutOfRangeSequencesDecodeAsBefore) {
    struct Case {
        const char* what;
        std::vector<uint8_t> utf8;
        std::u16string text;
    } cases[] = {
        // ED A0 BD ED B8 80: a pair written unit by unit reads back unit by unit
        {"3-byte surrogates", {0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80}, u"\xD83D\xDE00"},
        {"4-byte overlong", {0xF0, 0x80, 0x81, 0x81}, u"A"},
        {"4-byte above U+10FFFF", {0xF4, 0x90, 0x81, 0x81}, u"A"},      // U+110041: low 16 bits
        {"5 bytes", {0xF8, 0x88, 0x80, 0x81, 0x81}, u"A"},              // U+200041
        {"6 bytes", {0xFC, 0x84, 0x80, 0x80, 0x80, 0x80}, std::u16string(1, u'\0')},  // U+4000000
        {"2-byte overlong", {0xC0, 0xAF}, u"/"},
        {"unchecked continuation", {0xC3, 0x41}, u"\u00C1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(units(stringC().utf8ToWStr(narrow(c.utf8))), c.text);
    }
}

TEST(StringCUtf8, EverySingleUnitRoundTrips) {
    for (unsigned u = 0; u <= 0xFFFF; ++u) {
        const char16_t unit = static_cast<char16_t>(u);
        String utf8 = stringC().wstrToUtf8(String(&unit, 1));
        ASSERT_EQ(bytes(utf8), referenceUtf8(u)) << std::hex << u;
        String back = stringC().utf8ToWStr(utf8);
        ASSERT_EQ(back.length(), 1u) << std::hex << u;
        ASSERT_EQ(back.at(0), u);
    }
}

// Plain ASCII is measured and copied four units at a time: any other unit must come out
// the same wherever it stands in such text, a pair also where it straddles four units.
TEST(StringCUtf8, OtherUnitsAtEveryPlaceInAsciiText) {
    for (const Utf8Case& c : kUtf8Cases) {
        for (unsigned before = 0; before <= 8; ++before) {
            SCOPED_TRACE(std::string(c.what) + " after " + std::to_string(before) + " ASCII units");
            const std::u16string text = std::u16string(before, u'a') + c.text + u"bcdefg";
            std::vector<uint8_t> expected(before, 'a');
            expected.insert(expected.end(), c.utf8.begin(), c.utf8.end());
            for (char b : std::string("bcdefg")) expected.push_back(static_cast<uint8_t>(b));
            EXPECT_EQ(bytes(stringC().wstrToUtf8(wide(text))), expected);
        }
    }
}

TEST(StringCUtf8, MalformedInputGivesAnEmptyString) {
    std::vector<std::vector<uint8_t>> samples = {
        {0xE4, 0xBC},                   // cut short: 3-byte sequence missing one byte
        {0x41, 0xE4},                   // cut short after valid text
        {0xC3},                         // 2-byte lead at the end
        {0xF0, 0x9F, 0x98},             // 4-byte sequence missing one
        {0xF8, 0x88, 0x80, 0x81},       // 5-byte sequence missing one
        {0xFC, 0x84, 0x80, 0x80, 0x80}, // 6-byte sequence missing one
        {0xFE},                         // never a UTF-8 byte
        {0xFF},
        {0x41, 0xFE, 0xFE, 0xFF, 0xFF},
        {0x41, 0x42, 0xBF},             // a lone continuation byte after text
        {0xC3, 0xA9, 0xA9},             // one continuation byte too many
    };
    for (unsigned b = 0x80; b <= 0xBF; ++b) samples.push_back({uint8_t(b)});  // every lone continuation byte
    for (const auto& s : samples) {
        String out = stringC().utf8ToWStr(narrow(s));
        EXPECT_TRUE(out.isEmpty()) << "first byte " << std::hex << unsigned(s[0]) << " size " << s.size();
        EXPECT_TRUE(out.isWide());
    }
}

TEST(StringCUtf8, WrongKindsOfInput) {
    EXPECT_TRUE(stringC().utf8ToWStr(String(u"not bytes")).isEmpty());
    EXPECT_EQ(bytes(stringC().wstrToUtf8(String("\xE9", 1))), (std::vector<uint8_t>{0xC3, 0xA9}));
    EXPECT_FALSE(stringC().wstrToUtf8(String()).isWide());
}

// The ANSI code page: natively the C library's locale (a UTF-8 one here), under Wine the
// Windows ANSI code page (1252 with a UTF-8 host locale). Both hold U+00E9.
class StringCAnsi : public testing::Test {
protected:
    void SetUp() override {
        const char* current = std::setlocale(LC_ALL, nullptr);
        saved_ = current ? current : "C";
        std::setlocale(LC_ALL, "C.UTF-8");
    }
    void TearDown() override { std::setlocale(LC_ALL, saved_.c_str()); }

private:
    std::string saved_;
};

TEST_F(StringCAnsi, RoundTrips) {
    for (const std::u16string& text : {std::u16string(u"plain ASCII 123"), std::u16string(u"caf\u00E9")}) {
        String ansi = stringC().wstrToStr(wide(text));
        EXPECT_FALSE(ansi.isWide());
        EXPECT_FALSE(ansi.isEmpty());
        String back = stringC().strToWStr(ansi);
        EXPECT_TRUE(back.isWide());
        EXPECT_EQ(units(back), text);
    }
    EXPECT_STREQ(stringC().wstrToStr(String(u"ASCII")).str(), "ASCII");
}

TEST_F(StringCAnsi, EmptyInputGivesEmptyOfTheTargetKind) {
    String w = stringC().strToWStr(String(""));
    EXPECT_TRUE(w.isEmpty());
    EXPECT_TRUE(w.isWide());
    String n = stringC().wstrToStr(String());
    EXPECT_TRUE(n.isEmpty());
    EXPECT_FALSE(n.isWide());
}

}  // namespace
