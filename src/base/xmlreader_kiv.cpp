// The XML reader: kiv::Xml::load. Pulls lines from the stream, cuts them into tokens with
// kiv::XmlStringParse and applies a small XML grammar (declaration, one root, nested
// elements with attributes, text with the five predefined entities, comments).
#include <string>

#include "kiv/basestream_kiv.h"
#include "kiv/stringc_kiv.h"
#include "kiv/xml_kiv.h"
#include "kiv/xmlelement_kiv.h"
#include "kiv/xmlstringparse_kiv.h"
#include "unitscan_kiv.h"

namespace kiv {

namespace {

// Elements nest at most this deep (the root is level 1). The content reader recurses once
// per level, so without a limit a hostile file of deeply nested tags overflows the stack.
const int kMaxDepth = 256;

const char16_t kByteOrderMark = 0xFEFF;

// The index of the first NUL, carriage return or line feed in a line read from the stream,
// or -1. The stream ends lines at these bytes and drops carriage returns, so inside a line
// they can only come from overlong byte sequences, which the UTF-8 decoder does not reject.
// Taken into the tree they would be written back raw and change the file's lines.
int firstLineControl(const String& line) {
    const char16_t* units = line.wstr();
    const unsigned length = line.length();
    // All three are below 14: only such units are looked at.
    for (unsigned i = findUnitBelow(units, 0, length, 14); i < length;
         i = findUnitBelow(units, i + 1, length, 14)) {
        if (units[i] == 0 || units[i] == 10 || units[i] == 13) return static_cast<int>(i);
    }
    return -1;
}

// The state of one load.
class XmlReader {
public:
    explicit XmlReader(BaseStream& stream) : stream_(stream), scanner_(String(), 1) {}

    bool readDocument(Xml& document);
    // 'line[%d],pos[%d]:int16[%s],format err' and a line feed, for the current token.
    String report() const;

private:
    const ParseToken& readToken();
    const ParseToken& readNonSpaceToken();
    bool readAttributes(XmlAttributes& attributes);
    bool readContent(XmlElement& element, int depth);
    bool readText(String& target);
    bool skipComment();
    // The units with their entity references decoded (in place), as a string.
    static String decodedText(std::u16string& units);

    BaseStream& stream_;
    int32_t lineCount_ = 0;
    XmlStringParse scanner_;
    ParseToken current_;
    // Kept between calls so that their memory is reused.
    std::u16string textUnits_;
    std::u16string valueUnits_;
};

const ParseToken& XmlReader::readToken() {
    current_ = scanner_.nextToken();
    if (!current_.isEmpty()) return current_;

    String line;
    if (!stream_.readLine(line)) {
        // End of input: the empty token stands just after the last line.
        scanner_.setText(String(), lineCount_ + 1);
        current_.line = lineCount_ + 1;
        current_.pos = 1;
        return current_;
    }
    // Editors on Windows start UTF-8 files with a byte-order mark; it is not content.
    if (lineCount_ == 0 && stream_.getEncoding() == BaseStream::kUtf8 && !line.isEmpty() &&
        line.at(0) == kByteOrderMark)
        line.erase(0, 1);
    ++lineCount_;
    const int control = firstLineControl(line);
    if (control >= 0) {
        // A format error at that place, reported with an empty token text.
        current_ = ParseToken();
        current_.line = lineCount_;
        current_.pos = control + 1;
        throw -1;
    }
    line.append(u'\n');
    scanner_.setText(line, lineCount_);
    current_ = scanner_.firstToken();
    return current_;
}

const ParseToken& XmlReader::readNonSpaceToken() {
    do {
        readToken();
    } while (!current_.isEmpty() && current_.kind == ParseToken::Space);
    return current_;
}

bool XmlReader::readDocument(Xml& document) {
    // Windows editors save "Unicode" text as UTF-16 behind a byte order mark. The mark
    // decides how the bytes read, whatever the declaration says; without one, UTF-16 text
    // fails at its first character (the zero byte of each unit ends a line).
    const bool utf16 = stream_.takeUtf16ByteOrderMark();
    if (!readNonSpaceToken().is(u'<')) return false;
    if (!readNonSpaceToken().is(u'?')) return false;
    const ParseToken& xml = readNonSpaceToken();
    if (xml.kind != ParseToken::Word || xml.text != u"xml") return false;
    if (!readAttributes(document.declaration())) return false;
    if (!current_.is(u'?')) return false;
    if (!readNonSpaceToken().is(u'>')) return false;
    if (!utf16 && document.getEncoding() == u"utf8") stream_.setEncoding(BaseStream::kUtf8);

    // Comments may stand before the root.
    readNonSpaceToken();
    for (;;) {
        if (!current_.is(u'<')) return false;
        if (!readNonSpaceToken().is(u'!')) break;
        if (!skipComment()) return false;
    }

    if (current_.kind != ParseToken::Word) return false;
    Pointer<XmlElement> root;
    root.create()->setName(current_.text);
    document.setRoot(root);
    XmlElement& element = *root;
    if (!readAttributes(element.attributes())) return false;
    if (current_.is(u'>')) return readContent(element, 1);
    if (current_.is(u'/')) return readNonSpaceToken().is(u'>');
    return false;
}

bool XmlReader::readAttributes(XmlAttributes& attributes) {
    for (;;) {
        if (readNonSpaceToken().isEmpty()) return false;
        if (current_.kind != ParseToken::Word) return true;  // ">", "/" or "?" for the caller
        const String name = current_.text;
        if (!readNonSpaceToken().is(u'=')) return false;
        const ParseToken& quoted = readNonSpaceToken();
        if (quoted.kind != ParseToken::SingleQuoted && quoted.kind != ParseToken::DoubleQuoted)
            return false;
        if (!quoted.closed) return false;
        // The value between the quotes, decoded on its way into the map.
        valueUnits_.assign(quoted.text.wstr() + 1, quoted.text.length() - 2);
        attributes[name] = decodedText(valueUnits_);
    }
}

// Called with the ">" of the element's start tag as the current token; returns with the
// token after the element's end tag.
bool XmlReader::readContent(XmlElement& element, int depth) {
    readNonSpaceToken();
    for (;;) {
        if (current_.is(u'<')) {
            readNonSpaceToken();
            if (current_.is(u'!')) {
                if (!skipComment()) return false;
            } else if (current_.is(u'/')) {
                if (readNonSpaceToken().kind != ParseToken::Word) return false;
                const String name = current_.text;
                if (!readNonSpaceToken().is(u'>')) return false;
                readNonSpaceToken();
                // An end tag of another element is dropped.
                if (name == element.getName()) return true;
            } else if (current_.kind == ParseToken::Word) {
                if (depth >= kMaxDepth) return false;
                Pointer<XmlElement> child;
                XmlElement& created = *child.create();
                created.setName(current_.text);
                if (!readAttributes(created.attributes())) return false;
                if (current_.is(u'>')) {
                    if (!readContent(created, depth + 1)) return false;
                } else if (current_.is(u'/')) {
                    if (!readNonSpaceToken().is(u'>')) return false;
                    readNonSpaceToken();
                } else {
                    return false;
                }
                // Appended only when complete, so children stand in document order.
                element.addChild(child);
            } else {
                return false;
            }
        } else if (current_.isEmpty()) {
            return false;
        } else {
            String text;
            if (!readText(text)) return false;
            element.setText(text);
        }
    }
}

// One run of character data, up to the next "<". White space inside and at the end of the
// run stays; each run replaces the one before. The units are gathered in one buffer (a
// large text comes a line at a time) and become a string once, decoded.
bool XmlReader::readText(String& target) {
    std::u16string& units = textUnits_;
    units.clear();
    while (!current_.is(u'<')) {
        if (current_.isEmpty()) return false;
        units.append(current_.text.wstr(), current_.text.length());
        // The rest of the run on this line in one piece rather than token by token.
        unsigned length = 0;
        const char16_t* run = scanner_.runUntil(u'<', length);
        units.append(run, length);
        readToken();
    }
    target = decodedText(units);
    return true;
}

String XmlReader::decodedText(std::u16string& units) {
    if (units.empty()) return String();
    const unsigned length = decodeEntities(&units[0], static_cast<unsigned>(units.size()));
    return String(units.data(), static_cast<int>(length));
}

// Called with the "!" after "<" as the current token. Only comments are accepted, so
// "<!DOCTYPE" and every other "<!" construct fail here.
bool XmlReader::skipComment() {
    if (!readNonSpaceToken().is(u'-')) return false;
    if (!readNonSpaceToken().is(u'-')) return false;
    for (;;) {
        if (readNonSpaceToken().isEmpty()) return false;
        if (!current_.is(u'-')) continue;
        if (!readNonSpaceToken().is(u'-')) continue;
        if (!readNonSpaceToken().is(u'>')) continue;
        break;
    }
    readNonSpaceToken();
    return true;
}

String XmlReader::report() const {
    const StringC& c = stringC();
    String text(u"line[");
    text += c.intToStr(current_.line);
    text += u"],pos[";
    text += c.intToStr(current_.pos);
    text += u"]:int16[";
    text += current_.text;
    text += u"],format err\n";
    return text;
}

}  // namespace

bool Xml::load(BaseStream& stream) {
    XmlReader reader(stream);
    bool loaded = false;
    try {
        loaded = reader.readDocument(*this);
    } catch (int) {
        // A malformed line, or an empty element pointer's checked access (reported there).
        loaded = false;
    }
    if (!loaded) setLastError(reader.report());
    return loaded;
}

}  // namespace kiv
