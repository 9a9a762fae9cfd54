// UTF-16 <-> UTF-8 behind kiv::StringC (and its fuzz target).
#pragma once

#include "kiv/string_kiv.h"

namespace kiv {

// Each unit by itself (1 to 3 bytes), except that a valid surrogate pair becomes one 4-byte
// sequence. Gives a narrow string.
String encodeUtf8(const char16_t* units, unsigned count);

// 1- to 3-byte sequences give one unit (surrogates included, so text written unit by unit
// reads back the same); a 4-byte sequence for U+10000..U+10FFFF gives a surrogate pair;
// other 4-, 5- and 6-byte sequences give the low 16 bits of their value. Continuation bytes
// are only counted, not checked. A sequence cut short by the end, or a lead byte that is a
// continuation byte, 0xFE or 0xFF, makes the whole result empty. Gives a wide string.
String decodeUtf8(const unsigned char* bytes, unsigned count);

}  // namespace kiv
