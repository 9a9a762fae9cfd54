// kiv::StringC: stateless conversions between UTF-16, the ANSI code page and UTF-8, and
// small text helpers. Reached through the one shared instance `kiv::stringC()`.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "kiv/string_kiv.h"

namespace kiv {

class StringC {
public:
    // System ANSI code page <-> UTF-16. A failed conversion gives an empty string; a string
    // already of the target kind is returned as it is.
    String strToWStr(const String& ansi) const;
    String wstrToStr(const String& wide) const;

    // UTF-16 <-> UTF-8. A valid surrogate pair is one 4-byte sequence and a 4-byte sequence
    // above U+FFFF becomes a surrogate pair; a lone surrogate is written as its own 3 bytes
    // (and read back unit by unit), so files written that way read back the same.
    // Malformed or cut-short UTF-8 gives an empty string, and so does a wide argument to
    // utf8ToWStr; a narrow argument to wstrToUtf8 is read byte by byte as units.
    String wstrToUtf8(const String& wide) const;
    String utf8ToWStr(const String& utf8) const;

    String format(const char16_t* format, ...) const;
    String format(const char* format, ...) const;
    String vformat(const char16_t* format, va_list args) const;
    String vformat(const char* format, va_list args) const;

    // Base 10: "%u"; base 16: "%02x"; any other base: an empty string.
    String intToStr(int32_t value, int base = 10) const;
    // Leading decimal digits only, in wrapping 32-bit arithmetic; no sign, no white space.
    int32_t digitsToInt(const String& text) const;
    // Cuts `text` at its first (fromFront) or last delimiter, dropping what lies before (or
    // after) it, and the delimiter itself when `removeDelimiter` is set.
    void trimByChar(String& text, char16_t delimiter, bool fromFront, bool removeDelimiter) const;
};

const StringC& stringC();

}  // namespace kiv
