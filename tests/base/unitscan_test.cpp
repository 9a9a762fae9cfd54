// The four-units-at-a-time scans of the XML reader, against a plain loop: every place of a
// hit (inside a group of four, in the tail after the last group, before the start), every
// start, and filler units that lie next to the sought values.
#include <gtest/gtest.h>

#include <string>

#include "unitscan_kiv.h"

namespace {

unsigned plainFind(const std::u16string& text, unsigned from, char16_t a, char16_t b, char16_t c) {
    for (unsigned i = from; i < text.size(); ++i)
        if (text[i] == a || text[i] == b || text[i] == c) return i;
    return static_cast<unsigned>(text.size());
}

unsigned plainFindBelow(const std::u16string& text, unsigned from, char16_t limit) {
    for (unsigned i = from; i < text.size(); ++i)
        if (text[i] < limit) return i;
    return static_cast<unsigned>(text.size());
}

TEST(UnitScan, FindUnitAgreesWithAPlainLoop) {
    // '<' is 0x3C: 0x3D, 0x3B, 0x3C00 and 0xFF3C differ from it by one bit or one lane byte.
    const char16_t fillers[] = {u'a', 0x3D, 0x3B, 0x3C00, 0xFF3C, 0xFFFF, 0};
    const char16_t sought[] = {u'<', u'\'', u'"'};
    for (char16_t filler : fillers) {
        for (unsigned length = 0; length <= 13; ++length) {
            for (unsigned hit = 0; hit <= length; ++hit) {  // hit == length: no hit
                for (char16_t unit : sought) {
                    std::u16string text(length, filler);
                    if (hit < length) text[hit] = unit;
                    for (unsigned from = 0; from <= length; ++from) {
                        SCOPED_TRACE(std::to_string(filler) + " length " + std::to_string(length) + " hit " +
                                     std::to_string(hit) + " from " + std::to_string(from));
                        EXPECT_EQ(kiv::findUnit(text.data(), from, length, u'<', u'\'', u'"'),
                                  plainFind(text, from, u'<', u'\'', u'"'));
                        EXPECT_EQ(kiv::findUnit(text.data(), from, length, unit), plainFind(text, from, unit, unit, unit));
                    }
                }
            }
        }
    }
}

TEST(UnitScan, FindUnitBelowAgreesWithAPlainLoop) {
    const char16_t limits[] = {1, 14, 0x100, 0x8000};
    for (char16_t limit : limits) {
        // Fillers at and just above the limit, and far above it; hits just below it and 0.
        const char16_t fillers[] = {limit, static_cast<char16_t>(limit + 1), 0x8000, 0xFFFF};
        const char16_t hits[] = {static_cast<char16_t>(limit - 1), 0};
        for (char16_t filler : fillers) {
            for (char16_t unit : hits) {
                for (unsigned length = 0; length <= 13; ++length) {
                    for (unsigned hit = 0; hit <= length; ++hit) {
                        std::u16string text(length, filler);
                        if (hit < length) text[hit] = unit;
                        for (unsigned from = 0; from <= length; ++from) {
                            SCOPED_TRACE(std::to_string(limit) + "/" + std::to_string(filler) + " length " +
                                         std::to_string(length) + " hit " + std::to_string(hit) + " from " +
                                         std::to_string(from));
                            EXPECT_EQ(kiv::findUnitBelow(text.data(), from, length, limit),
                                      plainFindBelow(text, from, limit));
                        }
                    }
                }
            }
        }
    }
}

}  // namespace
