// The application object's start-up and shutdown, on the program's one theApp. Start-up
// reads the settings as the program does (the test prefix's app-data folder).
#include <vector>

#include "framework/resources.h"
#include "main_dialog_fixture.h"
#include "platform_calls.h"

namespace {

struct RestartCall {
    bool hasCommandLine;
    DWORD flags;
};
std::vector<RestartCall>& restartCalls() {
    static std::vector<RestartCall> calls;
    return calls;
}
HRESULT WINAPI recordRestart(PCWSTR commandLine, DWORD flags) {
    restartCalls().push_back({commandLine != nullptr && *commandLine != 0, flags});
    return S_OK;
}

class AppObjectTest : public test::MainDialogTest {
protected:
    void TearDown() override {
        theApp.ExitInstance();
        // Start-up chose the language of this Wine's user; the other tests read the Chinese set.
        fw::setResourceLanguage(fw::kChineseResources);
        MainDialogTest::TearDown();
    }
};

TEST_F(AppObjectTest, StartsHiddenInTheTrayAndExitDeletesTheMainDialog) {
    // Left hidden by a rest whose process was killed.
    HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    ASSERT_NE(nullptr, taskbar);
    ::ShowWindow(taskbar, SW_HIDE);
    rest_test::SecondaryTaskbars secondary(1);
    secondary.hide();
    restartCalls().clear();
    const platform::RegisterRestartFunction oldRestart = platform::setRegisterRestartFunction(&recordRestart);
    ASSERT_TRUE(theApp.InitInstance());
    platform::setRegisterRestartFunction(oldRestart);
    // Brought back by the Restart Manager after an installer closed it, but not after a
    // crash, a hang or a reboot (the Startup entry starts it then, and a second start would
    // open the status window).
    ASSERT_EQ(1u, restartCalls().size());
    EXPECT_FALSE(restartCalls()[0].hasCommandLine);
    EXPECT_EQ(DWORD(RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT), restartCalls()[0].flags);
    EXPECT_TRUE(rest_test::becomesVisible(taskbar, true));
    EXPECT_EQ(1, secondary.visibleCount());
    CkivToolDlg* dlg = theApp.m_pMainDlg.get();
    ASSERT_NE(nullptr, dlg);
    EXPECT_EQ(static_cast<CDialog*>(dlg), theApp.m_pMainWnd);
    const HWND window = dlg->m_hWnd;
    ASSERT_TRUE(::IsWindow(window));
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_TRUE(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) << "no taskbar button";
    EXPECT_TRUE(dlg->m_trayIconAdded);
    EXPECT_EQ(1u, test::trayRecords(NIM_ADD).size());
    // The scheduler starts from the settings just loaded.
    EXPECT_EQ(theApp.m_settings.workTime.size(), dlg->m_clock.m_workLength.size());
    EXPECT_NE(0u, dlg->m_clock.m_workLength.size());
    EXPECT_TRUE(dlg->m_clock.m_working);

    dlg->OnExit();
    EXPECT_TRUE(test::pumpMessages()) << "the end of the main window ends the loop";
    EXPECT_FALSE(::IsWindow(window));
    theApp.ExitInstance();
    EXPECT_EQ(nullptr, theApp.m_pMainDlg);
    EXPECT_EQ(nullptr, theApp.m_pMainWnd);
}

}  // namespace
