// printf-style formatting of wide (char16_t) and narrow formats.
#include "wideformat_kiv.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

namespace kiv {

namespace {

// Widths and precisions beyond this are taken as this: a stray "%999999999d" must not ask
// for a gigabyte.
const int kMaxField = 1 << 20;

// The five flags, one bit each in the order written here. A flag given twice means what
// it means once.
const char kFlags[] = "-+ #0";
const unsigned kLeftAlignFlag = 1u;  // '-'

unsigned flagBit(char16_t unit) {
    for (unsigned i = 0; kFlags[i]; ++i) {
        if (unit == static_cast<unsigned char>(kFlags[i])) return 1u << i;
    }
    return 0;
}

// One conversion: "%[flags][width][.precision][length]conv".
struct Conversion {
    unsigned flags = 0;  // bits of kFlags
    int width = -1;
    int precision = -1;
    enum Length { kNone, kChar, kShort, kLong, kLongLong, kLongDouble, kSize, kMax, kDiff, kWide } length = kNone;
    char16_t conv = 0;
    bool leftAlign() const { return (flags & kLeftAlignFlag) != 0; }
};

// The digits of a width or precision (at most kMaxField) at `out`; returns the end.
char* putDigits(char* out, int value) {
    char digits[12];
    unsigned n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (n > 0) *out++ = digits[--n];
    return out;
}

class WideFormatter {
public:
    WideFormatter(const char16_t* format, va_list args) : format_(format) { va_copy(args_, args); }
    ~WideFormatter() { va_end(args_); }
    WideFormatter(const WideFormatter&) = delete;
    WideFormatter& operator=(const WideFormatter&) = delete;

    std::u16string run() {
        const char16_t* p = format_;
        while (p && *p) {
            if (*p != u'%') {
                out_ += *p++;
                continue;
            }
            const char16_t* start = p++;
            if (*p == u'%') {
                out_ += u'%';
                ++p;
                continue;
            }
            Conversion c;
            p = parse(p, c);
            if (!c.conv) {  // the format ends inside a conversion: kept as it stands
                out_.append(start, p);
                break;
            }
            if (!convert(c)) out_.append(start, p);
        }
        return out_;
    }

private:
    int number(const char16_t*& p) {
        long value = 0;
        while (*p >= u'0' && *p <= u'9') {
            if (value < kMaxField) value = value * 10 + (*p - u'0');
            ++p;
        }
        return static_cast<int>(value < kMaxField ? value : kMaxField);
    }

    const char16_t* parse(const char16_t* p, Conversion& c) {
        for (unsigned bit; (bit = flagBit(*p)) != 0; ++p) c.flags |= bit;
        if (*p == u'*') {
            ++p;
            int w = va_arg(args_, int);
            if (w < 0) {
                c.flags |= kLeftAlignFlag;
                w = w == INT32_MIN ? kMaxField : -w;
            }
            c.width = w < kMaxField ? w : kMaxField;
        } else if (*p >= u'0' && *p <= u'9') {
            c.width = number(p);
        }
        if (*p == u'.') {
            ++p;
            if (*p == u'*') {
                ++p;
                int pr = va_arg(args_, int);
                c.precision = pr < 0 ? -1 : (pr < kMaxField ? pr : kMaxField);
            } else {
                c.precision = number(p);
            }
        }
        switch (*p) {
        case u'h':
            ++p;
            c.length = Conversion::kShort;
            if (*p == u'h') {
                ++p;
                c.length = Conversion::kChar;
            }
            break;
        case u'l':
            ++p;
            c.length = Conversion::kLong;
            if (*p == u'l') {
                ++p;
                c.length = Conversion::kLongLong;
            }
            break;
        case u'L': ++p; c.length = Conversion::kLongDouble; break;
        case u'z': ++p; c.length = Conversion::kSize; break;
        case u'j': ++p; c.length = Conversion::kMax; break;
        case u't': ++p; c.length = Conversion::kDiff; break;
        case u'w': ++p; c.length = Conversion::kWide; break;
        case u'I':  // I64 and I32, as the Windows runtime writes them
            if (p[1] == u'6' && p[2] == u'4') {
                p += 3;
                c.length = Conversion::kLongLong;
            } else if (p[1] == u'3' && p[2] == u'2') {
                p += 3;
            }
            break;
        default: break;
        }
        c.conv = *p;
        if (*p) ++p;
        return p;
    }

    // The conversion as snprintf is given it: flags, width and precision as parsed, `length`
    // and conv. At most 5 flags, two fields of 7 digits, a point, 2 length letters, conv
    // and the terminator: the buffer always holds it.
    struct NarrowConversion {
        char text[32];
    };

    static NarrowConversion narrowConversion(const Conversion& c, const char* length) {
        NarrowConversion conversion;
        char* out = conversion.text;
        *out++ = '%';
        for (unsigned i = 0; kFlags[i]; ++i) {
            if (c.flags & (1u << i)) *out++ = kFlags[i];
        }
        if (c.width >= 0) out = putDigits(out, c.width);
        if (c.precision >= 0) {
            *out++ = '.';
            out = putDigits(out, c.precision);
        }
        while (*length) *out++ = *length++;
        *out++ = static_cast<char>(c.conv);
        *out = '\0';
        return conversion;
    }

    template <class T>
    void printNumber(const NarrowConversion& conversion, T value) {
        char small[128];
        int n = std::snprintf(small, sizeof small, conversion.text, value);
        if (n < 0) return;
        if (static_cast<size_t>(n) < sizeof small) {
            out_.append(small, small + n);
            return;
        }
        std::vector<char> big(static_cast<size_t>(n) + 1);
        std::snprintf(big.data(), big.size(), conversion.text, value);
        out_.append(big.data(), big.data() + n);
    }

    void signedNumber(const Conversion& c) {
        long long v;
        switch (c.length) {
        case Conversion::kChar: v = static_cast<signed char>(va_arg(args_, int)); break;
        case Conversion::kShort: v = static_cast<short>(va_arg(args_, int)); break;
        case Conversion::kLong: v = va_arg(args_, long); break;
        case Conversion::kLongLong:
        case Conversion::kMax: v = va_arg(args_, long long); break;
        case Conversion::kSize: v = static_cast<long long>(va_arg(args_, size_t)); break;
        case Conversion::kDiff: v = va_arg(args_, ptrdiff_t); break;
        default: v = va_arg(args_, int); break;
        }
        printNumber(narrowConversion(c, "ll"), v);
    }

    void unsignedNumber(const Conversion& c) {
        unsigned long long v;
        switch (c.length) {
        case Conversion::kChar: v = static_cast<unsigned char>(va_arg(args_, unsigned)); break;
        case Conversion::kShort: v = static_cast<unsigned short>(va_arg(args_, unsigned)); break;
        case Conversion::kLong: v = va_arg(args_, unsigned long); break;
        case Conversion::kLongLong:
        case Conversion::kMax: v = va_arg(args_, unsigned long long); break;
        case Conversion::kSize: v = va_arg(args_, size_t); break;
        case Conversion::kDiff: v = static_cast<unsigned long long>(va_arg(args_, ptrdiff_t)); break;
        default: v = va_arg(args_, unsigned); break;
        }
        printNumber(narrowConversion(c, "ll"), v);
    }

    void floating(const Conversion& c) {
        if (c.length == Conversion::kLongDouble) printNumber(narrowConversion(c, "L"), va_arg(args_, long double));
        else printNumber(narrowConversion(c, ""), va_arg(args_, double));
    }

    // Width and precision for texts and characters, applied here rather than by snprintf.
    // A narrow text is widened byte by byte. The precision bounds what is read, so a text
    // that is not terminated within it is never overrun.
    template <class Unit>
    void text(const Conversion& c, const Unit* s, size_t length) {
        size_t pad = c.width > 0 && static_cast<size_t>(c.width) > length ? c.width - length : 0;
        if (!c.leftAlign()) out_.append(pad, u' ');
        for (size_t i = 0; i < length; ++i) out_ += static_cast<char16_t>(static_cast<std::make_unsigned_t<Unit>>(s[i]));
        if (c.leftAlign()) out_.append(pad, u' ');
    }

    template <class Unit>
    void cString(const Conversion& c, const Unit* s) {
        static const Unit kNull[] = {'(', 'n', 'u', 'l', 'l', ')', 0};
        if (!s) s = kNull;
        const size_t limit = c.precision >= 0 ? static_cast<size_t>(c.precision) : SIZE_MAX;
        size_t n = 0;
        while (n < limit && s[n]) ++n;
        text(c, s, n);
    }

    bool convert(const Conversion& c) {
        const bool narrowArg = c.length == Conversion::kShort;
        const bool wideArg = c.length == Conversion::kLong || c.length == Conversion::kWide;
        switch (c.conv) {
        case u'd':
        case u'i': signedNumber(c); return true;
        case u'u':
        case u'x':
        case u'X':
        case u'o': unsignedNumber(c); return true;
        case u'e':
        case u'E':
        case u'f':
        case u'F':
        case u'g':
        case u'G':
        case u'a':
        case u'A': floating(c); return true;
        case u'p': printNumber(narrowConversion(c, ""), va_arg(args_, void*)); return true;
        case u'n': va_arg(args_, void*); return true;  // writes nothing through the pointer
        case u's':
            if (narrowArg) cString(c, va_arg(args_, const char*));
            else cString(c, va_arg(args_, const char16_t*));
            return true;
        case u'S':
            if (wideArg) cString(c, va_arg(args_, const char16_t*));
            else cString(c, va_arg(args_, const char*));
            return true;
        case u'c':
        case u'C': {
            int unit = va_arg(args_, int);
            bool narrow = c.conv == u'c' ? narrowArg : !wideArg;
            char16_t one = narrow ? static_cast<char16_t>(static_cast<unsigned char>(unit)) : static_cast<char16_t>(unit);
            text(c, &one, 1);
            return true;
        }
        default: return false;
        }
    }

    const char16_t* format_;
    va_list args_;
    std::u16string out_;
};

}  // namespace

std::u16string formatWide(const char16_t* format, va_list args) {
    WideFormatter formatter(format, args);
    return formatter.run();
}

String formatNarrow(const char* format, va_list args) {
    if (!format) return String("");
    char small[256];
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0) return String("");
    if (static_cast<size_t>(n) < sizeof small) return String(small, n);
    std::vector<char> big(static_cast<size_t>(n) + 1);
    va_copy(copy, args);
    std::vsnprintf(big.data(), big.size(), format, copy);
    va_end(copy);
    return String(big.data(), n);
}

}  // namespace kiv
