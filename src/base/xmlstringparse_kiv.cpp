// XML name characters for the line scanner, and the reader's entity decoding.
#include "kiv/xmlstringparse_kiv.h"

#include <string>

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

void decodeEntities(String& text) {
    const int firstAmpersand = text.find(u'&');
    if (firstAmpersand < 0) return;
    const unsigned length = text.length();
    const char16_t* units = text.wstr();
    // Decoding only shortens, so one buffer of the original length holds the result.
    std::u16string decoded;
    decoded.reserve(length);
    unsigned copiedTo = 0;  // units before this index are already in `decoded`
    for (unsigned i = static_cast<unsigned>(firstAmpersand); i < length; ++i) {
        if (units[i] != u'&') continue;
        const Entity* entity = entityAt(units + i, length - i - 1);
        if (!entity) continue;
        decoded.append(units + copiedTo, i - copiedTo);
        decoded.push_back(entity->character);
        i += entity->length;
        copiedTo = i + 1;
    }
    if (copiedTo == 0) return;
    decoded.append(units + copiedTo, length - copiedTo);
    text = String(decoded.data(), static_cast<int>(decoded.size()));
}

}  // namespace kiv
