// The unlock question, driven through its real window: the factors it shows, what counts
// as a right answer, and the ways it closes.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "accessible_probe.h"
#include "dialogs/accessible_name.h"
#include "dialogs/ask_answer.h"
#include "dialogs/ask_dlg.h"
#include "framework/winapp.h"
#include "framework/window_text.h"
#include "rest_test_support.h"
#include "test_support.h"

namespace {

using rest_test::UnlockCounter;

class TestApp : public CWinApp {};

// A question owned by a main window that counts the unlock messages it receives.
class AskDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_main.Create(IDD_PREVIOUS_NOTIFY_DIALOG));
        m_main.ShowWindow(SW_HIDE);
        m_app.m_pMainWnd = &m_main;
    }
    void TearDown() override {
        if (HWND question = CAskDlg::Find()) ::DestroyWindow(question);
        m_app.m_pMainWnd = nullptr;
        m_main.DestroyWindow();
        test::pumpMessages();
    }
    static CAskDlg* dialogOf(HWND question) {
        return reinterpret_cast<CAskDlg*>(::GetWindowLongPtrW(question, DWLP_USER));
    }
    static std::wstring answerText(HWND question) {
        return fw::windowText(::GetDlgItem(question, IDC_EDIT_ANSWER));
    }
    // Types `answer` into a question asking factor1 × factor2 and presses OK.
    static void answer(HWND question, int factor1, int factor2, const wchar_t* text) {
        CAskDlg* dlg = dialogOf(question);
        dlg->m_factor1 = factor1;
        dlg->m_factor2 = factor2;
        ::SetDlgItemTextW(question, IDC_EDIT_ANSWER, text);
        ::SendMessageW(question, WM_COMMAND, IDOK, 0);
        test::pumpMessages();
    }

    TestApp m_app;
    UnlockCounter m_main;
};

TEST_F(AskDlgTest, OpensCentredTopMostWithTwoFactorsBelowAHundred) {
    HWND question = CAskDlg::Open();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(CAskDlg::Find(), question);
    EXPECT_TRUE(::IsWindowVisible(question));
    EXPECT_TRUE(::GetWindowLongPtrW(question, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(::GetParent(question), m_main.GetSafeHwnd()) << "owned by the main dialog";

    RECT desktop{}, window{}, client{};
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    ::GetWindowRect(question, &window);
    ::GetClientRect(question, &client);
    EXPECT_EQ(window.left, (desktop.right - desktop.left - client.right) / 2);
    EXPECT_EQ(window.top, (desktop.bottom - desktop.top - client.bottom) / 2);

    const CAskDlg* dlg = dialogOf(question);
    for (int factor : {dlg->m_factor1, dlg->m_factor2}) {
        EXPECT_GE(factor, 0);
        EXPECT_LE(factor, 99);
    }
    EXPECT_EQ(fw::windowText(::GetDlgItem(question, IDC_STATIC_FACTOR1)), std::to_wstring(dlg->m_factor1));
    EXPECT_EQ(fw::windowText(::GetDlgItem(question, IDC_STATIC_FACTOR2)), std::to_wstring(dlg->m_factor2));
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(question, IDC_EDIT_ANSWER));
}

TEST_F(AskDlgTest, ASecondOpenFindsTheOpenQuestion) {
    HWND first = CAskDlg::Open();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(CAskDlg::Open(), first);
    EXPECT_EQ(::FindWindowExW(nullptr, first, L"kivAskDlg", nullptr), nullptr) << "one question only";
}

// What the question names through the annotation seam: (box, name) per call, null for a
// clear.
struct NameRecorder {
    struct Call {
        HWND control;
        std::wstring name;
        bool cleared;
    };
    static std::vector<Call>& calls() {
        static std::vector<Call> recorded;
        return recorded;
    }
    static bool record(HWND control, const wchar_t* name) {
        calls().push_back({control, name ? name : L"", name == nullptr});
        return true;
    }
    NameRecorder() : m_old(a11y::setNameFunction(&record)) { calls().clear(); }
    ~NameRecorder() { a11y::setNameFunction(m_old); }
    a11y::NameFunction m_old;
};

// A screen reader reads a sentence for the window and the question as the answer box's
// name; nothing shows the factors a second time. Everyone still finds the dialog by its
// class name.
TEST_F(AskDlgTest, ReadsAsASentenceWithTheQuestionAsTheAnswerBoxsName) {
    NameRecorder names;
    HWND question = CAskDlg::Open();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(::FindWindowW(L"kivAskDlg", nullptr), question);
    const std::wstring title = L"请回答乘法题，答对即可提前结束休息";
    EXPECT_EQ(fw::windowText(question), title);

    const CAskDlg* dlg = dialogOf(question);
    const std::wstring prompt =
        L"请回答：" + std::to_wstring(dlg->m_factor1) + L" × " + std::to_wstring(dlg->m_factor2) + L" = ?";
    HWND box = ::GetDlgItem(question, IDC_EDIT_ANSWER);
    EXPECT_EQ(::GetWindow(box, GW_HWNDPREV), nullptr) << "no label before the answer box";
    EXPECT_EQ(::GetNextDlgTabItem(question, nullptr, FALSE), box) << "the box is the first stop";
    ASSERT_EQ(NameRecorder::calls().size(), 1u);
    EXPECT_EQ(NameRecorder::calls()[0].control, box);
    EXPECT_EQ(NameRecorder::calls()[0].name, prompt);

    const test::Accessible window = test::accessibleOf(question, OBJID_CLIENT);
    EXPECT_EQ(window.name, title);
    EXPECT_TRUE(test::isWindowRole(window.role)) << window.role;
    EXPECT_EQ(test::accessibleOf(box, OBJID_CLIENT).role, ROLE_SYSTEM_TEXT);

    // The annotation goes with the window, before the box does.
    ::DestroyWindow(question);
    ASSERT_EQ(NameRecorder::calls().size(), 2u);
    EXPECT_EQ(NameRecorder::calls()[1].control, box);
    EXPECT_TRUE(NameRecorder::calls()[1].cleared);
}

// The answer as typed, against the question it answers.
struct AnswerCase {
    int factor1;
    int factor2;
    const wchar_t* text;
    bool right;
};

TEST_F(AskDlgTest, ARightAnswerUnlocksAndAWrongOneEmptiesTheBox) {
    const AnswerCase cases[] = {
        {7, 8, L"56", true},
        {7, 8, L"55", false},
        {7, 8, L"", false},
        {99, 99, L"9801", true},  // the largest product
        {6, 7, L"42abc", true},   // trailing letters are ignored
        {6, 7, L"  42", true},    // leading blanks are skipped
        {6, 7, L"+42", true},
        {6, 7, L"-42", false},
        {6, 7, L"abc42", false},
        {0, 37, L"", true},       // a factor 0: an empty answer reads as 0 and is right
        {37, 0, L"none", true},   // as is any text without a leading number
        {0, 0, L"0", true},
        {99, 99, L"4294977097", false},  // 2^32 + 9801 must not wrap round to the product
        {1, 0, L"4294967296", false},    // nor 2^32 to 0
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.factor1 << " x " << c.factor2 << " answered \""
                                        << std::string(c.text, c.text + wcslen(c.text)) << '"');
        HWND question = CAskDlg::Open();
        ASSERT_NE(question, nullptr);
        m_main.unlocked = 0;
        answer(question, c.factor1, c.factor2, c.text);
        EXPECT_EQ(m_main.unlocked, c.right ? 1 : 0);
        EXPECT_TRUE(::IsWindow(question)) << "the question stays open until the rest window closes";
        if (!c.right) {
            EXPECT_EQ(answerText(question), L"");
            EXPECT_EQ(dialogOf(question)->m_factor1, c.factor1) << "the same question stays";
            EXPECT_EQ(dialogOf(question)->m_factor2, c.factor2);
        }
        ::DestroyWindow(question);
    }
}

TEST_F(AskDlgTest, EnterInTheAnswerBoxIsTheOkButton) {
    HWND question = CAskDlg::Open();
    ASSERT_NE(question, nullptr);
    const CAskDlg* dlg = dialogOf(question);
    const std::wstring product = std::to_wstring(dlg->m_factor1 * dlg->m_factor2);
    ::SetDlgItemTextW(question, IDC_EDIT_ANSWER, product.c_str());
    ::PostMessageW(::GetDlgItem(question, IDC_EDIT_ANSWER), WM_KEYDOWN, VK_RETURN, 0);
    test::pumpMessages();
    EXPECT_EQ(m_main.unlocked, 1);
}

TEST_F(AskDlgTest, WithoutAnOwnerARightAnswerDoesNothing) {
    m_app.m_pMainWnd = nullptr;
    HWND question = CAskDlg::Open();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(::GetParent(question), nullptr);
    answer(question, 3, 4, L"12");
    EXPECT_EQ(m_main.unlocked, 0);
    EXPECT_TRUE(::IsWindow(question));
}

TEST_F(AskDlgTest, CancelEscAndAltF4CloseTheQuestionWithoutUnlocking) {
    struct Way {
        const char* name;
        void (*close)(HWND question);
    };
    const Way ways[] = {
        {"Cancel button", [](HWND q) { ::SendMessageW(q, WM_COMMAND, IDCANCEL, 0); }},
        {"Esc", [](HWND q) { ::PostMessageW(::GetDlgItem(q, IDC_EDIT_ANSWER), WM_KEYDOWN, VK_ESCAPE, 0); }},
        {"Alt+F4", [](HWND q) { ::SendMessageW(q, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"WM_CLOSE", [](HWND q) { ::SendMessageW(q, WM_CLOSE, 0, 0); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        HWND question = CAskDlg::Open();
        ASSERT_NE(question, nullptr);
        way.close(question);
        test::pumpMessages();
        EXPECT_FALSE(::IsWindow(question));
        EXPECT_EQ(CAskDlg::Find(), nullptr);
        EXPECT_EQ(m_main.unlocked, 0);
        // A new one can be opened afterwards.
        HWND again = CAskDlg::Open();
        EXPECT_NE(again, nullptr);
        ::DestroyWindow(again);
    }
}

// _wtoi is the reference for every answer that fits an int.
TEST(AnswerValue, ReadsLikeWtoiWithinTheIntRange) {
    const wchar_t* texts[] = {L"", L"0", L"56", L"  56", L"\t\n56", L"+7", L"-7", L"42abc", L"abc",
                              L"4 2", L"007", L"-0", L"2147483647", L"-2147483648", L"9801\x00D7"};
    for (const wchar_t* text : texts) {
        SCOPED_TRACE(std::string(text, text + wcslen(text)));
        EXPECT_EQ(rest::answerValue(text), _wtoi(text));
    }
}

TEST(AnswerValue, SaturatesBeyondTheIntRange) {
    EXPECT_EQ(rest::answerValue(L"2147483648"), INT_MAX);
    EXPECT_EQ(rest::answerValue(L"4294977097"), INT_MAX);
    EXPECT_EQ(rest::answerValue(L"99999999999999999999999"), INT_MAX);
    EXPECT_EQ(rest::answerValue(L"-2147483649"), INT_MIN);
    EXPECT_EQ(rest::answerValue(nullptr), 0);
}

}  // namespace
