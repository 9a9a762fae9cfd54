// kiv::XmlStringParse: the line scanner with XML's name characters, and the entity decoding
// of the XML reader.
#pragma once

#include "kiv/parsestring_kiv.h"

namespace kiv {

// A name is an ASCII letter or "_" followed by ASCII letters, digits, "_", "-" and ".".
class XmlStringParse : public ParseString {
public:
    XmlStringParse(const String& text, int32_t line) : ParseString(text, line) {}

    bool isWordChar(char16_t c, const char16_t* sofar, unsigned length) const override;
};

// Replaces "&amp;", "&lt;", "&gt;", "&apos;" and "&quot;" by their characters in one pass
// from left to right; a replacement is never examined again ("&amp;lt;" gives "&lt;") and
// every other "&" sequence, character references included, stays as it is. A narrow text
// stays narrow.
void decodeEntities(String& text);
// The same decoding in place over `length` units; returns how many units the result has.
unsigned decodeEntities(char16_t* units, unsigned length);

}  // namespace kiv
