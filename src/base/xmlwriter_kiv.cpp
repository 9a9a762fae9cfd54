// The XML writer: kiv::Xml::save, one element per line with one space of indent per level
// when line breaks are on, everything on one line otherwise.
#include "kiv/basestream_kiv.h"
#include "kiv/xml_kiv.h"
#include "kiv/xmlwriter_kiv.h"

namespace kiv {

// Replaces the five special characters by their entity references; '&' goes first so the
// ampersands of the references written are not escaped again.
void encodeEntities(String& text) {
    text.replaceAll(u"&", u"&amp;");
    text.replaceAll(u"<", u"&lt;");
    text.replaceAll(u">", u"&gt;");
    text.replaceAll(u"'", u"&apos;");
    text.replaceAll(u"\"", u"&quot;");
}

namespace {

// ` name="value"` with the value escaped.
void appendAttribute(String& out, const String& name, const String& value) {
    String escaped = value;
    encodeEntities(escaped);
    out += u" ";
    out += name;
    out += u"=\"";
    out += escaped;
    out += u"\"";
}

}  // namespace

bool writeElement(BaseStream& stream, const XmlElement& element, bool lineBreaks, const String& indent) {
    const String ownIndent = lineBreaks ? indent : String();
    const String newline = lineBreaks ? String(u"\n") : String();

    String start = ownIndent;
    start += u"<";
    start += element.getName();
    for (const auto& attribute : element.attributes()) {
        if (!attribute.second.isEmpty()) appendAttribute(start, attribute.first, attribute.second);
    }
    const String text = element.getText();
    if (text.isEmpty() && element.getChildCount() == 0) {
        return stream.writeText(start + u"/>" + newline);
    }
    start += u">";

    // After text the children and the end tag start without indent.
    String innerIndent = ownIndent;
    if (!text.isEmpty()) {
        String escaped = text;
        encodeEntities(escaped);
        start += escaped;
        innerIndent = String();
    } else {
        start += newline;
    }
    if (!stream.writeText(start)) return false;

    const String childIndent = text.isEmpty() ? innerIndent + u" " : String();
    for (const Pointer<XmlElement>& child : element.children()) {
        if (!writeElement(stream, *child.pointer(), lineBreaks, childIndent)) return false;
    }
    return stream.writeText(innerIndent + u"</" + element.getName() + u">" + newline);
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

    String head(u"<?xml version=\"");
    encodeEntities(version);
    head += version;
    head += u"\"";
    for (const auto& entry : declaration()) {
        if (entry.first == versionName || entry.second.isEmpty()) continue;
        appendAttribute(head, entry.first, entry.second);
    }
    head += u"?>";
    if (lineBreaks) head += u"\n";
    // A write can fail without the stream's error state (text the stream's encoding cannot
    // hold), and a sink failure sets the state: either makes the save a failure.
    bool written = stream.writeText(head);
    if (written) {
        if (XmlElement* root = getRoot()) written = writeElement(stream, *root, lineBreaks, String());
    }
    return written && !stream.isError();
}

}  // namespace kiv
