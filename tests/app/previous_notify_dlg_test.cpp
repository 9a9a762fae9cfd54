// The pre-rest notice, opened and closed by the real scheduler object and driven by its own
// ticks (OnTimer called directly; its real timer is stopped).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "dialogs/previous_notify_dlg.h"
#include "framework/winapp.h"
#include "framework/window_text.h"
#include "kivtool_dlg.h"
#include "rest_test_support.h"
#include "test_support.h"

namespace {

using rest_test::Canvas;

class TestApp : public CWinApp {};

class PreviousNotifyDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedMode = theApp.m_settings.homeMode;
        ASSERT_TRUE(m_main.Create(IDD_PREVIOUS_NOTIFY_DIALOG));
        m_main.ShowWindow(SW_HIDE);
        m_app.m_pMainWnd = &m_main;
    }
    void TearDown() override {
        m_owner.ClosePreRestNotice();
        m_app.m_pMainWnd = nullptr;
        m_main.DestroyWindow();
        test::pumpMessages();
        theApp.m_settings.homeMode = m_savedMode;
    }
    // The scheduler's way: 15 seconds of work left.
    CPreviousNotifyDlg* show(bool homeMode) {
        theApp.m_settings.homeMode = homeMode;
        m_owner.ShowPreRestNotice();
        CPreviousNotifyDlg* dlg = m_owner.m_pPreviousNotifyDlg;
        if (!dlg) {
            ADD_FAILURE() << "no notice";
            return nullptr;
        }
        dlg->KillTimer(0);  // time is the tick: the tests call OnTimer
        return dlg;
    }

    TestApp m_app;
    rest_test::UnlockCounter m_main;
    CkivToolDlg m_owner;
    bool m_savedMode = false;
};

TEST_F(PreviousNotifyDlgTest, OpensFlushInTheBottomRightCornerTopMostShowingFifteen) {
    CPreviousNotifyDlg* dlg = show(false);
    ASSERT_NE(dlg, nullptr);
    HWND hwnd = dlg->GetSafeHwnd();
    RECT desktop{}, window{};
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    ::GetWindowRect(hwnd, &window);
    EXPECT_EQ(window.right, desktop.right);
    EXPECT_EQ(window.bottom, desktop.bottom);
    EXPECT_GT(window.right - window.left, 0);
    EXPECT_TRUE(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_EQ(dlg->CountText(), L"15");
}

TEST_F(PreviousNotifyDlgTest, CountsFifteenDownToOneAndRemovesItselfAtZero) {
    CPreviousNotifyDlg* dlg = show(true);
    ASSERT_NE(dlg, nullptr);
    HWND hwnd = dlg->GetSafeHwnd();
    std::vector<std::wstring> shown{dlg->CountText()};
    std::vector<std::wstring> read{fw::windowText(hwnd)};  // what a screen reader reads
    for (int tick = 1; m_owner.m_pPreviousNotifyDlg && tick <= 20; ++tick) {
        m_owner.m_pPreviousNotifyDlg->OnTimer(0);
        if (!m_owner.m_pPreviousNotifyDlg) break;
        shown.push_back(m_owner.m_pPreviousNotifyDlg->CountText());
        read.push_back(fw::windowText(hwnd));
    }
    std::vector<std::wstring> expected;
    for (int n = 15; n >= 1; --n) expected.push_back(std::to_wstring(n));
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(read, expected);
    EXPECT_EQ(m_owner.m_pPreviousNotifyDlg, nullptr);
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST_F(PreviousNotifyDlgTest, TheSchedulerRemovesItBeforeZero) {
    struct Way {
        const char* name;
        void (*close)(CkivToolDlg& owner);
    };
    const Way ways[] = {
        {"ClosePreRestNotice", [](CkivToolDlg& o) { o.ClosePreRestNotice(); }},
        {"delay five minutes", [](CkivToolDlg& o) { o.OnDelayFiveMinutes(); }},
        {"rest starts", [](CkivToolDlg& o) {
             o.StartRest();
             o.EndRest();
         }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        CPreviousNotifyDlg* dlg = show(true);
        ASSERT_NE(dlg, nullptr);
        HWND hwnd = dlg->GetSafeHwnd();
        dlg->OnTimer(0);
        way.close(m_owner);
        EXPECT_EQ(m_owner.m_pPreviousNotifyDlg, nullptr);
        EXPECT_FALSE(::IsWindow(hwnd));
    }
}

TEST_F(PreviousNotifyDlgTest, ANoticeTheOwnerDoesNotHoldClosesOnlyItsWindowAtZero) {
    theApp.m_settings.homeMode = false;
    auto* dlg = new CPreviousNotifyDlg(&m_owner);
    dlg->m_secondsLeft = 2;
    ASSERT_TRUE(dlg->Create(CPreviousNotifyDlg::IDD, &m_owner));
    dlg->KillTimer(0);
    HWND hwnd = dlg->GetSafeHwnd();
    dlg->OnTimer(0);
    EXPECT_TRUE(::IsWindow(hwnd));
    dlg->OnTimer(0);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(dlg->CountText(), L"") << "0 is never shown";
    EXPECT_EQ(m_owner.m_pPreviousNotifyDlg, nullptr);
    delete dlg;  // the object stays with whoever holds it
}

TEST_F(PreviousNotifyDlgTest, NeverTakesTheKeyboard) {
    CDialog working(IDD_ASK_DIALOG);  // the window the user is typing into
    ASSERT_TRUE(working.Create(IDD_ASK_DIALOG));
    ::SetActiveWindow(working.GetSafeHwnd());
    ASSERT_EQ(::GetActiveWindow(), working.GetSafeHwnd());

    CPreviousNotifyDlg* dlg = show(true);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(::GetActiveWindow(), working.GetSafeHwnd());
    for (int i = 0; i < 3; ++i) dlg->OnTimer(0);
    EXPECT_EQ(::GetActiveWindow(), working.GetSafeHwnd());
    EXPECT_TRUE(::GetWindowLongPtrW(dlg->GetSafeHwnd(), GWL_EXSTYLE) & WS_EX_NOACTIVATE);
    m_owner.ClosePreRestNotice();
    working.DestroyWindow();
}

TEST_F(PreviousNotifyDlgTest, EnterAndEscLeaveItOpen) {
    CPreviousNotifyDlg* dlg = show(false);
    ASSERT_NE(dlg, nullptr);
    HWND hwnd = dlg->GetSafeHwnd();
    ::PostMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 0);
    ::PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    test::pumpMessages();
    ::SendMessageW(hwnd, WM_COMMAND, IDOK, 0);
    ::SendMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_EQ(m_owner.m_pPreviousNotifyDlg, dlg);
}

TEST_F(PreviousNotifyDlgTest, RedDigitsCentredOnBlackAtHomeAndOnTheDialogColourAtTheOffice) {
    struct Row {
        bool home;
        COLORREF background;
    };
    const Row rows[] = {{true, RGB(0, 0, 0)}, {false, ::GetSysColor(COLOR_BTNFACE)}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.home ? "home" : "office");
        CPreviousNotifyDlg* dlg = show(row.home);
        ASSERT_NE(dlg, nullptr);
        RECT client{};
        ::GetClientRect(dlg->GetSafeHwnd(), &client);
        Canvas canvas(client.right, client.bottom);
        ::SendMessageW(dlg->GetSafeHwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0);
        EXPECT_EQ(canvas.count(row.background), client.right * client.bottom);

        dlg->PaintText(canvas.dc());
        const RECT text = canvas.redBounds();
        ASSERT_FALSE(::IsRectEmpty(&text)) << "no red digits";
        EXPECT_NEAR((text.left + text.right) / 2, client.right / 2, 3);
        EXPECT_NEAR((text.top + text.bottom) / 2, client.bottom / 2, 5);
        m_owner.ClosePreRestNotice();
    }
}

TEST_F(PreviousNotifyDlgTest, AHighContrastThemeDrawsTheDigitsInTheThemesWindowColours) {
    rest_test::HighContrastScope contrast(true);
    const COLORREF window = ::GetSysColor(COLOR_WINDOW), text = ::GetSysColor(COLOR_WINDOWTEXT);
    for (bool home : {true, false}) {
        SCOPED_TRACE(home ? "home" : "office");
        CPreviousNotifyDlg* dlg = show(home);
        ASSERT_NE(dlg, nullptr);
        RECT client{};
        ::GetClientRect(dlg->GetSafeHwnd(), &client);
        Canvas canvas(client.right, client.bottom);
        ::SendMessageW(dlg->GetSafeHwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0);
        EXPECT_EQ(canvas.count(window), client.right * client.bottom);
        dlg->PaintText(canvas.dc());
        const RECT red = canvas.redBounds();
        EXPECT_TRUE(::IsRectEmpty(&red)) << "red digits in a high-contrast theme";
        EXPECT_GT(canvas.count(text), 10);
        EXPECT_TRUE(rest_test::repaintsOnThemeChange(dlg->GetSafeHwnd()));
        m_owner.ClosePreRestNotice();
    }
}

}  // namespace
