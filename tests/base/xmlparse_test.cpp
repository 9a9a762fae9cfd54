// The XML reader's line scanner and entity decoding.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kiv/xmlstringparse_kiv.h"
#include "xml_test_util.h"

namespace {

using kiv::ParseToken;
using kivtest::utf8;

struct ExpectedToken {
    const char* text;
    int kind;
    int pos;
    bool closed;
};

struct ScanCase {
    const char* name;
    const char16_t* line;
    std::vector<ExpectedToken> tokens;
};

void expectTokens(kiv::ParseString& scanner, const ScanCase& c) {
    scanner.setText(kiv::String(c.line), 7);
    std::vector<ParseToken> got;
    for (ParseToken t = scanner.firstToken(); !t.isEmpty(); t = scanner.nextToken()) {
        got.push_back(t);
        ASSERT_LT(got.size(), 100u) << "the scanner does not advance";
    }
    ASSERT_EQ(got.size(), c.tokens.size()) << c.name;
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(std::string(c.name) + " token " + std::to_string(i));
        EXPECT_EQ(utf8(got[i].text), c.tokens[i].text);
        EXPECT_EQ(got[i].kind, c.tokens[i].kind);
        EXPECT_EQ(got[i].pos, c.tokens[i].pos);
        EXPECT_EQ(got[i].line, 7);
        EXPECT_EQ(got[i].closed, c.tokens[i].closed);
    }
}

const int W = ParseToken::Word, S = ParseToken::Space, Q1 = ParseToken::SingleQuoted,
          Q2 = ParseToken::DoubleQuoted, O = ParseToken::Other;

TEST(XmlParseScanner, XmlTokensByCharacterClass) {
    const std::vector<ScanCase> cases = {
        {"markup", u"<a b=\"1\"/>",
         {{"<", O, 1, true}, {"a", W, 2, true}, {" ", S, 3, true}, {"b", W, 4, true},
          {"=", O, 5, true}, {"\"1\"", Q2, 6, true}, {"/", O, 9, true}, {">", O, 10, true}}},
        {"name characters", u"_a-1.b 9x -y",
         {{"_a-1.b", W, 1, true}, {" ", S, 7, true}, {"9", O, 8, true}, {"x", W, 9, true},
          {" ", S, 10, true}, {"-", O, 11, true}, {"y", W, 12, true}}},
        {"white space run", u"a \t\r\nb",
         {{"a", W, 1, true}, {" \t\r\n", S, 2, true}, {"b", W, 6, true}}},
        {"single quotes keep their partner", u"'x\"y' z",
         {{"'x\"y'", Q1, 1, true}, {" ", S, 6, true}, {"z", W, 7, true}}},
        {"unclosed quote runs to the line end", u"a=\"b<c\n",
         {{"a", W, 1, true}, {"=", O, 2, true}, {"\"b<c\n", Q2, 3, false}}},
        {"others are single characters", u"::\u00e9\u4e2d",
         {{":", O, 1, true}, {":", O, 2, true}, {"\xc3\xa9", O, 3, true}, {"\xe4\xb8\xad", O, 4, true}}},
        {"empty quotes", u"''\"",
         {{"''", Q1, 1, true}, {"\"", Q2, 3, false}}},
    };
    kiv::XmlStringParse scanner(kiv::String(), 1);
    for (const ScanCase& c : cases) expectTokens(scanner, c);
}

TEST(XmlParseScanner, BaseScannerTakesDigitsAnywhereButNotXmlPunctuation) {
    kiv::ParseString scanner(kiv::String(), 1);
    expectTokens(scanner, {"digits first", u"9a_b-c.d",
                           {{"9a", W, 1, true}, {"_", O, 3, true}, {"b", W, 4, true},
                            {"-", O, 5, true}, {"c", W, 6, true}, {".", O, 7, true},
                            {"d", W, 8, true}}});
}

TEST(XmlParseScanner, EndOfLineGivesEmptyTokensAndFirstTokenRestarts) {
    kiv::XmlStringParse scanner(kiv::String(u"ab"), 3);
    EXPECT_EQ(utf8(scanner.nextToken().text), "ab");
    EXPECT_TRUE(scanner.nextToken().isEmpty());
    EXPECT_TRUE(scanner.nextToken().isEmpty());
    ParseToken again = scanner.firstToken();
    EXPECT_EQ(utf8(again.text), "ab");
    EXPECT_EQ(again.line, 3);
    scanner.setText(kiv::String(), 4);
    EXPECT_TRUE(scanner.firstToken().isEmpty());
}

// Regression: a narrow line was scanned as wide units, reading past the end of its block.
TEST(XmlParseScanner, NarrowLineIsScannedByUnitValue) {
    kiv::XmlStringParse scanner(kiv::String("<a x='1'>"), 1);
    std::vector<std::string> texts;
    for (ParseToken t = scanner.firstToken(); !t.isEmpty() && texts.size() < 20; t = scanner.nextToken())
        texts.push_back(utf8(t.text));
    EXPECT_EQ(texts, (std::vector<std::string>{"<", "a", " ", "x", "=", "'1'", ">"}));
    scanner.setText(kiv::String("b c"), 2);
    EXPECT_EQ(utf8(scanner.firstToken().text), "b");
}

TEST(XmlParseScanner, QuotedValueOnlyForClosedQuotedTokens) {
    kiv::XmlStringParse scanner(kiv::String(u"\"ab\" 'c' \"\" x 'open"), 1);
    std::vector<std::string> values;
    for (ParseToken t = scanner.firstToken(); !t.isEmpty(); t = scanner.nextToken())
        if (t.kind != ParseToken::Space) values.push_back(utf8(kiv::ParseString::quotedValue(t)));
    EXPECT_EQ(values, (std::vector<std::string>{"ab", "c", "", "", ""}));
}

// Short tokens share strings the scanner keeps in a table by their units: more distinct
// names than the table has places, read twice over, each keep their own text, also while a
// later name takes over the place a kept token came from.
TEST(XmlParseScanner, TokensKeepTheirTextWhenTheScannerReusesItsStrings) {
    std::vector<std::string> names;
    std::u16string line;
    for (int i = 0; i < 1000; ++i) {
        names.push_back("n" + std::to_string(i));
        line += std::u16string(names.back().begin(), names.back().end()) + u" ";
    }
    line += line;
    kiv::XmlStringParse scanner(kiv::String(line.data(), static_cast<int>(line.size())), 1);
    std::vector<ParseToken> kept;
    for (ParseToken t = scanner.firstToken(); !t.isEmpty(); t = scanner.nextToken())
        if (t.kind == ParseToken::Word) kept.push_back(t);
    ASSERT_EQ(kept.size(), 2 * names.size());
    for (size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(utf8(kept[i].text), names[i % names.size()]) << i;
}

// takeUntil must give what the tokens up to the first "<" token give, put together.
TEST(XmlParseScanner, TakeUntilMatchesTheTokens) {
    const char16_t* lines[] = {
        u"plain words and  spaces\n", u"a<b", u"<at start", u"it's <b/> here\n",
        u"say \"a<b\" then<c", u"'' <x", u"\"open < to the end", u"x-1.y &amp; z\t<",
        u"", u"\u4e2d\u6587<",
    };
    for (const char16_t* line : lines) {
        for (int skip = 0; skip < 3; ++skip) {
            kiv::XmlStringParse byTokens(kiv::String(line), 1);
            kiv::XmlStringParse byRun(kiv::String(line), 1);
            for (int i = 0; i < skip; ++i) {
                byTokens.nextToken();
                byRun.nextToken();
            }
            std::string expected;
            ParseToken t = byTokens.nextToken();
            for (; !t.isEmpty() && !t.is(u'<'); t = byTokens.nextToken()) expected += utf8(t.text);
            const std::string label = utf8(kiv::String(line)) + " after " + std::to_string(skip);
            EXPECT_EQ(utf8(byRun.takeUntil(u'<')), expected) << label;
            // Both continue at the same place.
            EXPECT_EQ(utf8(byRun.nextToken().text), utf8(t.text)) << label;
        }
    }
}

TEST(XmlParseEntities, DecodedOnceFromLeftToRight) {
    const struct {
        const char16_t* in;
        const char* out;
    } cases[] = {
        {u"", ""},
        {u"plain", "plain"},
        {u"&amp;&lt;&gt;&apos;&quot;", "&<>'\""},
        {u"&amp;lt;", "&lt;"},
        {u"a &amp;amp; b", "a &amp; b"},
        {u"&#65;&#x41;", "&#65;&#x41;"},
        {u"&amp", "&amp"},
        {u"&&lt;", "&<"},
        {u"&LT;&unknown;", "&LT;&unknown;"},
        {u"x&gt", "x&gt"},
        {u"end&", "end&"},
        {u"&lt;&lt;", "<<"},
        {u"\u4e2d&amp;\u6587", "\xe4\xb8\xad&\xe6\x96\x87"},
    };
    for (const auto& c : cases) {
        kiv::String text(c.in);
        kiv::decodeEntities(text);
        EXPECT_EQ(utf8(text), c.out) << utf8(kiv::String(c.in));
    }
}

// Regression: a narrow text was scanned as wide units, reading past the end of its block
// (a heap-buffer-overflow under AddressSanitizer) and giving units made of byte pairs.
TEST(XmlParseEntities, NarrowTextIsDecodedByUnitValueAndStaysNarrow) {
    // E9: one byte that is not ASCII, kept as it is
    kiv::String text("a&lt;\xE9&amp;b&gt");
    kiv::decodeEntities(text);
    EXPECT_FALSE(text.isWide());
    EXPECT_EQ(std::string(text.str(), text.length()), "a<\xE9&b&gt");
    kiv::String plain("no references");
    kiv::decodeEntities(plain);
    EXPECT_FALSE(plain.isWide());
    EXPECT_EQ(std::string(plain.str(), plain.length()), "no references");
}

TEST(XmlParseEntities, SharedStringIsNotChangedThroughTheCopy) {
    kiv::String original(u"&lt;");
    kiv::String copy = original;
    kiv::decodeEntities(copy);
    EXPECT_EQ(utf8(copy), "<");
    EXPECT_EQ(utf8(original), "&lt;");
}

}  // namespace
