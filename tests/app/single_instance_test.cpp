// The one-copy check: the named lock and which window counts as the running copy's.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <memory>
#include <utility>
#include <vector>
#include <string>

#include "framework/resources.h"
#include "desktop/single_instance.h"
#include "messages.h"
#include "platform_calls.h"
#include "seams.h"
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

// What a start does: the error CreateMutexW left and whether the running copy's status
// window is there decide it.
TEST(InstanceLock, TheStartFollowsWhatCreatingTheNameFoundAndWhetherTheCopysWindowIsThere) {
    using instance::LockState;
    using instance::StartAction;
    struct Row {
        const char* what;
        bool created;
        DWORD error;
        bool windowFound;
        LockState state;
        StartAction action;
    };
    const Row rows[] = {
        {"the first copy", true, ERROR_SUCCESS, false, LockState::Created, StartAction::Run},
        {"a second copy", true, ERROR_ALREADY_EXISTS, true, LockState::Exists, StartAction::ShowRunningCopy},
        // No status window within the wait: a program that took the name, not a copy.
        {"someone else's object that this copy may open", true, ERROR_ALREADY_EXISTS, false, LockState::Exists,
         StartAction::RunAndWarn},
        {"our copy with administrator rights", false, ERROR_ACCESS_DENIED, true, LockState::Denied,
         StartAction::ShowRunningCopy},
        {"someone else's object", false, ERROR_ACCESS_DENIED, false, LockState::Denied, StartAction::RunAndWarn},
        {"no mutex for another reason", false, ERROR_INVALID_HANDLE, false, LockState::Failed, StartAction::Run},
    };
    for (const Row& row : rows) {
        const LockState state = instance::lockStateOf(row.created, row.error);
        EXPECT_EQ(row.state, state) << row.what;
        EXPECT_EQ(row.action, instance::startActionFor(state, row.windowFound)) << row.what;
    }
}

// A mutex that no one may open, as another program could leave under the name: the lock
// says so, and the start tells the user in the language of the program's texts.
TEST(InstanceLock, SomeoneElsesObjectUnderTheNameIsReportedAndNotTakenForACopy) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;GA;;;WD)", SDDL_REVISION_1,
                                                                       &descriptor, nullptr));
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
    fw::KernelHandle squatter(::CreateMutexW(&attributes, FALSE, kTestLock));
    ::LocalFree(descriptor);
    ASSERT_TRUE(squatter);

    const instance::InstanceLock lock(kTestLock);
    EXPECT_EQ(instance::LockState::Denied, lock.state());
    EXPECT_FALSE(lock.isFirst());
    EXPECT_EQ(instance::StartAction::RunAndWarn, instance::startActionFor(lock.state(), instance::findRunningCopy()))
        << "no status window of another copy in this session";

    for (const LANGID language : {fw::kChineseResources, fw::kEnglishResources}) {
        fw::setResourceLanguage(language);
        test::MessageBoxRecorder boxes;
        instance::warnNameTaken();
        ASSERT_EQ(1u, boxes.shown().size());
        EXPECT_EQ(fw::loadString(IDS_ONE_COPY_NAME_TAKEN, language), boxes.shown()[0].text);
        EXPECT_FALSE(boxes.shown()[0].text.empty());
        EXPECT_EQ(UINT(MB_OK | MB_ICONWARNING), boxes.shown()[0].type);
    }
    fw::setResourceLanguage(fw::kChineseResources);
    EXPECT_NE(fw::loadString(IDS_ONE_COPY_NAME_TAKEN, fw::kChineseResources),
              fw::loadString(IDS_ONE_COPY_NAME_TAKEN, fw::kEnglishResources));
}

// Only a copy started as administrator opens the filter, and then for the two messages the
// user's own programs send it; at normal rights a sandboxed sender stays shut out.
std::vector<std::pair<HWND, UINT>> g_filtered;
BOOL WINAPI recordFilter(HWND window, UINT message, DWORD action, PCHANGEFILTERSTRUCT) {
    if (action == MSGFLT_ALLOW) g_filtered.emplace_back(window, message);
    return TRUE;
}

TEST(MessageFilter, OpensOnlyAboveNormalRightsForTheExitRequestAndTheStatusRequest) {
    test::SeamHolder<platform::MessageFilterFunction> seam(&platform::setMessageFilterFunction, &recordFilter);
    const HWND window = reinterpret_cast<HWND>(0x1234);
    const UINT exitRequest = instance::exitRequestMessage();
    ASSERT_NE(exitRequest, 0u);
    using Allowed = std::vector<std::pair<HWND, UINT>>;
    const Allowed both{{window, WM_SHOW_STATUS}, {window, exitRequest}};
    const struct {
        const char* what;
        DWORD integrity;
        Allowed allowed;
    } rows[] = {
        {"sandboxed", SECURITY_MANDATORY_LOW_RID, {}},
        {"normal rights", SECURITY_MANDATORY_MEDIUM_RID, {}},
        {"above normal rights", SECURITY_MANDATORY_MEDIUM_RID + 0x100, both},
        {"administrator", SECURITY_MANDATORY_HIGH_RID, both},
        {"system", SECURITY_MANDATORY_SYSTEM_RID, both},
    };
    for (const auto& row : rows) {
        g_filtered.clear();
        instance::acceptFromLowerRights(window, exitRequest, row.integrity);
        EXPECT_EQ(row.allowed, g_filtered) << row.what;
    }
}

// An exit request never cuts short a rest the organisation does not let the user end.
TEST(ExitRequest, WaitsForTheRestsEndOnlyWhenEarlyUnlockIsNotAllowed) {
    const struct {
        bool resting, earlyUnlockAllowed, now;
    } rows[] = {
        {false, true, true},
        {false, false, true},
        {true, true, true},
        {true, false, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.now, instance::answersExitRequestNow(row.resting, row.earlyUnlockAllowed))
            << row.resting << row.earlyUnlockAllowed;
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
