// kiv::String: narrow and wide units meeting in one operation, and writes on a block of
// its own that must not move it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "kiv/string_kiv.h"
#include "stringblock_kiv.h"

namespace {

using kiv::String;

std::u16string units(const String& s) {
    std::u16string out;
    for (unsigned i = 0; i < s.length(); ++i) out += static_cast<char16_t>(s.at(i));
    return out;
}

TEST(StringUnits, AnEmptyStringTakesTheSizeOfWhatItIsGiven) {
    String wide;
    wide += "narrow";
    EXPECT_FALSE(wide.isWide());
    EXPECT_STREQ(wide.str(), "narrow");

    String narrow("");
    narrow.append(u"wide");
    EXPECT_TRUE(narrow.isWide());
    EXPECT_EQ(units(narrow), u"wide");

    const String bytes("bytes");
    String joined = String() + bytes;  // nothing to join: the block is shared, not copied
    EXPECT_FALSE(joined.isWide());
    EXPECT_TRUE(joined.isSharedWith(bytes));
}

TEST(StringUnits, OtherSizedUnitsAreTakenByValue) {
    String narrow("ab");
    narrow.append(u"c\u0164");  // wide units in a narrow string keep their low 8 bits
    EXPECT_FALSE(narrow.isWide());
    ASSERT_EQ(narrow.length(), 4u);
    EXPECT_EQ(narrow.at(2), static_cast<unsigned>('c'));
    EXPECT_EQ(narrow.at(3), 0x64u);
    EXPECT_EQ(narrow.str()[4], '\0');

    String wide(u"ab");
    wide.append("\xE9", 1);  // a byte widens to the same value
    EXPECT_EQ(units(wide), u"ab\u00E9");
    wide.append(String("\xFF", 1));
    EXPECT_EQ(units(wide), u"ab\u00E9\u00FF");

    String bytes(3, 0x1FF, String::kNarrow);
    EXPECT_EQ(bytes.at(0), 0xFFu);
    EXPECT_EQ(bytes.at(3), 0u);
}

TEST(StringUnits, EqualityAndOrderCompareUnitValues) {
    EXPECT_TRUE(String("") == String());
    EXPECT_TRUE(String("abc") == String(u"abc"));
    EXPECT_FALSE(String("abc") == String(u"abd"));
    EXPECT_EQ(String("abc").compare(u"abd"), -1);
    EXPECT_EQ(String("\xE9", 1).compare(u"\u00E9"), 0);
    EXPECT_EQ(String("bytes").find(u"te"), 2);
    EXPECT_EQ(String("bytes").rfind(u'y'), 1);
}

TEST(StringUnits, ShrinkingWritesOnAnUnsharedBlockStayInIt) {
    const std::vector<std::function<void(String&)>> shrinking = {
        [](String& s) { s.erase(2, 3); },
        [](String& s) { s.replace(0, 4, u"x"); },
        [](String& s) { s.replaceAll(u"l", u""); },
        [](String& s) { s.assign(u"short"); },
        [](String& s) { s.clear(); },
    };
    for (size_t i = 0; i < shrinking.size(); ++i) {
        SCOPED_TRACE(i);
        String s(u"hello world");
        const char16_t* before = s.wstr();
        const unsigned capacity = s.capacity();
        shrinking[i](s);
        EXPECT_EQ(s.wstr(), before);
        EXPECT_EQ(s.capacity(), capacity);
        EXPECT_EQ(s.wstr()[s.length()], u'\0');
        EXPECT_EQ(kiv::stringBlockOf(s)->flags, 0u);
    }
}

}  // namespace
