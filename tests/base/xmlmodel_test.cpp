// The XML document model: splitter, element paths, name rules, map order, the tree walks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check_recorder.h"
#include "kiv/token_kiv.h"
#include "kiv/xml_kiv.h"
#include "kiv/xmlelement_kiv.h"
#include "kiv/xmlpath_kiv.h"

namespace {

using kiv::String;
using kiv::XmlElement;

std::u16string u16(const String& s) { return std::u16string(s.wstr(), s.length()); }

// ---- kiv::Token -------------------------------------------------------------------------

struct TokenCase {
    const char16_t* source;
    const char16_t* separator;
    std::vector<std::u16string> pieces;
};

TEST(XmlToken, SplitsIntoNonEmptyPieces) {
    const TokenCase cases[] = {
        {u"a>>b>", u">", {u"a", u"b"}},
        {u">a", u">", {u"a"}},
        {u"abc", u">", {u"abc"}},
        {u"", u">", {}},
        {u">>>", u">", {}},
        {u"one>two>three", u">", {u"one", u"two", u"three"}},
        {u"a::::b::", u"::", {u"a", u"b"}},
    };
    for (const TokenCase& c : cases) {
        SCOPED_TRACE(std::string(c.source, c.source + std::u16string(c.source).size()));
        kiv::Token token(String(c.source), String(c.separator));
        for (const std::u16string& piece : c.pieces) EXPECT_EQ(u16(token.next()), piece);
        // Used up: empty, and it stays empty.
        EXPECT_TRUE(token.next().isEmpty());
        EXPECT_TRUE(token.next().isEmpty());
    }
}

// Regression: a narrow separator was searched for as wide units, reading past the end of
// its block.
TEST(XmlToken, NarrowSeparatorSplitsLikeAWideOne) {
    kiv::Token token(String(u"a>>b>c"), String(">"));
    EXPECT_EQ(u16(token.next()), u"a");
    EXPECT_EQ(u16(token.next()), u"b");
    EXPECT_EQ(u16(token.next()), u"c");
    EXPECT_TRUE(token.next().isEmpty());
}

// ---- element paths ----------------------------------------------------------------------

struct PathCase {
    const char16_t* path;
    std::vector<std::pair<std::u16string, int>> steps;
};

TEST(XmlPath, ParsesNamesAndIndexes) {
    const PathCase cases[] = {
        {u"x", {{u"x", 0}}},
        {u"x[1]", {{u"x", 0}}},
        {u"x[2]", {{u"x", 1}}},
        {u"x[0]", {{u"x", 0}}},
        {u"x[y]", {{u"x", 0}}},
        {u"x[2", {{u"x", 0}}},         // no closing bracket
        {u"x[3]tail", {{u"x", 2}}},    // what follows "]" is ignored
        {u"x[12abc]", {{u"x", 11}}},   // leading digits only
        {u"[2]", {{u"", 1}}},
        {u"a>b[2]", {{u"a", 0}, {u"b", 1}}},
        {u">a>>b>", {{u"a", 0}, {u"b", 0}}},
        {u">", {}},
        {u"", {}},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(std::string(c.path, c.path + std::u16string(c.path).size()));
        const std::deque<kiv::PathStep> steps = kiv::parsePath(String(c.path));
        ASSERT_EQ(steps.size(), c.steps.size());
        for (size_t i = 0; i < steps.size(); ++i) {
            EXPECT_EQ(u16(steps[i].name), c.steps[i].first);
            EXPECT_EQ(steps[i].index, c.steps[i].second);
        }
    }
}

// ---- name rules and map order -----------------------------------------------------------

TEST(XmlNames, PredicatesRejectOnlyTheirCharacters) {
    struct Case {
        const char16_t* name;
        bool element;
        bool declaration;
    };
    const Case cases[] = {
        {u"", true, true},           {u"abc", true, true},        {u"a-b.c_1", true, true},
        {u"\u4F11\u606F", true, true}, {u"a\tb", true, true},       {u"a b", false, false},
        {u"a:b", false, true},       {u"a>b", false, false},      {u"a[b", false, true},
        {u"a]b", false, true},       {u"a=b", true, false},       {u"a<b", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(u16(String(c.name)).size());
        EXPECT_EQ(kiv::isValidElementName(String(c.name)), c.element);
        EXPECT_EQ(kiv::isValidDeclarationName(String(c.name)), c.declaration);
    }
}

TEST(XmlNames, OrderIsByUnsignedUnitsWithPrefixFirst) {
    struct Case {
        const char16_t* less;
        const char16_t* greater;
    };
    const Case cases[] = {
        {u"encoding", u"version"},
        {u"Z", u"a"},
        {u"ab", u"abc"},
        {u"", u"a"},
        {u"z", u"\u00E9"},
    };
    static const char16_t kSurrogate[] = {0xD800, 0};
    const Case surrogateCases[] = {{u"\u00E9", kSurrogate}, {kSurrogate, u"\uFFFF"}};
    kiv::XmlNameLess less;
    for (const Case& c : surrogateCases) {
        // A surrogate unit sorts above every other BMP letter except U+E000 and up.
        EXPECT_TRUE(less(String(c.less), String(c.greater)));
        EXPECT_FALSE(less(String(c.greater), String(c.less)));
    }
    for (const Case& c : cases) {
        EXPECT_TRUE(less(String(c.less), String(c.greater)));
        EXPECT_FALSE(less(String(c.greater), String(c.less)));
        EXPECT_FALSE(less(String(c.less), String(c.less)));
    }
}

TEST(XmlElement, AttributesIterateInNameOrderAndReplace) {
    XmlElement element;
    element.setAttribute(String(u"z"), String(u"1"));
    element.setAttribute(String(u"a"), String(u"2"));
    element.setAttribute(String(u"Z"), String(u"3"));
    element.setAttribute(String(u"z"), String(u"4"));
    std::vector<std::u16string> order;
    for (const auto& attribute : element.attributes()) order.push_back(u16(attribute.first));
    EXPECT_EQ(order, (std::vector<std::u16string>{u"Z", u"a", u"z"}));
    EXPECT_EQ(u16(element.getAttribute(String(u"z"))), u"4");
    EXPECT_TRUE(element.getAttribute(String(u"missing")).isEmpty());
    EXPECT_EQ(element.attributes().size(), 3u);
}

TEST(XmlElement, SetNameKeepsOldNameWhenRejected) {
    XmlElement element;
    ASSERT_TRUE(element.setName(String(u"old")));
    for (const char16_t* bad : {u"a b", u"a:b", u"a[1]", u"a]"}) {
        EXPECT_FALSE(element.setName(String(bad)));
        EXPECT_EQ(u16(element.getName()), u"old");
    }
    EXPECT_TRUE(element.setName(String()));
    EXPECT_TRUE(element.getName().isEmpty());
}

// ---- tree walks -------------------------------------------------------------------------

// An element whose children are named x, y, x, each holding its position as text.
struct XYX : ::testing::Test {
    XYX() {
        parent.createChild(String(u"x"))->setText(String(u"1"));
        parent.createChild(String(u"y"))->setText(String(u"2"));
        parent.createChild(String(u"x"))->setText(String(u"3"));
    }
    XmlElement parent;
};

TEST_F(XYX, FindChildByNameAndIndex) {
    struct Case {
        const char16_t* path;
        const char16_t* text;  // null: not found
    };
    const Case cases[] = {
        {u"x", u"1"}, {u"x[1]", u"1"}, {u"x[2]", u"3"}, {u"x[0]", u"1"}, {u"y", u"2"},
        {u"x[3]", nullptr}, {u"X", nullptr}, {u"x>y", nullptr}, {u">", nullptr}, {u"z", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(u16(String(c.path)).size());
        XmlElement* found = parent.findChild(String(c.path));
        if (!c.text) {
            EXPECT_EQ(found, nullptr);
        } else {
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(u16(found->getText()), c.text);
        }
    }
    EXPECT_EQ(parent.findChild(String()), &parent);
    EXPECT_EQ(parent.getChildCount(), 3u);
}

TEST_F(XYX, ObtainChildCreatesOnlyWhatIsMissing) {
    // The existing second x is selected, nothing made.
    EXPECT_EQ(u16(parent.obtainChild(String(u"x[2]"))->getText()), u"3");
    EXPECT_EQ(parent.getChildCount(), 3u);
    // x[4]: two more x are appended and the second of them is selected.
    XmlElement* fourth = parent.obtainChild(String(u"x[4]"));
    ASSERT_NE(fourth, nullptr);
    EXPECT_EQ(parent.getChildCount(), 5u);
    EXPECT_EQ(parent.children().back().get(), fourth);
    EXPECT_EQ(parent.findChild(String(u"x[4]")), fourth);
    EXPECT_EQ(parent.findChild(String(u"x[3]")), std::next(parent.children().begin(), 3)->get());
}

TEST(XmlElement, ObtainChildBuildsTheMissingLevels) {
    XmlElement root;
    XmlElement* y = root.obtainChild(String(u"x>y"));
    ASSERT_NE(y, nullptr);
    EXPECT_EQ(u16(y->getName()), u"y");
    ASSERT_EQ(root.getChildCount(), 1u);
    XmlElement* x = root.children().front().get();
    EXPECT_EQ(u16(x->getName()), u"x");
    ASSERT_EQ(x->getChildCount(), 1u);
    EXPECT_EQ(x->children().front().get(), y);
    // A second call finds the same element and makes nothing.
    EXPECT_EQ(root.obtainChild(String(u"x>y")), y);
    EXPECT_EQ(root.getChildCount(), 1u);
    EXPECT_EQ(x->getChildCount(), 1u);

    XmlElement* third = root.obtainChild(String(u"n[3]"));
    EXPECT_EQ(root.getChildCount(), 4u);
    EXPECT_EQ(root.findChild(String(u"n[3]")), third);
    EXPECT_EQ(root.findChild(String(u"a>b[2]")), nullptr);
}

TEST(XmlElement, ObtainChildRefusesPathsItCouldNeverSatisfy) {
    XmlElement root;
    {
        kivtest::CheckRecorder recorder;
        EXPECT_EQ(root.obtainChild(String(u">")), nullptr);
        EXPECT_TRUE(recorder.entries().empty());
    }
    for (const char16_t* bad : {u"a b", u"x>a:b"}) {
        kivtest::CheckRecorder recorder;
        EXPECT_EQ(root.obtainChild(String(bad)), nullptr);
        const kivtest::CheckEntry report = recorder.only();
        EXPECT_EQ(report.expression, "0");
        EXPECT_EQ(report.file, "src/base/xmlelement_kiv.cpp");
        EXPECT_EQ(report.line, 255u);
    }
    // Only the valid level before the bad one was made; nothing unnamed.
    ASSERT_EQ(root.getChildCount(), 1u);
    EXPECT_EQ(u16(root.children().front()->getName()), u"x");
    EXPECT_EQ(root.children().front()->getChildCount(), 0u);
}

TEST(XmlElement, AddChildSharesOwnershipAndRefusesEmptyPointers) {
    XmlElement parent;
    kiv::Pointer<XmlElement> owned;
    owned.create()->setName(String(u"a"));
    EXPECT_TRUE(parent.addChild(owned));
    owned.release();  // the tree's copy keeps the element alive
    EXPECT_EQ(u16(parent.findChild(String(u"a"))->getName()), u"a");

    XmlElement outside;
    outside.setName(String(u"b"));
    kiv::Pointer<XmlElement> referring;
    referring.refer(&outside);
    EXPECT_TRUE(parent.addChild(referring));  // logged as a warning, appended all the same
    EXPECT_EQ(parent.findChild(String(u"b")), &outside);

    // An empty pointer would break every later walk of the list.
    EXPECT_FALSE(parent.addChild(kiv::Pointer<XmlElement>()));
    EXPECT_EQ(parent.getChildCount(), 2u);
}

// ---- kiv::Xml ---------------------------------------------------------------------------

TEST(Xml, FindElementStartsBelowTheRoot) {
    kiv::Xml xml;
    EXPECT_EQ(xml.getRoot(), nullptr);
    EXPECT_EQ(xml.findElement(String()), nullptr);
    EXPECT_EQ(xml.findElement(String(u"r")), nullptr);

    ASSERT_TRUE(xml.createRoot(String(u"r")));
    XmlElement* root = xml.getRoot();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(u16(root->getName()), u"r");
    EXPECT_EQ(xml.findElement(String()), root);
    EXPECT_EQ(xml.findElement(String(u"r")), nullptr);  // never the root itself
    XmlElement* inner = root->obtainChild(String(u"a>b[2]"));
    EXPECT_EQ(xml.findElement(String(u"a>b[2]")), inner);
}

TEST(Xml, CreateRootWithBadNameLeavesTheDocumentEmpty) {
    kiv::Xml xml;
    ASSERT_TRUE(xml.createRoot(String(u"r")));
    xml.setDeclaration(String(u"version"), String(u"1.0"));
    xml.setLastError(String(u"line[1]"));
    EXPECT_FALSE(xml.createRoot(String(u"bad name")));
    EXPECT_EQ(xml.getRoot(), nullptr);
    EXPECT_TRUE(xml.declaration().empty());
    EXPECT_TRUE(xml.getLastError().isEmpty());
}

TEST(Xml, DeclarationLookupsAddEmptyEntriesInNameOrder) {
    kiv::Xml xml;
    EXPECT_TRUE(xml.getEncoding().isEmpty());
    ASSERT_EQ(xml.declaration().size(), 1u);
    EXPECT_TRUE(xml.declaration().begin()->second.isEmpty());

    EXPECT_TRUE(xml.setDeclaration(String(u"version"), String(u"1.0")));
    EXPECT_TRUE(xml.setDeclaration(String(u"encoding"), String(u"utf8")));
    EXPECT_FALSE(xml.setDeclaration(String(u"a=b"), String(u"x")));
    EXPECT_FALSE(xml.setDeclaration(String(u"a b"), String(u"x")));
    EXPECT_EQ(u16(xml.getEncoding()), u"utf8");
    std::vector<std::u16string> names;
    for (const auto& entry : xml.declaration()) names.push_back(u16(entry.first));
    EXPECT_EQ(names, (std::vector<std::u16string>{u"encoding", u"version"}));
}

}  // namespace
