// Scans over UTF-16 units for the XML reader's hot loops: four units are tested at once as
// one 64-bit word, and only a word that holds a hit is looked at unit by unit.
#pragma once

#include <cstdint>
#include <cstring>

namespace kiv {

namespace unitscan {

const uint64_t kOnes = 0x0001000100010001ull;    // 1 in each 16-bit lane
const uint64_t kHighs = 0x8000800080008000ull;   // the top bit of each lane

inline uint64_t fourUnits(const char16_t* units) {
    uint64_t four;
    std::memcpy(&four, units, sizeof four);
    return four;
}

// Some lane of `four` is below `limit` (at most 0x8000). The borrow of the subtraction only
// starts in such a lane, so the answer is exact, though not where.
inline bool anyLaneBelow(uint64_t four, unsigned limit) {
    return ((four - kOnes * limit) & ~four & kHighs) != 0;
}

inline bool anyLaneIs(uint64_t four, char16_t unit) { return anyLaneBelow(four ^ (kOnes * unit), 1); }

}  // namespace unitscan

// The first index in [from, length) whose unit is `a`, `b` or `c`; `length` when none is.
inline unsigned findUnit(const char16_t* units, unsigned from, unsigned length, char16_t a, char16_t b,
                         char16_t c) {
    unsigned i = from;
    for (; i + 4 <= length; i += 4) {
        const uint64_t four = unitscan::fourUnits(units + i);
        using unitscan::anyLaneIs;
        if (anyLaneIs(four, a) || anyLaneIs(four, b) || anyLaneIs(four, c)) break;
    }
    for (; i < length; ++i) {
        if (units[i] == a || units[i] == b || units[i] == c) return i;
    }
    return length;
}

inline unsigned findUnit(const char16_t* units, unsigned from, unsigned length, char16_t a) {
    return findUnit(units, from, length, a, a, a);
}

// The first index in [from, length) whose unit is below `limit` (at most 0x8000); `length`
// when none is.
inline unsigned findUnitBelow(const char16_t* units, unsigned from, unsigned length, char16_t limit) {
    unsigned i = from;
    while (i + 4 <= length && !unitscan::anyLaneBelow(unitscan::fourUnits(units + i), limit)) i += 4;
    for (; i < length; ++i) {
        if (units[i] < limit) return i;
    }
    return length;
}

}  // namespace kiv
