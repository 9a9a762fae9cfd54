// kiv::StringC: text conversions and small text helpers, and its one shared instance.
#include "kiv/stringc_kiv.h"

#include <cstdio>
#include <string>

#include "kiv/debug_kiv.h"
#include "os_kiv.h"
#include "stringblock_kiv.h"
#include "utf8_kiv.h"
#include "wideformat_kiv.h"

namespace kiv {

String widened(const String& text) {
    if (text.isWide()) return text;
    String wide;
    for (unsigned i = 0; i < text.length(); ++i) wide.append(text.at(i));
    return wide;
}

const StringC& stringC() {
    static const StringC instance;
    return instance;
}

String StringC::strToWStr(const String& ansi) const {
    if (ansi.isEmpty()) return String();
    if (ansi.isWide()) return ansi;  // already UTF-16
    bool ok = false;
    String wide = os::ansiToWide(ansi.str(), ansi.length(), ok);
    if (!ok) {
        log("[%s]: ", "kiv::StringC::strToWStr");
        return String();
    }
    return wide;
}

String StringC::wstrToStr(const String& wide) const {
    if (wide.isEmpty()) return String("");
    if (!wide.isWide()) return wide;  // already narrow
    bool ok = false;
    String ansi = os::wideToAnsi(wide.wstr(), wide.length(), ok);
    if (!ok) {
        log("[%s]: ", "kiv::StringC::wstrToStr");
        return String("");
    }
    return ansi;
}

String StringC::wstrToUtf8(const String& wide) const {
    String units = widened(wide);
    return encodeUtf8(units.wstr(), units.length());
}

// Bytes come from a narrow string; a wide one is not UTF-8 and gives an empty string.
String StringC::utf8ToWStr(const String& utf8) const {
    if (utf8.isWide()) return String();
    return decodeUtf8(reinterpret_cast<const unsigned char*>(utf8.str()), utf8.length());
}

String StringC::format(const char16_t* format, ...) const {
    va_list args;
    va_start(args, format);
    String text = vformat(format, args);
    va_end(args);
    return text;
}

String StringC::format(const char* format, ...) const {
    va_list args;
    va_start(args, format);
    String text = vformat(format, args);
    va_end(args);
    return text;
}

String StringC::vformat(const char16_t* format, va_list args) const {
    String text;
    text.vformat(format, args);
    return text;
}

String StringC::vformat(const char* format, va_list args) const {
    String text("");
    text.vformat(format, args);
    return text;
}

String StringC::intToStr(int32_t value, int base) const {
    char digits[16];
    if (base == 10) std::snprintf(digits, sizeof digits, "%u", static_cast<unsigned>(static_cast<uint32_t>(value)));
    else if (base == 16) std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned>(static_cast<uint32_t>(value)));
    else return String();
    String text;
    for (const char* p = digits; *p; ++p) text.append(static_cast<unsigned>(*p));
    return text;
}

int32_t StringC::digitsToInt(const String& text) const {
    uint32_t value = 0;
    for (unsigned i = 0; i < text.length(); ++i) {
        unsigned unit = text.at(i);
        if (unit < '0' || unit > '9') break;
        value = value * 10u + (unit - '0');
    }
    return static_cast<int32_t>(value);
}

void StringC::trimByChar(String& text, char16_t delimiter, bool fromFront, bool removeDelimiter) const {
    if (fromFront) {
        int p = text.find(delimiter, 0);
        if (p < 0) return;
        text.erase(0, removeDelimiter ? p + 1 : p);
    } else {
        int p = text.rfind(delimiter, -1);
        if (p < 0) return;
        unsigned from = static_cast<unsigned>(removeDelimiter ? p : p + 1);
        // Keeping a delimiter that ends the text leaves nothing to cut.
        if (from < text.length()) text.erase(static_cast<int>(from));
    }
}

}  // namespace kiv
