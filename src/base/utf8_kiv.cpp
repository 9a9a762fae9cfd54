// UTF-16 <-> UTF-8 conversion.
#include "utf8_kiv.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "scratchbytes_kiv.h"

namespace kiv {

namespace {

bool isHighSurrogate(unsigned u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(unsigned u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Whether the four units at `units` are all ASCII: the usual text is measured and copied
// four units at a time.
bool fourAscii(const char16_t* units) {
    uint64_t four;
    std::memcpy(&four, units, sizeof four);
    return (four & 0xFF80FF80FF80FF80ull) == 0;
}

// Whether units[i] starts a valid surrogate pair (one 4-byte sequence).
bool isPairAt(const char16_t* units, unsigned count, unsigned i) {
    return isHighSurrogate(units[i]) && i + 1 < count && isLowSurrogate(units[i + 1]);
}

}  // namespace

String encodeUtf8(const char16_t* units, unsigned count) {
    // Measured first, so that the bytes are written once into a buffer of the right size:
    // one byte per unit, and what the units above ASCII take beyond that.
    size_t size = count;
    for (unsigned i = 0; i < count; ++i) {
        while (i + 4 <= count && fourAscii(units + i)) i += 4;
        if (i == count) break;
        const unsigned u = units[i];
        if (u < 0x80) continue;
        if (u < 0x800) {
            size += 1;
        } else if (isPairAt(units, count, i)) {
            size += 2;  // two units, four bytes
            ++i;
        } else {
            size += 2;
        }
    }
    ScratchBytes<256> bytes(size);
    char* out = bytes.data();
    for (unsigned i = 0; i < count; ++i) {
        for (; i + 4 <= count && fourAscii(units + i); i += 4, out += 4) {
            out[0] = static_cast<char>(units[i]);
            out[1] = static_cast<char>(units[i + 1]);
            out[2] = static_cast<char>(units[i + 2]);
            out[3] = static_cast<char>(units[i + 3]);
        }
        if (i == count) break;
        const unsigned u = units[i];
        if (u < 0x80) {
            *out++ = static_cast<char>(u);
            continue;
        }
        if (u < 0x800) {
            *out++ = static_cast<char>(0xC0 | (u >> 6));
            *out++ = static_cast<char>(0x80 | (u & 0x3F));
        } else if (isPairAt(units, count, i)) {
            unsigned long c = 0x10000 + ((u - 0xD800UL) << 10) + (units[++i] - 0xDC00UL);
            *out++ = static_cast<char>(0xF0 | (c >> 18));
            *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *out++ = static_cast<char>(0xE0 | (u >> 12));
            *out++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return String(bytes.data(), static_cast<int>(size));
}

String decodeUtf8(const unsigned char* bytes, unsigned count) {
    std::u16string out;
    out.reserve(count);
    unsigned i = 0;
    while (i < count) {
        const unsigned b = bytes[i];
        unsigned size;
        if (b < 0x80) size = 1;
        else if ((b & 0xE0) == 0xC0) size = 2;
        else if ((b & 0xF0) == 0xE0) size = 3;
        else if ((b & 0xF8) == 0xF0) size = 4;
        else if ((b & 0xFC) == 0xF8) size = 5;
        else if ((b & 0xFE) == 0xFC) size = 6;
        else return String();  // a continuation byte, 0xFE or 0xFF where a sequence starts
        if (size > count - i) return String();  // cut short by the end
        const unsigned char* s = bytes + i;
        switch (size) {
        case 1: out += static_cast<char16_t>(b); break;
        case 2: out += static_cast<char16_t>(((b & 0x1F) << 6) | (s[1] & 0x3F)); break;
        case 3: out += static_cast<char16_t>(((b & 0x0F) << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F)); break;
        default: {
            unsigned long value = ((b & 0x07UL) << 18) | ((s[1] & 0x3FUL) << 12) | ((s[2] & 0x3FUL) << 6) | (s[3] & 0x3F);
            if (size == 4 && value >= 0x10000 && value <= 0x10FFFF) {
                value -= 0x10000;
                out += static_cast<char16_t>(0xD800 + (value >> 10));
                out += static_cast<char16_t>(0xDC00 + (value & 0x3FF));
            } else {
                // Out of Unicode's range: the low 16 bits, from the last three bytes.
                const unsigned char* last = s + size - 3;
                out += static_cast<char16_t>(((last[0] & 0x0F) << 12) | ((last[1] & 0x3F) << 6) | (last[2] & 0x3F));
            }
            break;
        }
        }
        i += size;
    }
    return String(out.data(), static_cast<int>(out.size()));
}

}  // namespace kiv
