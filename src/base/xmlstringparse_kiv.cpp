// XML name characters for the line scanner, and the reader's entity decoding.
#include "kiv/xmlstringparse_kiv.h"

#include <cstring>
#include <string>

#include "scratchbytes_kiv.h"
#include "unitscan_kiv.h"

namespace kiv {

bool XmlStringParse::isWordChar(char16_t c, const char16_t*, unsigned length) const {
    if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_') return true;
    // Digits, "-" and "." may continue a name but never start one.
    if ((c >= u'0' && c <= u'9') || c == u'-' || c == u'.') return length > 0;
    return false;
}

namespace {

struct Entity {
    const char16_t* reference;  // without the leading "&"
    unsigned length;
    char16_t character;
};

const Entity kEntities[] = {
    {u"amp;", 4, u'&'}, {u"lt;", 3, u'<'}, {u"gt;", 3, u'>'},
    {u"apos;", 5, u'\''}, {u"quot;", 5, u'"'},
};

// The entity whose reference starts right after the "&" at units[0], or null.
const Entity* entityAt(const char16_t* units, unsigned available) {
    for (const Entity& entity : kEntities) {
        if (entity.length > available) continue;
        bool same = true;
        for (unsigned i = 0; i < entity.length && same; ++i)
            same = units[1 + i] == entity.reference[i];
        if (same) return &entity;
    }
    return nullptr;
}

}  // namespace

unsigned decodeEntities(char16_t* units, unsigned length) {
    // Decoding only shortens: the result is written over what was read, the text between
    // two "&" moved down as one run.
    unsigned out = 0;
    unsigned i = 0;
    for (;;) {
        const unsigned ampersand = findUnit(units, i, length, u'&');
        if (out != i) std::memmove(units + out, units + i, (ampersand - i) * sizeof(char16_t));
        out += ampersand - i;
        if (ampersand == length) return out;
        const Entity* entity = entityAt(units + ampersand, length - ampersand - 1);
        units[out++] = entity ? entity->character : u'&';
        i = ampersand + 1 + (entity ? entity->length : 0);
    }
}

// A narrow text (bytes) is decoded by unit value like a wide one and stays narrow; taken
// as wide units it would be read past the end of its block.
void decodeEntities(String& text) {
    if (text.find(u'&') < 0) return;
    const unsigned length = text.length();
    if (text.isWide()) {
        std::u16string units(text.wstr(), length);
        const unsigned decoded = decodeEntities(&units[0], length);
        if (decoded != length) text = String(units.data(), static_cast<int>(decoded));
        return;
    }
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.str());
    std::u16string units(bytes, bytes + length);
    const unsigned decoded = decodeEntities(&units[0], length);
    if (decoded == length) return;
    ScratchBytes<256> narrow(decoded);
    for (unsigned i = 0; i < decoded; ++i) narrow.data()[i] = static_cast<char>(units[i]);
    text = String(narrow.data(), static_cast<int>(decoded));
}

}  // namespace kiv
