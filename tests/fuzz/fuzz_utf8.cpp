// Bytes -> utf8ToWStr -> wstrToUtf8 -> utf8ToWStr: once the first decode succeeds, the text
// must come back unchanged. Well-formed input must also decode to exactly what a simple
// reference decoder makes of it (surrogate halves as three bytes each are accepted, as the
// encoder writes them).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "kiv/stringc_kiv.h"

namespace {

// UTF-16 of well-formed UTF-8, or false for anything else (overlong forms, stray or
// missing continuation bytes, values above U+10FFFF).
bool referenceDecode(const uint8_t* s, size_t n, std::u16string& out) {
    auto cont = [&](size_t i) { return i < n && (s[i] & 0xC0) == 0x80; };
    for (size_t i = 0; i < n;) {
        const unsigned b = s[i];
        if (b < 0x80) {
            out += char16_t(b);
            i += 1;
        } else if (b >= 0xC2 && b <= 0xDF && cont(i + 1)) {
            out += char16_t(((b & 0x1F) << 6) | (s[i + 1] & 0x3F));
            i += 2;
        } else if (b >= 0xE0 && b <= 0xEF && cont(i + 1) && cont(i + 2) &&
                   (b != 0xE0 || s[i + 1] >= 0xA0)) {
            out += char16_t(((b & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F));
            i += 3;
        } else if (b >= 0xF0 && b <= 0xF4 && cont(i + 1) && cont(i + 2) && cont(i + 3) &&
                   (b != 0xF0 || s[i + 1] >= 0x90) && (b != 0xF4 || s[i + 1] <= 0x8F)) {
            const uint32_t v = ((b & 0x07u) << 18) | ((s[i + 1] & 0x3Fu) << 12) |
                               ((s[i + 2] & 0x3Fu) << 6) | (s[i + 3] & 0x3Fu);
            out += char16_t(0xD800 + ((v - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((v - 0x10000) & 0x3FF));
            i += 4;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const kiv::StringC& c = kiv::stringC();
    const kiv::String bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const kiv::String wide = c.utf8ToWStr(bytes);

    std::u16string expected;
    if (referenceDecode(data, size, expected) &&
        std::u16string(wide.wstr(), wide.length()) != expected) {
        std::fprintf(stderr, "well-formed UTF-8 decoded wrongly (%u units, expected %zu)\n",
                     wide.length(), expected.size());
        std::abort();
    }

    if (wide.isEmpty()) return 0;  // malformed (or empty) input
    const kiv::String encoded = c.wstrToUtf8(wide);
    const kiv::String again = c.utf8ToWStr(encoded);
    if (again != wide) {
        std::fprintf(stderr, "UTF-8 round trip changed the text (%u units -> %u)\n",
                     wide.length(), again.length());
        std::abort();
    }
    if (c.wstrToUtf8(again) != encoded) std::abort();
    return 0;
}
