// Helpers for the XML tests: readable text of wide strings and of whole trees, and loading
// a document from bytes.
#pragma once

#include <string>

#include "kiv/xml_kiv.h"
#include "kiv/xmlelement_kiv.h"
#include "memory_stream.h"

namespace kivtest {

// UTF-16 to UTF-8 on its own (not through the library under test); a lone surrogate is
// shown as "?".
inline std::string utf8(const kiv::String& text) {
    std::string out;
    const char16_t* units = text.wstr();
    const unsigned length = text.length();
    for (unsigned i = 0; i < length; ++i) {
        unsigned c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = '?';
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// name{a=1;b=2;}"text"[child,child]: attributes and text only when present.
inline std::string dump(const kiv::XmlElement& element) {
    std::string out = utf8(element.getName());
    if (!element.attributes().empty()) {
        out += "{";
        for (const auto& attribute : element.attributes())
            out += utf8(attribute.first) + "=" + utf8(attribute.second) + ";";
        out += "}";
    }
    if (!element.getText().isEmpty()) out += "\"" + utf8(element.getText()) + "\"";
    if (element.getChildCount() > 0) {
        out += "[";
        bool first = true;
        for (const auto& child : element.children()) {
            if (!first) out += ",";
            first = false;
            out += child.get() ? dump(*child.get()) : std::string("<null>");
        }
        out += "]";
    }
    return out;
}

inline std::string dump(const kiv::Xml& document) {
    return document.getRoot() ? dump(*document.getRoot()) : std::string("<no root>");
}

// The text as UTF-16 bytes, little- or big-endian, after a byte order mark when asked.
inline std::string utf16Bytes(const std::u16string& text, bool bigEndian, bool mark = true) {
    std::string bytes;
    auto put = [&](char16_t unit) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    };
    if (mark) put(0xFEFF);
    for (char16_t unit : text) put(unit);
    return bytes;
}

// Loads `bytes` (UTF-8 stream unless told otherwise) into `document`.
inline bool loadBytes(kiv::Xml& document, const std::string& bytes,
                      int encoding = kiv::BaseStream::kUtf8) {
    MemoryStream stream(bytes, encoding);
    return document.load(stream);
}

}  // namespace kivtest
