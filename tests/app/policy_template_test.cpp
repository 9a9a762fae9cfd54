// The administrative templates in policy/ against the program's own table of policies:
// every policy of kivTool.admx names a value of the table with its key, type and range, every
// value of the table has its policy, the three files read as XML, and every string and
// presentation the template refers to is in both language files.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "kiv/file_kiv.h"
#include "kiv/xml_kiv.h"
#include "policy/policy_table.h"

namespace {

using Element = kiv::XmlElement;

std::u16string u16(const kiv::String& text) { return std::u16string(text.wstr(), text.length()); }
std::string narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }  // ASCII names

std::u16string attribute(const Element& element, const char16_t* name) {
    return u16(element.getAttribute(kiv::String(name)));
}

std::vector<const Element*> childrenNamed(const Element& parent, const char16_t* name) {
    std::vector<const Element*> found;
    for (const auto& child : parent.children())
        if (child->getName() == name) found.push_back(child.get());
    return found;
}

const Element* child(const Element& parent, const char16_t* name) {
    const auto found = childrenNamed(parent, name);
    return found.size() == 1 ? found[0] : nullptr;
}

// One template file read with the program's own XML reader. That reader takes a quote as
// the start of a quoted token up to its partner on the same line, so the English texts
// write the apostrophe as U+2019 and a stray one shows here as a file that does not load.
struct Template {
    std::unique_ptr<kiv::Xml> xml = std::make_unique<kiv::Xml>();
    std::string error;
    const Element* root() const { return xml->getRoot(); }
};

Template load(const std::string& relative) {
    Template loaded;
    kiv::File file;
    const std::string narrowPath = std::string(KIV_POLICY_TEMPLATES) + "/" + relative;
    const std::u16string widePath(narrowPath.begin(), narrowPath.end());  // an ASCII path
    const kiv::String path(widePath.c_str(), static_cast<int>(widePath.size()));
    if (!file.open(path, 1, 1)) {
        loaded.error = "cannot open " + relative;
        return loaded;
    }
    if (!loaded.xml->load(file)) loaded.error = relative + ": " + narrow(u16(loaded.xml->getLastError()));
    return loaded;
}

// What a language file defines: string ids and presentation ids with the refIds inside.
struct Resources {
    std::set<std::u16string> strings;
    std::map<std::u16string, std::set<std::u16string>> presentations;
};

Resources resourcesOf(const Element& root) {
    Resources found;
    const Element* resources = child(root, u"resources");
    if (!resources) return found;
    if (const Element* table = child(*resources, u"stringTable")) {
        for (const Element* string : childrenNamed(*table, u"string")) {
            EXPECT_TRUE(found.strings.insert(attribute(*string, u"id")).second)
                << "string " << narrow(attribute(*string, u"id")) << " twice";
            EXPECT_FALSE(string->getText().isEmpty()) << narrow(attribute(*string, u"id"));
        }
    }
    if (const Element* table = child(*resources, u"presentationTable")) {
        for (const Element* presentation : childrenNamed(*table, u"presentation")) {
            std::set<std::u16string>& refs = found.presentations[attribute(*presentation, u"id")];
            for (const auto& control : presentation->children()) refs.insert(attribute(*control, u"refId"));
        }
    }
    return found;
}

// "$(kind.id)" -> id; empty when `value` is not such a reference.
std::u16string referenced(const std::u16string& value, const std::u16string& kind) {
    const std::u16string head = u"$(" + kind + u".";
    if (value.compare(0, head.size(), head) != 0 || value.back() != u')') return std::u16string();
    return value.substr(head.size(), value.size() - head.size() - 1);
}

// Every attribute of the tree that refers to a string or a presentation.
void collectReferences(const Element& element, std::set<std::u16string>& strings,
                       std::set<std::u16string>& presentations) {
    for (const auto& entry : element.attributes()) {
        const std::u16string value = u16(entry.second);
        if (value.rfind(u"$(", 0) != 0) continue;
        const std::u16string string = referenced(value, u"string");
        const std::u16string presentation = referenced(value, u"presentation");
        EXPECT_TRUE(!string.empty() || !presentation.empty()) << "unknown reference " << narrow(value);
        if (!string.empty()) strings.insert(string);
        if (!presentation.empty()) presentations.insert(presentation);
    }
    for (const auto& childElement : element.children()) collectReferences(*childElement, strings, presentations);
}

// A policy of the template as the registry sees it.
struct TemplateValue {
    std::u16string valueName;
    policy::Type type = policy::Type::Dword;
    uint32_t minimum = 0, maximum = 0;
    std::vector<std::u16string> choices;
    std::set<std::u16string> elementIds;  // what a presentation may refer to
};

uint32_t number(const Element& element, const char16_t* name) {
    return static_cast<uint32_t>(std::stoul(narrow(attribute(element, name))));
}

// Reads the one value a policy sets: an on/off policy's own valueName with its enabled and
// disabled numbers, or its one element (decimal, enum of strings, text).
bool valueOf(const Element& policyElement, TemplateValue& out) {
    const Element* enabled = child(policyElement, u"enabledValue");
    const Element* disabled = child(policyElement, u"disabledValue");
    const Element* elements = child(policyElement, u"elements");
    if (enabled && disabled && !elements) {
        const Element* on = child(*enabled, u"decimal");
        const Element* off = child(*disabled, u"decimal");
        if (!on || !off) return false;
        out.valueName = attribute(policyElement, u"valueName");
        out.type = policy::Type::Dword;
        out.minimum = std::min(number(*on, u"value"), number(*off, u"value"));
        out.maximum = std::max(number(*on, u"value"), number(*off, u"value"));
        return true;
    }
    if (!elements || elements->getChildCount() != 1 || enabled || disabled) return false;
    const Element& element = *elements->children().front();
    out.valueName = attribute(element, u"valueName");
    out.elementIds.insert(attribute(element, u"id"));
    EXPECT_TRUE(attribute(element, u"key").empty()) << "an element's own key would leave the policy's";
    EXPECT_EQ(attribute(element, u"required"), u"true") << narrow(out.valueName);
    if (element.getName() == u"decimal") {
        EXPECT_TRUE(attribute(element, u"storeAsText").empty()) << "REG_DWORD, not text";
        out.type = policy::Type::Dword;
        out.minimum = number(element, u"minValue");
        out.maximum = number(element, u"maxValue");
        return true;
    }
    if (element.getName() == u"text") {
        EXPECT_TRUE(attribute(element, u"expandable").empty()) << "REG_SZ, not REG_EXPAND_SZ";
        out.type = policy::Type::Text;
        return true;
    }
    if (element.getName() == u"enum") {
        out.type = policy::Type::Text;
        for (const Element* item : childrenNamed(element, u"item")) {
            const Element* value = child(*item, u"value");
            const Element* string = value ? child(*value, u"string") : nullptr;
            if (!string) return false;
            out.choices.push_back(u16(string->getText()));
        }
        return true;
    }
    return false;
}

class PolicyTemplateTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"kivTool.admx", "en-US/kivTool.adml", "zh-CN/kivTool.adml"}) {
            Template loaded = load(name);
            ASSERT_TRUE(loaded.error.empty()) << loaded.error;
            ASSERT_NE(loaded.root(), nullptr) << name;
            m_files.push_back(std::move(loaded));
        }
        ASSERT_EQ(m_files[0].root()->getName(), u"policyDefinitions");
        for (std::size_t i = 1; i < m_files.size(); ++i) {
            ASSERT_EQ(m_files[i].root()->getName(), u"policyDefinitionResources");
            m_languages.push_back(resourcesOf(*m_files[i].root()));
        }
    }
    const Element& admx() const { return *m_files[0].root(); }
    std::vector<const Element*> policies() const {
        const Element* list = child(admx(), u"policies");
        return list ? childrenNamed(*list, u"policy") : std::vector<const Element*>();
    }

    std::vector<Template> m_files;
    std::vector<Resources> m_languages;  // en-US, zh-CN
};

TEST_F(PolicyTemplateTest, EveryPolicyIsOneValueOfTheProgramsTableAndEveryValueHasOne) {
    std::set<std::u16string> categories, supported;
    for (const Element* category : childrenNamed(*child(admx(), u"categories"), u"category"))
        categories.insert(attribute(*category, u"name"));
    for (const Element* definition :
         childrenNamed(*child(*child(admx(), u"supportedOn"), u"definitions"), u"definition"))
        supported.insert(attribute(*definition, u"name"));

    std::set<std::u16string> seen;
    ASSERT_EQ(policies().size(), policy::kPolicyCount);
    for (const Element* policyElement : policies()) {
        const std::u16string name = attribute(*policyElement, u"name");
        SCOPED_TRACE(narrow(name));
        EXPECT_EQ(attribute(*policyElement, u"key"), std::u16string(policy::kPolicyKey));
        EXPECT_EQ(attribute(*policyElement, u"class"), u"Both") << "the computer's and the user's";
        const Element* parent = child(*policyElement, u"parentCategory");
        ASSERT_NE(parent, nullptr);
        EXPECT_EQ(categories.count(attribute(*parent, u"ref")), 1u);
        const Element* supportedOn = child(*policyElement, u"supportedOn");
        ASSERT_NE(supportedOn, nullptr);
        EXPECT_EQ(supported.count(attribute(*supportedOn, u"ref")), 1u);

        TemplateValue value;
        ASSERT_TRUE(valueOf(*policyElement, value)) << "not one value of a known kind";
        EXPECT_TRUE(seen.insert(value.valueName).second) << "a second policy for the value";
        const policy::Definition* def = nullptr;
        for (const policy::Definition& row : policy::kPolicies)
            if (value.valueName == row.valueName) def = &row;
        ASSERT_NE(def, nullptr) << "the program does not read " << narrow(value.valueName);
        EXPECT_EQ(value.type, def->type);
        if (def->type == policy::Type::Dword) {
            EXPECT_EQ(value.minimum, def->minimum);
            EXPECT_EQ(value.maximum, def->maximum);
        } else {
            std::vector<std::u16string> choices;
            for (const char16_t* const* choice = def->choices; choice && *choice; ++choice) choices.push_back(*choice);
            EXPECT_EQ(value.choices, choices);
        }

        // A presentation for every element, referring to that element only.
        const std::u16string presentation = referenced(attribute(*policyElement, u"presentation"), u"presentation");
        EXPECT_EQ(presentation.empty(), value.elementIds.empty());
        for (const Resources& language : m_languages) {
            if (presentation.empty()) continue;
            const auto found = language.presentations.find(presentation);
            ASSERT_NE(found, language.presentations.end()) << narrow(presentation);
            EXPECT_EQ(found->second, value.elementIds);
        }
    }
    EXPECT_EQ(seen.size(), policy::kPolicyCount);
}

TEST_F(PolicyTemplateTest, EveryStringAndPresentationReferredToIsInBothLanguages) {
    std::set<std::u16string> strings, presentations;
    collectReferences(admx(), strings, presentations);
    EXPECT_GE(strings.size(), 2 * policy::kPolicyCount) << "a name and an explanation per policy";
    for (const Resources& language : m_languages) {
        for (const std::u16string& id : strings) EXPECT_EQ(language.strings.count(id), 1u) << narrow(id);
        for (const std::u16string& id : presentations) EXPECT_EQ(language.presentations.count(id), 1u) << narrow(id);
    }
    // The two languages define the same things, so neither shows an id instead of a text.
    EXPECT_EQ(m_languages[0].strings, m_languages[1].strings);
    ASSERT_EQ(m_languages[0].presentations.size(), m_languages[1].presentations.size());
    for (const auto& entry : m_languages[0].presentations)
        EXPECT_EQ(m_languages[1].presentations.count(entry.first), 1u) << narrow(entry.first);
}

}  // namespace
