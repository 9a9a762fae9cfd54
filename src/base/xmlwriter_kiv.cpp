// The XML writer: kiv::Xml::save, one element per line with one space of indent per level
// when line breaks are on, everything on one line otherwise.
//
// The output is put together in one wide buffer and handed to the stream in large pieces:
// every writeText converts its whole text and goes to the sink, so a call per tag (and a
// string built per tag) cost far more than the text itself.
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "kiv/basestream_kiv.h"
#include "kiv/xml_kiv.h"
#include "kiv/xmlwriter_kiv.h"

namespace kiv {

namespace {

// The five characters written as references: " & ' < > (all below 64, one bit each).
const uint64_t kSpecialUnits =
    (1ull << u'"') | (1ull << u'&') | (1ull << u'\'') | (1ull << u'<') | (1ull << u'>');

bool isSpecial(unsigned unit) { return unit < 64 && ((kSpecialUnits >> unit) & 1) != 0; }

// The reference for one of the five characters, and its length.
const char16_t* referenceFor(unsigned unit, unsigned& length) {
    switch (unit) {
    case u'&': length = 5; return u"&amp;";
    case u'<': length = 4; return u"&lt;";
    case u'>': length = 4; return u"&gt;";
    case u'\'': length = 6; return u"&apos;";
    default: length = 6; return u"&quot;";
    }
}

// Units of either size go by value into `out`.
template <class Out, class Unit>
void appendRun(Out& out, const Unit* begin, const Unit* end) {
    if constexpr (std::is_same<typename Out::value_type, Unit>::value) {
        out.append(begin, static_cast<size_t>(end - begin));
    } else {
        out.append(begin, end);
    }
}

// Narrow output for appendEscaped: units of either size go in by value.
struct NarrowOut {
    using value_type = char;
    template <class Unit>
    void append(const Unit* begin, const Unit* end) {
        bytes.insert(bytes.end(), begin, end);
    }
    std::vector<char> bytes;
};

// Appends the `length` units with the special characters replaced, in one pass: the runs
// between them are copied whole.
template <class Out, class Unit>
void appendEscaped(Out& out, const Unit* units, unsigned length) {
    unsigned done = 0;  // units before this index are in `out`
    for (unsigned i = 0; i < length; ++i) {
        if (!isSpecial(units[i])) continue;
        unsigned referenceLength = 0;
        const char16_t* reference = referenceFor(units[i], referenceLength);
        appendRun(out, units + done, units + i);
        appendRun(out, reference, reference + referenceLength);
        done = i + 1;
    }
    appendRun(out, units + done, units + length);
}

// The units of `text` (of either size) to the wide `out`, widened by value.
void appendUnits(std::u16string& out, const String& text) {
    const unsigned length = text.length();
    if (text.isWide()) {
        out.append(text.wstr(), length);
    } else {
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.str());
        out.append(bytes, bytes + length);
    }
}

void appendEscaped(std::u16string& out, const String& text) {
    const unsigned length = text.length();
    if (text.isWide()) appendEscaped(out, text.wstr(), length);
    else appendEscaped(out, reinterpret_cast<const unsigned char*>(text.str()), length);
}

// ` name="value"` with the value escaped.
void appendAttribute(std::u16string& out, const String& name, const String& value) {
    out += u' ';
    appendUnits(out, name);
    out += u"=\"";
    appendEscaped(out, value);
    out += u'"';
}

// One save's output on its way to the stream.
class XmlWriter {
public:
    XmlWriter(BaseStream& stream, bool lineBreaks) : stream_(stream), lineBreaks_(lineBreaks) {}

    std::u16string& out() { return out_; }
    bool writeElement(const XmlElement& element, const std::u16string& indent);
    // Hands what has been put together to the stream; false when the write failed.
    bool flush();

private:
    // Large enough that the cost of a writeText call vanishes, small enough that the output
    // of a large tree is never built up whole beside it.
    static const size_t kFlushUnits = 32 * 1024;

    bool flushWhenFull() { return out_.size() < kFlushUnits || flush(); }

    BaseStream& stream_;
    const bool lineBreaks_;
    std::u16string out_;
};

bool XmlWriter::flush() {
    if (out_.empty()) return true;
    const bool written = stream_.writeText(String(out_.data(), static_cast<int>(out_.size())));
    out_.clear();
    return written;
}

// After text the children and the end tag start without indent.
bool XmlWriter::writeElement(const XmlElement& element, const std::u16string& indent) {
    if (lineBreaks_) out_ += indent;
    out_ += u'<';
    const String name = element.getName();
    appendUnits(out_, name);
    for (const auto& attribute : element.attributes()) {
        if (!attribute.second.isEmpty()) appendAttribute(out_, attribute.first, attribute.second);
    }
    const String text = element.getText();
    if (text.isEmpty() && element.getChildCount() == 0) {
        out_ += u"/>";
        if (lineBreaks_) out_ += u'\n';
        return flushWhenFull();
    }
    out_ += u'>';
    if (!text.isEmpty()) appendEscaped(out_, text);
    else if (lineBreaks_) out_ += u'\n';
    if (!flushWhenFull()) return false;

    if (element.getChildCount() != 0) {
        const std::u16string childIndent = text.isEmpty() && lineBreaks_ ? indent + u' ' : std::u16string();
        for (const Pointer<XmlElement>& child : element.children()) {
            if (!writeElement(*child.pointer(), childIndent)) return false;
        }
    }
    if (lineBreaks_ && text.isEmpty()) out_ += indent;
    out_ += u"</";
    appendUnits(out_, name);
    out_ += u'>';
    if (lineBreaks_) out_ += u'\n';
    return flushWhenFull();
}

}  // namespace

// Replaces the five special characters by their entity references in one pass, so the
// ampersands of the references written are never escaped again. A text without them is
// left as it is; a narrow text stays narrow.
void encodeEntities(String& text) {
    const unsigned length = text.length();
    if (text.isWide()) {
        const char16_t* units = text.wstr();
        std::u16string escaped;
        appendEscaped(escaped, units, length);
        if (escaped.size() != length) text = String(escaped.data(), static_cast<int>(escaped.size()));
    } else {
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.str());
        NarrowOut escaped;
        appendEscaped(escaped, bytes, length);
        const std::vector<char>& out = escaped.bytes;
        if (out.size() != length) text = String(out.data(), static_cast<int>(out.size()));
    }
}

bool writeElement(BaseStream& stream, const XmlElement& element, bool lineBreaks, const String& indent) {
    XmlWriter writer(stream, lineBreaks);
    std::u16string ownIndent;
    appendUnits(ownIndent, indent);
    return writer.writeElement(element, ownIndent) && writer.flush();
}

bool Xml::save(BaseStream& stream, bool lineBreaks) {
    const String encodingName(u"encoding");
    const String versionName(u"version");
    const String encoding = getDeclaration(encodingName);
    String version = getDeclaration(versionName);
    if (version.isEmpty()) {
        version = u"1.0";
        setDeclaration(versionName, version);
    }
    if (encoding.isEmpty()) {
        setDeclaration(encodingName, String(u"UTF-8"));
        stream.setEncoding(BaseStream::kUtf8);
    }

    XmlWriter writer(stream, lineBreaks);
    std::u16string& head = writer.out();
    head += u"<?xml version=\"";
    appendEscaped(head, version);
    head += u'"';
    for (const auto& entry : declaration()) {
        if (entry.first == versionName || entry.second.isEmpty()) continue;
        appendAttribute(head, entry.first, entry.second);
    }
    head += u"?>";
    if (lineBreaks) head += u'\n';
    // A write can fail without the stream's error state (text the stream's encoding cannot
    // hold), and a sink failure sets the state: either makes the save a failure.
    bool written = true;
    if (XmlElement* root = getRoot()) written = writer.writeElement(*root, std::u16string());
    written = written && writer.flush();
    return written && !stream.isError();
}

}  // namespace kiv
