// Reading numbers from edit text, and writing them, by the "%u" rules.
#include <gtest/gtest.h>

#include <string>

#include "framework/unsigned_text.h"

namespace {

struct Row {
    const wchar_t* text;
    bool readable;
    std::uint32_t value;
};

class UnsignedTextTest : public ::testing::TestWithParam<Row> {};

TEST_P(UnsignedTextTest, ReadsLikePercentU) {
    const Row& row = GetParam();
    std::uint32_t value = 12345;  // must be left alone when nothing is read
    EXPECT_EQ(fw::parseUnsignedText(row.text, value), row.readable);
    EXPECT_EQ(value, row.readable ? row.value : 12345u);
    EXPECT_EQ(fw::unsignedText(row.value), std::to_wstring(row.value));  // and written back
}

INSTANTIATE_TEST_SUITE_P(
    Table, UnsignedTextTest,
    ::testing::Values(
        Row{L"52", true, 52}, Row{L"0", true, 0}, Row{L"1000001", true, 1000001},
        Row{L"25abc", true, 25},          // trailing letters are ignored
        Row{L"  \t\r\n\v\f7", true, 7},   // C white space is skipped
        Row{L"+8", true, 8}, Row{L"007", true, 7}, Row{L"12 34", true, 12},
        Row{L"4294967295", true, 4294967295u},
        Row{L"-5", true, 4294967291u},    // unsigned wrap-around, as "%u" gives
        Row{L"-0", true, 0},
        Row{L"-2147483648", true, 2147483648u},
        // Too large to wrap sensibly: saturated, so a range check cannot mistake them
        // for small numbers (plain wrap-around would give 1).
        Row{L"4294967297", true, 4294967295u}, Row{L"-4294967295", true, 4294967295u},
        Row{L"99999999999999999999999", true, 4294967295u},
        Row{L"", false, 0}, Row{L"abc", false, 0}, Row{L"   ", false, 0}, Row{L"-", false, 0},
        Row{L"+x1", false, 0}, Row{L"\u3000" L"5", false, 0},  // U+3000 IDEOGRAPHIC SPACE is not C white space
        Row{L"\uFF15", false, 0}));                             // U+FF15 FULLWIDTH DIGIT FIVE is not a digit

TEST(UnsignedText, OnlyTheFirstSixtyThreeCharactersAreRead) {
    std::uint32_t value = 0;
    EXPECT_TRUE(fw::parseUnsignedText(std::wstring(62, L' ') + L"9", value));
    EXPECT_EQ(value, 9u);
    EXPECT_FALSE(fw::parseUnsignedText(std::wstring(63, L' ') + L"9", value));
    EXPECT_TRUE(fw::parseUnsignedText(std::wstring(61, L' ') + L"123", value));
    EXPECT_EQ(value, 12u);
}

}  // namespace
