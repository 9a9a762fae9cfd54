// The block behind a kiv::String: five 32-bit words in front of the first unit. Inside the
// library (and for tests that check the layout) the header is reached from the units.
#pragma once

#include <atomic>
#include <cstdint>

#include "kiv/string_kiv.h"

namespace kiv {

struct StringBlock {
    uint32_t unitSize;                // 1 (narrow) or 2 (wide)
    uint32_t length;                  // units, without the terminator
    uint32_t capacity;                // units the block holds without reallocation
    std::atomic<uint32_t> refCount;   // values sharing the block; atomic increments only
    uint32_t flags;                   // kStringWriting while an operation writes
};
static_assert(sizeof(StringBlock) == 5 * sizeof(uint32_t), "the header is five 32-bit words");

enum : uint32_t { kStringWriting = 1 };

inline StringBlock* stringBlockOf(const String& text) {
    return reinterpret_cast<StringBlock*>(const_cast<char*>(text.str()) - sizeof(StringBlock));
}

// The text as wide units: a wide one as it is, a narrow one widened byte by byte. For code
// that reads a string through wstr(), which on narrow units would run past the block.
String widened(const String& text);

}  // namespace kiv
