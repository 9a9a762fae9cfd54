// The dialog base class and the application's message loop, driven with messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>
#include <vector>

#include "framework/dialog.h"
#include "framework/message_box.h"
#include "framework/modeless_registry.h"
#include "framework/winapp.h"
#include "resource.h"
#include "test_support.h"

namespace {

// The unlock question's template: an edit box, a default OK button and Cancel.
class KeyDlg : public CDialog {
public:
    KeyDlg() : CDialog(IDD_ASK_DIALOG) {}
    void OnOK() override { ++okCount; }
    void OnCancel() override { ++cancelCount; }
    int okCount = 0;
    int cancelCount = 0;
};

class TestApp : public CWinApp {};

HWND answerBox(CDialog& dlg) { return dlg.GetDlgItem(IDC_EDIT_ANSWER); }

TEST(ModelessDialog, EnterAndEscReachTheDialogThroughTheLoop) {
    KeyDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_ASK_DIALOG));
    ::PostMessageW(answerBox(dlg), WM_KEYDOWN, VK_RETURN, 0);
    test::pumpMessages();
    EXPECT_EQ(dlg.okCount, 1);
    EXPECT_EQ(dlg.cancelCount, 0);

    ::PostMessageW(answerBox(dlg), WM_KEYDOWN, VK_ESCAPE, 0);
    test::pumpMessages();
    EXPECT_EQ(dlg.okCount, 1);
    EXPECT_EQ(dlg.cancelCount, 1);
    dlg.DestroyWindow();
}

TEST(ModelessDialog, TabMovesTheFocusToTheNextControl) {
    KeyDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_ASK_DIALOG));
    ::SetFocus(answerBox(dlg));
    ASSERT_EQ(::GetFocus(), answerBox(dlg));
    ::PostMessageW(answerBox(dlg), WM_KEYDOWN, VK_TAB, 0);
    test::pumpMessages();
    EXPECT_EQ(::GetFocus(), dlg.GetDlgItem(IDOK));
    dlg.DestroyWindow();
}

TEST(ModelessDialog, IsRegisteredForTheLoopOnlyWhileItsWindowLives) {
    KeyDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_ASK_DIALOG));
    HWND hwnd = dlg.GetSafeHwnd();
    EXPECT_TRUE(fw::isRegisteredModeless(hwnd));
    ASSERT_TRUE(dlg.DestroyWindow());
    EXPECT_FALSE(fw::isRegisteredModeless(hwnd));
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
}

TEST(ModelessDialog, DefaultCancelHidesButKeepsTheWindow) {
    CDialog dlg(IDD_ASK_DIALOG);
    ASSERT_TRUE(dlg.Create(IDD_ASK_DIALOG));
    ASSERT_TRUE(dlg.IsWindowVisible());
    ::SendMessageW(dlg.GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(::IsWindow(dlg.GetSafeHwnd()));
    EXPECT_FALSE(dlg.IsWindowVisible());
    dlg.DestroyWindow();
}

TEST(WinApp, RunRoutesKeysToModelessDialogsUntilQuit) {
    TestApp app;
    KeyDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_ASK_DIALOG));
    ::PostMessageW(answerBox(dlg), WM_KEYDOWN, VK_RETURN, 0);
    ::PostQuitMessage(7);
    EXPECT_EQ(app.Run(), 7);
    EXPECT_EQ(app.ExitInstance(), 7);
    EXPECT_EQ(dlg.okCount, 1);
    dlg.DestroyWindow();
}

TEST(WinApp, DestroyingTheMainWindowEndsTheLoop) {
    TestApp app;
    KeyDlg mainDlg;
    KeyDlg other;
    ASSERT_TRUE(mainDlg.Create(IDD_ASK_DIALOG));
    ASSERT_TRUE(other.Create(IDD_ASK_DIALOG));
    app.m_pMainWnd = &mainDlg;
    other.DestroyWindow();
    EXPECT_FALSE(test::pumpMessages()) << "only the main window ends the loop";
    mainDlg.DestroyWindow();
    EXPECT_TRUE(test::pumpMessages());
}

TEST(WinApp, DialogsWithoutAParentAreOwnedByTheMainWindow) {
    TestApp app;
    KeyDlg mainDlg;
    app.m_pMainWnd = &mainDlg;
    ASSERT_TRUE(mainDlg.Create(IDD_ASK_DIALOG));
    EXPECT_EQ(::GetWindow(mainDlg.GetSafeHwnd(), GW_OWNER), nullptr) << "the main window owns nothing itself";

    KeyDlg owned;
    ASSERT_TRUE(owned.Create(IDD_ASK_DIALOG));
    EXPECT_EQ(::GetWindow(owned.GetSafeHwnd(), GW_OWNER), mainDlg.GetSafeHwnd());
    EXPECT_EQ(::GetParent(owned.GetSafeHwnd()), mainDlg.GetSafeHwnd());

    KeyDlg parent;
    ASSERT_TRUE(parent.Create(IDD_ASK_DIALOG));
    KeyDlg child;
    ASSERT_TRUE(child.Create(IDD_ASK_DIALOG, &parent));
    EXPECT_EQ(::GetWindow(child.GetSafeHwnd(), GW_OWNER), parent.GetSafeHwnd());

    for (CDialog* d : std::vector<CDialog*>{&child, &parent, &owned}) d->DestroyWindow();
    app.m_pMainWnd = nullptr;
    mainDlg.DestroyWindow();
}

// Owns itself, as the unlock question does.
class SelfDeletingDlg : public CDialog {
public:
    explicit SelfDeletingDlg(int& deleted) : CDialog(IDD_ASK_DIALOG), m_deleted(deleted) {}
    ~SelfDeletingDlg() override { ++m_deleted; }
    void OnCancel() override {
        CDialog::OnCancel();
        DestroyWindow();
    }
    void PostNcDestroy() override { delete this; }

private:
    int& m_deleted;
};

TEST(ModelessDialog, SelfOwningDialogDeletesItselfWhenDestroyed) {
    int deleted = 0;
    auto* dlg = new SelfDeletingDlg(deleted);
    ASSERT_TRUE(dlg->Create(IDD_ASK_DIALOG));
    HWND hwnd = dlg->GetSafeHwnd();
    ::PostMessageW(answerBox(*dlg), WM_KEYDOWN, VK_ESCAPE, 0);
    test::pumpMessages();
    EXPECT_EQ(deleted, 1);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_FALSE(fw::isRegisteredModeless(hwnd));
}

// Handlers that throw, and a record of what reached OnHandlerException.
class ThrowingDlg : public CDialog {
public:
    ThrowingDlg() : CDialog(IDD_ASK_DIALOG) {}
    BOOL OnInitDialog() override {
        if (throwOnInit) throw std::runtime_error("init");
        return CDialog::OnInitDialog();
    }
    bool OnCommand(UINT id) override {
        if (id == 4321) throw std::runtime_error("command");
        if (id == IDOK) {
            ++okCount;
            return true;
        }
        return CDialog::OnCommand(id);
    }
    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        switch (message) {
        case WM_TIMER:
            throw 42;  // not even a std::exception
        default:
            return CDialog::WindowProc(message, wParam, lParam, result);
        }
    }
    void OnDestroy() override { throw std::logic_error("destroy"); }
    void OnHandlerException(UINT message) override { failed.push_back(message); }

    bool throwOnInit = false;
    int okCount = 0;
    std::vector<UINT> failed;
};

TEST(WindowProcedure, NoExceptionEscapesAndTheDialogKeepsWorking) {
    ThrowingDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_ASK_DIALOG));
    HWND hwnd = dlg.GetSafeHwnd();
    ::SendMessageW(hwnd, WM_COMMAND, 4321, 0);
    ::SendMessageW(hwnd, WM_TIMER, 0, 0);
    EXPECT_EQ(dlg.failed, (std::vector<UINT>{WM_COMMAND, WM_TIMER}));

    ::SendMessageW(hwnd, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(dlg.okCount, 1);

    // A throwing OnDestroy does not stop the window from going away cleanly.
    EXPECT_TRUE(dlg.DestroyWindow());
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(fw::isRegisteredModeless(hwnd));
    EXPECT_EQ(dlg.failed.back(), static_cast<UINT>(WM_DESTROY));
}

TEST(WindowProcedure, AThrowingOnInitDialogStillGivesAWindow) {
    ThrowingDlg dlg;
    dlg.throwOnInit = true;
    ASSERT_TRUE(dlg.Create(IDD_ASK_DIALOG));
    EXPECT_EQ(dlg.failed, (std::vector<UINT>{WM_INITDIALOG}));
    dlg.DestroyWindow();
}

// Handler results travel back to the sender the way dialog procedures must return them.
class ResultDlg : public CDialog {
public:
    ResultDlg() : CDialog(IDD_NOTIFY_DIALOG) {}
    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        switch (message) {
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_CTLCOLORDLG:
            result = reinterpret_cast<LRESULT>(::GetStockObject(BLACK_BRUSH));
            return true;
        case WM_APP + 1:
            result = 0x1234;
            return true;
        default:
            return CDialog::WindowProc(message, wParam, lParam, result);
        }
    }
};

TEST(WindowProcedure, HandlerResultsReachTheSender) {
    ResultDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_NOTIFY_DIALOG));
    HWND hwnd = dlg.GetSafeHwnd();
    EXPECT_EQ(::SendMessageW(hwnd, WM_APP + 1, 0, 0), 0x1234);
    EXPECT_EQ(::SendMessageW(hwnd, WM_ERASEBKGND, 0, 0), 1);
    EXPECT_EQ(::SendMessageW(hwnd, WM_CTLCOLORDLG, 0, 0), reinterpret_cast<LRESULT>(::GetStockObject(BLACK_BRUSH)));
    dlg.DestroyWindow();
}

// A modal run of the settings template, closed by messages posted from OnInitDialog.
class ModalSettingsDlg : public CDialog {
public:
    explicit ModalSettingsDlg(CDialog* parent = nullptr) : CDialog(IDD_SETTING_DIALOG, parent) {}
    BOOL OnInitDialog() override {
        const BOOL result = CDialog::OnInitDialog();
        SetDlgItemText(IDC_EDIT_WORKTIME, workText);
        owner = ::GetWindow(GetSafeHwnd(), GW_OWNER);
        modalSeen = IsModal();
        for (UINT command : commands) ::PostMessageW(GetSafeHwnd(), WM_COMMAND, command, 0);
        return result;
    }
    void DoDataExchange(fw::DataExchange& dx) override {
        dx.unsignedValue(IDC_EDIT_WORKTIME, workMinutes).rangeCheck(1, 1000000);
    }
    const wchar_t* workText = L"";
    std::vector<UINT> commands;
    std::uint32_t workMinutes = 0;
    HWND owner = nullptr;
    bool modalSeen = false;
};

TEST(ModalDialog, OkReadsTheFieldsAndEndsTheRun) {
    test::MessageBoxRecorder boxes;
    ModalSettingsDlg dlg;
    dlg.workText = L"52";
    dlg.commands = {IDOK};
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(dlg.modalSeen);
    EXPECT_FALSE(dlg.IsModal());
    EXPECT_EQ(dlg.workMinutes, 52u);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
}

TEST(ModalDialog, RefusedInputKeepsTheDialogOpen) {
    test::MessageBoxRecorder boxes;
    ModalSettingsDlg dlg;
    dlg.workText = L"0";
    dlg.workMinutes = 77;
    dlg.commands = {IDOK, IDCANCEL};  // the OK is refused, so the Cancel ends the run
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, L"Please enter an integer between 1 and 1000000.");
}

TEST(ModalDialog, IsOwnedByItsParentOrElseTheMainWindow) {
    TestApp app;
    KeyDlg mainDlg;
    ASSERT_TRUE(mainDlg.Create(IDD_ASK_DIALOG));
    app.m_pMainWnd = &mainDlg;

    ModalSettingsDlg byMain;
    byMain.commands = {IDCANCEL};
    EXPECT_EQ(byMain.DoModal(), IDCANCEL);
    EXPECT_EQ(byMain.owner, mainDlg.GetSafeHwnd());

    KeyDlg parent;
    ASSERT_TRUE(parent.Create(IDD_ASK_DIALOG));
    ModalSettingsDlg byParent(&parent);
    byParent.commands = {IDCANCEL};
    EXPECT_EQ(byParent.DoModal(), IDCANCEL);
    EXPECT_EQ(byParent.owner, parent.GetSafeHwnd());

    parent.DestroyWindow();
    app.m_pMainWnd = nullptr;
    mainDlg.DestroyWindow();
}

// A key for a modeless dialog, posted while another loop runs: the unlock question can
// open during a rest while the settings dialog, the About box or a validation message is
// up, and Enter and Esc must still reach it. The program installs the filter that makes
// this work at start-up (InitInstance).
enum class Loop { kProgram, kModalDialog, kMessageBox };

struct KeyInLoopCase {
    const char* name;
    Loop loop;
    WPARAM key;
    int ok;
    int cancel;
};

HWND g_question = nullptr;

BOOL CALLBACK closeMessageBox(HWND window, LPARAM) {
    if (window != g_question && ::IsWindowVisible(window)) ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

void CALLBACK closeMessageBoxes(HWND, UINT, UINT_PTR, DWORD) {
    ::EnumThreadWindows(::GetCurrentThreadId(), &closeMessageBox, 0);
}

class KeyInLoopTest : public ::testing::TestWithParam<KeyInLoopCase> {};

TEST_P(KeyInLoopTest, ReachesTheModelessDialogOnce) {
    TestApp app;
    ASSERT_TRUE(app.InitInstance());
    KeyDlg question;
    ASSERT_TRUE(question.Create(IDD_ASK_DIALOG));
    g_question = question.GetSafeHwnd();
    ::PostMessageW(answerBox(question), WM_KEYDOWN, GetParam().key, 0);
    switch (GetParam().loop) {
    case Loop::kProgram:
        ::PostQuitMessage(0);
        EXPECT_EQ(app.Run(), 0);
        break;
    case Loop::kModalDialog: {
        ModalSettingsDlg dlg;
        dlg.commands = {IDCANCEL};
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        break;
    }
    case Loop::kMessageBox: {
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &closeMessageBoxes);
        EXPECT_EQ(fw::showMessageBox(nullptr, L"...", MB_OK), IDOK);
        ::KillTimer(nullptr, timer);
        break;
    }
    }
    EXPECT_EQ(question.okCount, GetParam().ok);
    EXPECT_EQ(question.cancelCount, GetParam().cancel);
    question.DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(Loops, KeyInLoopTest,
                         ::testing::Values(KeyInLoopCase{"programEnter", Loop::kProgram, VK_RETURN, 1, 0},
                                           KeyInLoopCase{"modalDialogEnter", Loop::kModalDialog, VK_RETURN, 1, 0},
                                           KeyInLoopCase{"modalDialogEsc", Loop::kModalDialog, VK_ESCAPE, 0, 1},
                                           KeyInLoopCase{"messageBoxEnter", Loop::kMessageBox, VK_RETURN, 1, 0},
                                           KeyInLoopCase{"messageBoxEsc", Loop::kMessageBox, VK_ESCAPE, 0, 1}),
                         [](const ::testing::TestParamInfo<KeyInLoopCase>& info) { return info.param.name; });

}  // namespace
