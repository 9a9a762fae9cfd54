// The XML writer: exact output of kiv::Xml::save and its failure report.
#include <gtest/gtest.h>

#include <string>

#include "kiv/basestream_kiv.h"
#include "kiv/xml_kiv.h"
#include "kiv/xmlwriter_kiv.h"

namespace {

using kiv::String;
using kiv::XmlElement;

// Collects the bytes written; can fail like a full disk after a number of bytes, with or
// without setting the stream's error state.
class MemoryStream : public kiv::BaseStream {
public:
    MemoryStream() {
        state->access = kWrite;
        setNewlineMode(0);
    }
    bool addBuffer(const void* data, unsigned size) override {
        if (failAfter >= 0 && bytes.size() + size > static_cast<size_t>(failAfter)) {
            state->errorFlag = setsError;
            return false;
        }
        bytes.append(static_cast<const char*>(data), size);
        return true;
    }
    std::string bytes;
    long failAfter = -1;
    bool setsError = true;
};

const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

// r > a('x & y'), b > c
void buildExample(kiv::Xml& xml) {
    ASSERT_TRUE(xml.createRoot(String(u"r")));
    xml.getRoot()->createChild(String(u"a"))->setText(String(u"x & y"));
    xml.getRoot()->createChild(String(u"b"))->createChild(String(u"c"));
}

TEST(XmlWriter, ExampleDocumentWithLineBreaks) {
    kiv::Xml xml;
    buildExample(xml);
    MemoryStream out;
    EXPECT_TRUE(xml.save(out, true));
    EXPECT_EQ(out.bytes, std::string(kDeclaration) +
                             "\n<r>\n <a>x &amp; y</a>\n <b>\n  <c/>\n </b>\n</r>\n");
}

TEST(XmlWriter, ExampleDocumentOnOneLine) {
    kiv::Xml xml;
    buildExample(xml);
    MemoryStream out;
    EXPECT_TRUE(xml.save(out, false));
    EXPECT_EQ(out.bytes, std::string(kDeclaration) + "<r><a>x &amp; y</a><b><c/></b></r>");
}

TEST(XmlWriter, DocumentWithoutRootIsTheDeclarationAlone) {
    for (bool lineBreaks : {true, false}) {
        kiv::Xml xml;
        MemoryStream out;
        EXPECT_TRUE(xml.save(out, lineBreaks));
        EXPECT_EQ(out.bytes, std::string(kDeclaration) + (lineBreaks ? "\n" : ""));
        // save fills in what it wrote.
        EXPECT_EQ(xml.getDeclaration(String(u"version")), String(u"1.0"));
        EXPECT_EQ(xml.getEncoding(), String(u"UTF-8"));
    }
}

TEST(XmlWriter, EscapesTextAndAttributeValues) {
    struct Case {
        const char16_t* value;
        const char* written;
    };
    const Case cases[] = {
        {u"a<b", "a&lt;b"},
        {u"&&", "&amp;&amp;"},
        {u"it's", "it&apos;s"},
        {u"say \"hi\"", "say &quot;hi&quot;"},
        {u"a>b", "a&gt;b"},
        {u"&lt;", "&amp;lt;"},
        {u"<&'\">", "&lt;&amp;&apos;&quot;&gt;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        String text(c.value);
        kiv::encodeEntities(text);
        EXPECT_EQ(std::u16string(text.wstr(), text.length()),
                  std::u16string(c.written, c.written + std::string(c.written).size()));

        kiv::Xml xml;
        ASSERT_TRUE(xml.createRoot(String(u"r")));
        xml.getRoot()->setText(String(c.value));
        xml.getRoot()->setAttribute(String(u"v"), String(c.value));
        MemoryStream out;
        EXPECT_TRUE(xml.save(out, false));
        EXPECT_EQ(out.bytes, std::string(kDeclaration) + "<r v=\"" + c.written + "\">" + c.written + "</r>");
    }
}

// Narrow strings (bytes) in a tree are written as their units taken by value and escaped
// like wide ones; encodeEntities keeps a narrow text narrow.
TEST(XmlWriter, NarrowStringsAreWrittenUnitByUnit) {
    String text("x<\xE9", 3);
    kiv::encodeEntities(text);
    EXPECT_FALSE(text.isWide());
    EXPECT_EQ(std::string(text.str(), text.length()), "x&lt;\xE9");

    kiv::Xml xml;
    ASSERT_TRUE(xml.createRoot(String("r")));
    xml.getRoot()->setAttribute(String(u"a"), String("'\xE9"));
    xml.getRoot()->createChild(String("c"))->setText(String("&\xE9"));
    MemoryStream out;
    EXPECT_TRUE(xml.save(out, false));
    // C3 A9: U+00E9, the byte E9 taken as a unit
    EXPECT_EQ(out.bytes, std::string(kDeclaration) + "<r a=\"&apos;\xC3\xA9\"><c>&amp;\xC3\xA9</c></r>");
}

TEST(XmlWriter, AttributesInNameOrderAndEmptyValuesLeftOut) {
    kiv::Xml xml;
    ASSERT_TRUE(xml.createRoot(String(u"r")));
    XmlElement* root = xml.getRoot();
    root->setAttribute(String(u"z"), String(u"1"));
    root->setAttribute(String(u"a"), String(u"2"));
    root->setAttribute(String(u"empty"), String());
    root->setAttribute(String(u"Z"), String(u"3"));
    xml.getDeclaration(String(u"standalone"));  // an empty entry: not written
    xml.setDeclaration(String(u"a"), String(u"<"));
    MemoryStream out;
    EXPECT_TRUE(xml.save(out, false));
    EXPECT_EQ(out.bytes,
              "<?xml version=\"1.0\" a=\"&lt;\" encoding=\"UTF-8\"?><r Z=\"3\" a=\"2\" z=\"1\"/>");
}

TEST(XmlWriter, TextComesFirstAndSuppressesIndentation) {
    kiv::Xml xml;
    ASSERT_TRUE(xml.createRoot(String(u"r")));
    XmlElement* a = xml.getRoot()->createChild(String(u"a"));
    a->setText(String(u"x"));
    a->createChild(String(u"c"));
    a->createChild(String(u"d"))->createChild(String(u"e"));
    MemoryStream out;
    EXPECT_TRUE(xml.save(out, true));
    EXPECT_EQ(out.bytes, std::string(kDeclaration) + "\n<r>\n <a>x<c/>\n<d>\n <e/>\n</d>\n</a>\n</r>\n");
}

TEST(XmlWriter, DeepTreeOnOneLineHasNoIndent) {
    kiv::Xml xml;
    ASSERT_TRUE(xml.createRoot(String(u"r")));
    xml.getRoot()->obtainChild(String(u"a>b>c>d"))->setText(String(u"t"));
    MemoryStream out;
    EXPECT_TRUE(xml.save(out, false));
    EXPECT_EQ(out.bytes, std::string(kDeclaration) + "<r><a><b><c><d>t</d></c></b></a></r>");
}

TEST(XmlWriter, KeepsALoadedEncodingAndTheStreamsEncoding) {
    kiv::Xml xml;
    ASSERT_TRUE(xml.createRoot(String(u"r")));
    xml.setDeclaration(String(u"encoding"), String(u"utf8"));
    xml.setDeclaration(String(u"version"), String(u"1.1"));
    MemoryStream out;
    ASSERT_EQ(out.getEncoding(), kiv::BaseStream::kAnsi);
    EXPECT_TRUE(xml.save(out, false));
    EXPECT_EQ(out.getEncoding(), kiv::BaseStream::kAnsi);
    EXPECT_EQ(out.bytes, "<?xml version=\"1.1\" encoding=\"utf8\"?><r/>");
}

TEST(XmlWriter, NewDocumentSwitchesTheStreamToUtf8) {
    kiv::Xml xml;
    ASSERT_TRUE(xml.createRoot(String(u"r")));
    xml.getRoot()->setText(String(u"\u4F11\u606F"));
    MemoryStream out;
    EXPECT_TRUE(xml.save(out, false));
    EXPECT_EQ(out.getEncoding(), kiv::BaseStream::kUtf8);
    // E4 BC 91: U+4F11; E6 81 AF: U+606F
    EXPECT_EQ(out.bytes, std::string(kDeclaration) + "<r>\xE4\xBC\x91\xE6\x81\xAF</r>");
}

// A failed write must not be reported as a successful save, wherever it happens and
// whether or not the sink marks the stream as failed.
TEST(XmlWriter, FailedWriteFailsTheSave) {
    for (bool setsError : {true, false}) {
        for (long failAfter : {0L, 10L, 45L, 60L}) {
            SCOPED_TRACE(failAfter);
            kiv::Xml xml;
            buildExample(xml);
            MemoryStream out;
            out.failAfter = failAfter;
            out.setsError = setsError;
            EXPECT_FALSE(xml.save(out, true));
            EXPECT_LE(out.bytes.size(), static_cast<size_t>(failAfter));
        }
    }
}

}  // namespace
