// The XML reader: what it accepts, what it rejects with which report, and save/load round
// trips with the writer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kiv/file_kiv.h"
#include "kiv/profilefile_kiv.h"
#include "kiv/xml_kiv.h"
#include "kiv/xmlelement_kiv.h"
#include "memory_stream.h"
#include "xml_test_util.h"

namespace {

using kivtest::dump;
using kivtest::loadBytes;
using kivtest::utf16Bytes;
using kivtest::utf8;

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

struct AcceptCase {
    const char* name;
    std::string input;
    const char* tree;
};

TEST(XmlReadAccept, TreesOfValidDocuments) {
    const std::vector<AcceptCase> cases = {
        {"empty root", kDecl + "<r/>", "r"},
        {"empty root with end tag", kDecl + "\n<r></r>\n", "r"},
        {"declaration spread out", "< ? xml version = \"1.0\" ? >\n<r/>", "r"},
        {"declaration without attributes", "<?xml?><r/>", "r"},
        {"declaration over lines", "<?xml\nversion='1.0'\n?>\n<r/>", "r"},
        {"attributes without white space", "<?xml?><r a=\"1\"b='2'c=\"x'y\"/>",
         "r{a=1;b=2;c=x'y;}"},
        {"last attribute wins", "<?xml?><r a='1' a='2'/>", "r{a=2;}"},
        {"attributes sorted by name", "<?xml?><r z='1' a='2' Z='3'/>", "r{Z=3;a=2;z=1;}"},
        {"children in document order", "<?xml?><r><a/><b>t</b><a x='y'></a></r>",
         "r[a,b\"t\",a{x=y;}]"},
        {"white space inside tags", "<?xml?>< r >< a / >< / r >", "r[a]"},
        {"name characters", "<?xml?><_a-1.b/>", "_a-1.b"},
        {"comment before root and between children",
         "<?xml?>\n<!-- about -->\n<r><!-- x --><a/><!--y --></r>", "r[a]"},
        {"empty comment", "<?xml?><!----><r/>", "r"},
        {"comment end with spaces", "<?xml?><!-- a - - ><r/>", "r"},
        {"comment keeps markup", "<?xml?><r><!-- <b/> --></r>", "r"},
        {"foreign end tag dropped", "<?xml?><r><a></b>t</a></r>", "r[a\"t\"]"},
        {"text over several lines",
         "<?xml?><r>\n  first\n  second\n</r>", "r\"first\n  second\n\""},
        {"only the last text run stays", "<?xml?><r>one<a/>two<!-- -->three</r>",
         "r\"three\"[a]"},
        {"entities in text decoded once", "<?xml?><r>a &amp;amp; b &lt;&gt;&apos;&quot;</r>",
         "r\"a &amp; b <>'\"\""},
        {"entities in attributes", "<?xml?><r v='&lt;x&gt;' n='&#65;'/>", "r{n=&#65;;v=<x>;}"},
        {"apostrophe swallows the rest of the line", "<?xml?><r>it's <b/>\n</r>",
         "r\"it's <b/>\n\""},
        {"closed quote in text", "<?xml?><r>say \"hi\" <b/></r>", "r\"say \"hi\" \"[b]"},
        {"CJK text", "<?xml?><r>\xe4\xb8\xad\xe6\x96\x87</r>", "r\"\xe4\xb8\xad\xe6\x96\x87\""},
        {"CR LF line ends", "<?xml?>\r\n<r>\r\n<a>x</a>\r\n</r>\r\n", "r[a\"x\"]"},
        {"whatever follows the root is not read", "<?xml?><r/>junk <<< &", "r"},
    };
    for (const AcceptCase& c : cases) {
        kiv::Xml document;
        EXPECT_TRUE(loadBytes(document, c.input)) << c.name << ": " << utf8(document.getLastError());
        EXPECT_EQ(dump(document), c.tree) << c.name;
        EXPECT_TRUE(document.getLastError().isEmpty()) << c.name;
    }
}

struct RejectCase {
    const char* name;
    std::string input;
    const char* report;
};

TEST(XmlReadReject, ExactReports) {
    const std::vector<RejectCase> cases = {
        {"empty input", "", "line[1],pos[1]:int16[],format err\n"},
        {"only white space", " \n\n", "line[3],pos[1]:int16[],format err\n"},
        {"text instead of a document", "abc", "line[1],pos[1]:int16[abc],format err\n"},
        {"no declaration", "<r/>", "line[1],pos[2]:int16[r],format err\n"},
        {"upper-case XML", "<?XML version=\"1.0\"?><r/>",
         "line[1],pos[3]:int16[XML],format err\n"},
        {"name run into xml", "<?xmlversion='1'?><r/>",
         "line[1],pos[3]:int16[xmlversion],format err\n"},
        {"declaration not ended by ?", "<?xml version=\"1.0\">\n<r/>",
         "line[1],pos[20]:int16[>],format err\n"},
        {"missing root", kDecl, "line[2],pos[1]:int16[],format err\n"},
        {"missing root after a comment", "<?xml?>\n<!-- c -->\n",
         "line[3],pos[1]:int16[],format err\n"},
        {"text before the root", "<?xml?>\nhello", "line[2],pos[1]:int16[hello],format err\n"},
        {"document type", "<?xml?><!DOCTYPE r><r/>",
         "line[1],pos[10]:int16[DOCTYPE],format err\n"},
        {"single dash comment", "<?xml?><!- x --><r/>", "line[1],pos[12]:int16[x],format err\n"},
        {"unclosed root", "<?xml?><r>text", "line[2],pos[1]:int16[],format err\n"},
        {"end tag of another element only", "<?xml?>\n<r></x>",
         "line[3],pos[1]:int16[],format err\n"},
        // "-" continues a name, so "y--" is one word and does not end the comment.
        {"comment end glued to a word", "<?xml?><r><!--y--></r>",
         "line[2],pos[1]:int16[],format err\n"},
        {"comment ended by three dashes", "<?xml?><!-- a ---><r/>",
         "line[2],pos[1]:int16[],format err\n"},
        {"attribute quote not closed on its line", "<?xml?><r a=\"x/>\n\"/>",
         "line[1],pos[13]:int16[\"x/>\n],format err\n"},
        {"attribute without value", "<?xml?><r a/>", "line[1],pos[12]:int16[/],format err\n"},
        {"unquoted attribute value", "<?xml?><r a=1/>", "line[1],pos[13]:int16[1],format err\n"},
        {"colon in a name", "<?xml?><a:b/>", "line[1],pos[10]:int16[:],format err\n"},
        {"name starting with a digit", "<?xml?>\n<1a/>", "line[2],pos[2]:int16[1],format err\n"},
        {"letter outside ASCII", "<?xml?><r\xc3\xa9/>",
         "line[1],pos[10]:int16[\xc3\xa9],format err\n"},
        {"slash not followed by >", "<?xml?><r / x>", "line[1],pos[13]:int16[x],format err\n"},
        {"child tag broken", "<?xml?><r><a ?></r>", "line[1],pos[14]:int16[?],format err\n"},
        {"stray markup in content", "<?xml?><r><=</r>", "line[1],pos[12]:int16[=],format err\n"},
        {"end tag without name", "<?xml?><r></ ></r>", "line[1],pos[14]:int16[>],format err\n"},
        {"apostrophe in text hides the end tag", "<?xml?><r>it's</r>",
         "line[2],pos[1]:int16[],format err\n"},
    };
    for (const RejectCase& c : cases) {
        kiv::Xml document;
        EXPECT_FALSE(loadBytes(document, c.input)) << c.name;
        EXPECT_EQ(utf8(document.getLastError()), c.report) << c.name;
    }
}

TEST(XmlReadState, FailureBeforeTheRootKeepsThePreviousRoot) {
    kiv::Xml document;
    ASSERT_TRUE(document.createRoot(kiv::String(u"old")));
    EXPECT_FALSE(loadBytes(document, "<?xml?><!DOCTYPE x>"));
    EXPECT_EQ(dump(document), "old");
}

TEST(XmlReadState, FailureInsideTheRootLeavesThePartialNewRoot) {
    kiv::Xml document;
    ASSERT_TRUE(document.createRoot(kiv::String(u"old")));
    EXPECT_FALSE(loadBytes(document, "<?xml?><new><a/><b"));
    EXPECT_EQ(dump(document), "new[a]");
}

TEST(XmlReadState, SuccessKeepsLastErrorAndDeclarationIsMerged) {
    kiv::Xml document;
    ASSERT_TRUE(document.setDeclaration(kiv::String(u"standalone"), kiv::String(u"yes")));
    EXPECT_FALSE(loadBytes(document, "junk"));
    const std::string report = utf8(document.getLastError());
    EXPECT_EQ(report, "line[1],pos[1]:int16[junk],format err\n");
    EXPECT_TRUE(loadBytes(document, "<?xml version='2' encoding='x'?><r/>"));
    EXPECT_EQ(utf8(document.getLastError()), report);
    EXPECT_EQ(utf8(document.getDeclaration(kiv::String(u"standalone"))), "yes");
    EXPECT_EQ(utf8(document.getDeclaration(kiv::String(u"version"))), "2");
    EXPECT_EQ(utf8(document.getEncoding()), "x");
}

TEST(XmlReadState, DeclaredUtf8SwitchesAnAnsiStreamOnlyForTheExactName) {
    const struct {
        const char* declaration;
        int encodingAfter;
    } cases[] = {
        {"<?xml version='1.0' encoding='utf8'?>", kiv::BaseStream::kUtf8},
        {"<?xml version='1.0' encoding='UTF-8'?>", kiv::BaseStream::kAnsi},
        {"<?xml version='1.0'?>", kiv::BaseStream::kAnsi},
    };
    for (const auto& c : cases) {
        kivtest::MemoryStream stream(std::string(c.declaration) + "\n<r/>", kiv::BaseStream::kAnsi);
        kiv::Xml document;
        EXPECT_TRUE(document.load(stream)) << c.declaration;
        EXPECT_EQ(stream.getEncoding(), c.encodingAfter) << c.declaration;
    }
}

TEST(XmlReadState, Utf8SwitchAppliesToTheFollowingLines) {
    // E4 B8 AD: U+4E2D, read as one character only once the stream decodes UTF-8.
    kivtest::MemoryStream stream("<?xml encoding='utf8'?>\n<r>\xe4\xb8\xad</r>", kiv::BaseStream::kAnsi);
    kiv::Xml document;
    ASSERT_TRUE(document.load(stream));
    EXPECT_EQ(document.getRoot()->getText(), kiv::String(u"\u4e2d"));
}

// Files saved by common Windows editors start with EF BB BF; without skipping it the
// settings file failed to load and every setting fell back to its default.
TEST(XmlReadByteOrderMark, OneLeadingMarkIsSkipped) {
    const std::string bom = "\xef\xbb\xbf";
    kiv::Xml document;
    EXPECT_TRUE(loadBytes(document, bom + kDecl + "<r>x</r>")) << utf8(document.getLastError());
    EXPECT_EQ(dump(document), "r\"x\"");

    kiv::Xml positions;
    EXPECT_FALSE(loadBytes(positions, bom + "abc"));
    EXPECT_EQ(utf8(positions.getLastError()), "line[1],pos[1]:int16[abc],format err\n");
}

TEST(XmlReadByteOrderMark, OnlyOneAndOnlyAtTheStart) {
    const std::string bom = "\xef\xbb\xbf";
    kiv::Xml twice;
    EXPECT_FALSE(loadBytes(twice, bom + bom + kDecl + "<r/>"));
    EXPECT_EQ(utf8(twice.getLastError()), "line[1],pos[1]:int16[" + bom + "],format err\n");

    kiv::Xml later;
    EXPECT_FALSE(loadBytes(later, kDecl + "\n" + bom + "<r/>"));
    EXPECT_EQ(utf8(later.getLastError()), "line[2],pos[1]:int16[" + bom + "],format err\n");
}

TEST(XmlReadByteOrderMark, SettingsFileWithMarkLoadsThroughAFile) {
    kiv::File file;
    ASSERT_TRUE(file.open(kiv::String(u"" KIV_TEST_DATA "/xml/bom-settings.xml"), kiv::BaseStream::kRead,
                          kiv::BaseStream::kUtf8));
    kiv::Xml document;
    EXPECT_TRUE(document.load(file)) << utf8(document.getLastError());
    kiv::XmlElement* work = document.findElement(kiv::String(u"WorkTime"));
    ASSERT_NE(work, nullptr);
    EXPECT_EQ(utf8(work->getText()), "3120");

    kiv::ProfileFile profile;
    ASSERT_TRUE(profile.load(kiv::String(u"" KIV_TEST_DATA "/xml/bom-settings.xml")));
    EXPECT_EQ(profile.getIntValue(kiv::String(), kiv::String(u"RelaxTime"), 0), 480);
}

// Windows editors offer to save text as "Unicode": UTF-16 behind a byte order mark. Such a
// settings file was refused, and every setting fell back to its default.
TEST(XmlReadByteOrderMark, Utf16WithMarkGivesTheTreeOfTheSameUtf8Text) {
    // Longer than one 256-byte refill, with Chinese text on both sides of the boundary.
    const std::u16string body = u"\r\n<!-- \u6ce8 -->\r\n<profile a='\u4e2d'>\r\n <relax>D:\\\u97f3\u4e50 &amp; x</relax>\r\n"
                                u" <long>" + std::u16string(120, u'\u6587') + u"</long>\r\n <b/>\r\n</profile>\r\n";
    const std::u16string declared = u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + body;
    kiv::Xml fromUtf8;
    ASSERT_TRUE(loadBytes(fromUtf8, utf8(kiv::String(declared.c_str(), static_cast<int>(declared.size())))));
    const std::string expected = dump(fromUtf8);

    // A declared "utf8" does not switch a marked UTF-16 stream to UTF-8.
    const std::u16string utf8Declared = u"<?xml version=\"1.0\" encoding=\"utf8\"?>" + body;
    for (bool bigEndian : {false, true}) {
        for (const std::u16string* text : {&declared, &utf8Declared}) {
            SCOPED_TRACE(testing::Message() << (bigEndian ? "big-endian" : "little-endian")
                                            << (text == &declared ? ", UTF-8" : ", utf8"));
            kiv::Xml document;
            EXPECT_TRUE(loadBytes(document, utf16Bytes(*text, bigEndian))) << utf8(document.getLastError());
            EXPECT_EQ(dump(document), expected);
        }
    }
}

// UTF-16 without a mark, and a lone byte where a unit should be, are refused like any other
// text that does not decode.
TEST(XmlReadByteOrderMark, Utf16WithoutMarkOrWithAnOddByteIsRefused) {
    const std::u16string text = u"<?xml version=\"1.0\"?>\r\n<r>\u4e2d</r>";
    for (bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        kiv::Xml unmarked;
        EXPECT_FALSE(loadBytes(unmarked, utf16Bytes(text, bigEndian, false)));
        kiv::Xml odd;
        EXPECT_FALSE(loadBytes(odd, utf16Bytes(text, bigEndian) + "x"));
        EXPECT_FALSE(odd.getLastError().isEmpty());
    }
}

std::string nested(int depth) {
    std::string text = kDecl + "\n";
    for (int i = 0; i < depth; ++i) text += "<a>";
    for (int i = 0; i < depth; ++i) text += "</a>";
    return text;
}

TEST(XmlReadDepth, TwoHundredFiftySixLevelsLoad) {
    kiv::Xml document;
    ASSERT_TRUE(loadBytes(document, nested(256))) << utf8(document.getLastError());
    int depth = 1;
    for (const kiv::XmlElement* e = document.getRoot(); e->getChildCount() > 0;
         e = e->children().front().get())
        ++depth;
    EXPECT_EQ(depth, 256);
}

// 100,000 nested elements overflowed the stack of the recursive content reader.
TEST(XmlReadDepth, DeeperNestingIsAFormatErrorNotACrash) {
    const struct {
        int depth;
        const char* report;
    } cases[] = {
        {257, "line[2],pos[770]:int16[a],format err\n"},
        {100000, "line[2],pos[770]:int16[a],format err\n"},
    };
    for (const auto& c : cases) {
        kiv::Xml document;
        EXPECT_FALSE(loadBytes(document, nested(c.depth))) << c.depth;
        EXPECT_EQ(utf8(document.getLastError()), c.report) << c.depth;
    }
}

// Regression: a line that was not UTF-8 was read as an empty line, so the document loaded
// without what stood on it (and a save then dropped it for good). The load fails at that
// line instead.
TEST(XmlReadReject, LineThatIsNotUtf8FailsTheLoadAtThatLine) {
    // E9 alone: e-acute in Latin-1, a cut-short sequence in UTF-8.
    kivtest::MemoryStream stream(kDecl + "\n<r>\n<a>x</a>\n\xE9\n<b/>\n</r>\n", kiv::BaseStream::kUtf8);
    kiv::Xml document;
    EXPECT_FALSE(document.load(stream));
    EXPECT_EQ(utf8(document.getLastError()), "line[4],pos[1]:int16[],format err\n");
    EXPECT_TRUE(stream.isError());
}

// Faults found by the fuzz targets, kept as files.
TEST(XmlReadRegression, FuzzFindings) {
    const struct {
        const char16_t* file;
        const char* report;
    } cases[] = {
        // 100,000 nested start tags overflowed the stack.
        {u"regress-deep-nesting.xml", "line[2],pos[770]:int16[a],format err\n"},
        // C0 80 (an overlong NUL) decoded into an attribute was saved as a raw 0 byte, which
        // ends the line on the next load: the saved file no longer loaded.
        {u"regress-overlong-nul.xml", "line[2],pos[8]:int16[],format err\n"},
        // C0 8A / C0 8D (overlong line feed and carriage return) in text were saved raw and
        // came back as other lines or not at all.
        {u"regress-overlong-newline.xml", "line[3],pos[8]:int16[],format err\n"},
    };
    for (const auto& c : cases) {
        kiv::File file;
        ASSERT_TRUE(file.open(kiv::String(u"" KIV_TEST_DATA "/xml/") + kiv::String(c.file),
                              kiv::BaseStream::kRead, kiv::BaseStream::kUtf8))
            << utf8(kiv::String(c.file));
        kiv::Xml document;
        EXPECT_FALSE(document.load(file)) << utf8(kiv::String(c.file));
        EXPECT_EQ(utf8(document.getLastError()), c.report) << utf8(kiv::String(c.file));
    }
}

// save, then load: the same tree.
std::string saveAndReload(kiv::Xml& document, bool lineBreaks, std::string* text = nullptr) {
    kivtest::MemoryStream out(std::string(), kiv::BaseStream::kUtf8);
    EXPECT_TRUE(document.save(out, lineBreaks));
    if (text) *text = out.written();
    kiv::Xml again;
    EXPECT_TRUE(loadBytes(again, out.written())) << utf8(again.getLastError()) << out.written();
    return dump(again);
}

TEST(XmlReadRoundTrip, BuiltTreeSavesAndReloadsTheSame) {
    kiv::Xml document;
    ASSERT_TRUE(document.createRoot(kiv::String(u"Settings")));
    kiv::XmlElement* root = document.getRoot();
    root->createChild(kiv::String(u"Plain"))->setText(kiv::String(u"3120"));
    root->createChild(kiv::String(u"Escaped"))->setText(kiv::String(u"a<b & 'c' \"d\" &amp; >"));
    root->createChild(kiv::String(u"Path"))->setText(kiv::String(u"C:\\\u97f3\u4e50\\relax.mp3"));
    root->createChild(kiv::String(u"Lines"))->setText(kiv::String(u"one\n two\n"));
    kiv::XmlElement* attrs = root->createChild(kiv::String(u"Attrs"));
    attrs->attributes()[kiv::String(u"q")] = kiv::String(u"it's \"x\" <&>");
    attrs->attributes()[kiv::String(u"e")] = kiv::String(u"");
    kiv::XmlElement* mixed = root->createChild(kiv::String(u"Mixed"));
    mixed->setText(kiv::String(u"t"));
    mixed->createChild(kiv::String(u"c"))->createChild(kiv::String(u"d"));

    // Attributes with empty values are not written, so they do not come back.
    const std::string expected =
        "Settings[Plain\"3120\",Escaped\"a<b & 'c' \"d\" &amp; >\","
        "Path\"C:\\\xe9\x9f\xb3\xe4\xb9\x90\\relax.mp3\",Lines\"one\n two\n\","
        "Attrs{q=it's \"x\" <&>;},Mixed\"t\"[c[d]]]";
    for (bool lineBreaks : {true, false}) {
        EXPECT_EQ(saveAndReload(document, lineBreaks), expected) << lineBreaks;
    }
}

TEST(XmlReadRoundTrip, LoadedDocumentsSaveAndReloadTheSame) {
    const std::vector<std::string> inputs = {
        kDecl + "<r/>",
        "<?xml version='1.0' encoding='utf8'?>\n<r a='&amp;lt;'>\n <x>it's\n </x>\n</r>",
        "<?xml?><r>head<a b='1'/>tail &#65;<!-- c --></r>",
        "<?xml?><r><a><b><c>deep</c></b></a><a/></r>",
        "<?xml?><r>\xe4\xb8\xad &quot;\xe6\x96\x87&quot;</r>",
    };
    for (const std::string& input : inputs) {
        kiv::Xml document;
        ASSERT_TRUE(loadBytes(document, input)) << input;
        const std::string tree = dump(document);
        for (bool lineBreaks : {true, false}) {
            EXPECT_EQ(saveAndReload(document, lineBreaks), tree) << input;
        }
    }
}

}  // namespace
