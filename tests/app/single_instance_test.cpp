// The one-copy check: the named lock and which window counts as the running copy's.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/resources.h"
#include "desktop/single_instance.h"
#include "test_support.h"
#include "resource.h"

namespace {

const wchar_t kTestLock[] = L"Local\\kivTool.tests.single-instance";

TEST(InstanceLock, OnlyTheFirstHolderOfTheNameIsFirstUntilItLetsGo) {
    auto first = std::make_unique<instance::InstanceLock>(kTestLock);
    EXPECT_TRUE(first->isFirst());
    EXPECT_FALSE(instance::InstanceLock(kTestLock).isFirst());
    first.reset();
    EXPECT_TRUE(instance::InstanceLock(kTestLock).isFirst());
}

// The running copy may show either set of texts, whatever this copy chose.
TEST(RunningCopy, IsKnownByTheStatusWindowsCaptionInEitherLanguageClassAndLabelsInAnotherProcess) {
    const DWORD own = 100;
    const std::wstring chinese = L"Vanto定时休息工具", english = L"Vanto Break Timer";
    const instance::WindowFacts status{chinese, L"#32770", 200, true};
    struct Row {
        const char* what;
        instance::WindowFacts window;
        bool expected;
    };
    const Row rows[] = {
        {"the running copy", status, true},
        {"the running copy in English", {english, status.className, 200, true}, true},
        {"another program's dialog", {L"Vanto", status.className, 200, true}, false},
        {"this process's own", {status.title, status.className, own, true}, false},
        {"another class", {status.title, L"Notepad", 200, true}, false},
        {"the About box", {std::wstring(L"\u5173\u4E8E") + status.title, status.className, 200, true}, false},
        {"a dialog without the labels", {status.title, status.className, 200, false}, false},
    };
    for (const Row& row : rows) EXPECT_EQ(row.expected, instance::isRunningCopyStatus(row.window, own)) << row.what;

    for (const std::wstring& caption : {chinese, english}) {
        test::DialogTemplate statusTemplate;
        const LANGID language = caption == chinese ? fw::kChineseResources : fw::kEnglishResources;
        ASSERT_TRUE(test::loadDialogTemplate(IDD_KIVTOOL_DIALOG, statusTemplate, language));
        EXPECT_EQ(statusTemplate.caption, caption);
        EXPECT_EQ(fw::dialogCaption(IDD_KIVTOOL_DIALOG, language), caption);
    }
}

}  // namespace
