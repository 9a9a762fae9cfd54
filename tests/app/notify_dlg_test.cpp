// The rest window, as the scheduler opens and closes it, driven by its own ticks (OnTimer
// called directly; its real timer is stopped so no wall-clock second can slip in).
#include <gtest/gtest.h>

#include <windows.h>
// GetProcessMemoryInfo from kernel32 (K32...), without the psapi import library.
#define PSAPI_VERSION 2
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "accessible_probe.h"
#include "dialogs/ask_dlg.h"
#include "dialogs/notify_dlg.h"
#include "fake_policy_registry.h"
#include "framework/winapp.h"
#include "framework/window_text.h"
#include "kivtool_dlg.h"
#include "rest_test_support.h"
#include "settings_store.h"
#include "kiv/path_kiv.h"
#include "test_support.h"

namespace {

using rest_test::BroadcastRecorder;
using rest_test::Canvas;
using rest_test::HotKeyRecorder;
using rest_test::WakeRecorder;

class TestApp : public CWinApp {};

class NotifyDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedMode = theApp.m_settings.homeMode;
        m_savedMusic = theApp.m_settings.relaxMusic;
        theApp.m_settings.relaxMusic = L"C:\\kiv\\relax.mp3";
        ASSERT_TRUE(m_main.Create(IDD_PREVIOUS_NOTIFY_DIALOG));
        m_main.ShowWindow(SW_HIDE);
        m_app.m_pMainWnd = &m_main;
        m_owner.m_clock.m_restLength = 300;
        m_taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
        if (m_taskbar) ::ShowWindow(m_taskbar, SW_SHOW);
    }
    void TearDown() override {
        close();
        m_app.m_pMainWnd = nullptr;
        m_main.DestroyWindow();
        test::pumpMessages();
        theApp.m_settings.homeMode = m_savedMode;
        theApp.m_settings.relaxMusic = m_savedMusic;
    }
    // Opens the rest window the way the scheduler does.
    CNotifyDlg* open(bool homeMode) {
        theApp.m_settings.homeMode = homeMode;
        m_dlg = new CNotifyDlg(&m_owner);
        if (!m_dlg->Create(CNotifyDlg::IDD, &m_owner)) {
            ADD_FAILURE() << "the rest window was not created";
            delete m_dlg;
            m_dlg = nullptr;
            return nullptr;
        }
        m_dlg->KillTimer(0);  // time is the tick: the tests call OnTimer
        m_dlg->ShowWindow(SW_SHOW);
        m_dlg->UpdateWindow();
        m_hwnd = m_dlg->GetSafeHwnd();
        return m_dlg;
    }
    void close() {
        if (!m_dlg) return;
        m_dlg->DestroyWindow();
        delete m_dlg;
        m_dlg = nullptr;
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) m_dlg->OnTimer(0);
    }

    TestApp m_app;
    rest_test::UnlockCounter m_main;
    CkivToolDlg m_owner;  // constructed before the fake sound goes in: it creates its own
    rest_test::RecordingSound m_sound;
    rest_test::SoundScope m_soundScope{&m_sound};
    BroadcastRecorder m_broadcasts;
    WakeRecorder m_wakes;
    HotKeyRecorder m_hotKeys;
    CNotifyDlg* m_dlg = nullptr;
    HWND m_hwnd = nullptr;
    HWND m_taskbar = nullptr;
    bool m_savedMode = false;
    kiv::String m_savedMusic;
};

TEST_F(NotifyDlgTest, CoversThePrimaryScreenTopMostInBothModes) {
    for (bool home : {true, false}) {
        SCOPED_TRACE(home ? "home" : "office");
        ASSERT_NE(open(home), nullptr);
        RECT desktop{}, window{};
        ::GetWindowRect(::GetDesktopWindow(), &desktop);
        ::GetWindowRect(m_hwnd, &window);
        EXPECT_TRUE(::EqualRect(&desktop, &window));
        EXPECT_TRUE(::GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_TRUE(::IsWindowVisible(m_hwnd));
        EXPECT_EQ(::GetParent(m_hwnd), m_main.GetSafeHwnd()) << "the owner has no window here: the main window owns it";
        close();
    }
}

TEST_F(NotifyDlgTest, ShowsTheOwnersRestTimeLeft) {
    struct Row {
        uint32_t elapsed;
        const wchar_t* text;
    };
    const Row rows[] = {
        {0, L"5 minutes"},
        {1, L"4 minutes,59 seconds"},
        {60, L"4 minutes"},
        {299, L"1 seconds"},
        {300, L"0 seconds"},
        {301, L"0 seconds"},  // a rest shortened by the settings: no wrapped 136-year count
    };
    ASSERT_NE(open(true), nullptr);
    for (const Row& row : rows) {
        m_owner.m_clock.m_restElapsed = row.elapsed;
        EXPECT_EQ(m_dlg->RemainingText(), row.text) << "after " << row.elapsed << " s";
    }
}

// A screen reader hears "resting" and the time when the window opens, then the time it
// shows; the text is never drawn, the window has no caption.
TEST_F(NotifyDlgTest, ItsWindowTextAnnouncesTheRestThenReadsTheTimeShown) {
    ASSERT_NE(open(true), nullptr);
    EXPECT_EQ(fw::windowText(m_hwnd), L"休息中 5 minutes");
    const test::Accessible opened = test::accessibleOf(m_hwnd, OBJID_CLIENT);
    EXPECT_EQ(opened.name, L"休息中 5 minutes");
    EXPECT_TRUE(test::isWindowRole(opened.role)) << opened.role;

    m_owner.m_clock.m_restElapsed = 1;
    ticks(1);
    EXPECT_EQ(fw::windowText(m_hwnd), L"4 minutes,59 seconds");
    EXPECT_EQ(test::accessibleOf(m_hwnd, OBJID_CLIENT).name, L"4 minutes,59 seconds");

    EXPECT_EQ(::GetWindowLongW(m_hwnd, GWL_STYLE) & WS_CAPTION, WS_BORDER) << "no caption to show a title in";
    RECT window{};
    ::GetWindowRect(m_hwnd, &window);
    const int width = window.right - window.left, height = window.bottom - window.top;
    // Read off the screen, which under load may still show a stroke of an earlier paint: a
    // window that shows its text differs in every attempt, a late stroke in one.
    const std::wstring shown = fw::windowText(m_hwnd);
    const UINT redraw = RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN;
    int differing = -1;
    for (int attempt = 0; attempt < 3 && differing != 0; ++attempt) {
        Canvas before(width, height), after(width, height);
        ::SetWindowTextW(m_hwnd, shown.c_str());
        ::RedrawWindow(m_hwnd, nullptr, nullptr, redraw);
        before.captureSettledScreen(window);
        ::SetWindowTextW(m_hwnd, L"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
        ::RedrawWindow(m_hwnd, nullptr, nullptr, redraw);
        after.captureSettledScreen(window);
        differing = 0;
        for (int y = 0; y < height; y += 2)
            for (int x = 0; x < width; x += 2) differing += before.pixel(x, y) != after.pixel(x, y);
    }
    EXPECT_EQ(differing, 0) << "the window text showed somewhere";
}

TEST_F(NotifyDlgTest, UnderTheSchedulerTheLastTextIsOneSecond) {
    theApp.m_settings.homeMode = true;  // office mode would beep and remind of a long day
    m_owner.m_clock.m_restLength = 4;
    m_owner.m_clock.m_working = true;
    m_owner.StartRest();
    ASSERT_NE(m_owner.m_pNotifyDlg, nullptr);
    m_owner.m_pNotifyDlg->KillTimer(0);
    std::vector<std::wstring> shown{m_owner.m_pNotifyDlg->RemainingText()};
    while (m_owner.m_pNotifyDlg) {
        m_owner.OnTimer(0);
        if (m_owner.m_pNotifyDlg) shown.push_back(m_owner.m_pNotifyDlg->RemainingText());
        ASSERT_LE(shown.size(), 10u);
    }
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"4 seconds", L"3 seconds", L"2 seconds", L"1 seconds"}));
    EXPECT_TRUE(m_owner.m_clock.m_working);
}

TEST_F(NotifyDlgTest, HomeModePaintsRedTextCentredOnBlack) {
    ASSERT_NE(open(true), nullptr);
    RECT client{};
    ::GetClientRect(m_hwnd, &client);
    Canvas canvas(client.right, client.bottom);
    EXPECT_NE(::SendMessageW(m_hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0), 0);
    EXPECT_EQ(canvas.count(RGB(0, 0, 0)), client.right * client.bottom);

    m_dlg->PaintText(canvas.dc());
    const RECT text = canvas.redBounds();
    ASSERT_FALSE(::IsRectEmpty(&text)) << "no red text";
    EXPECT_GT(canvas.count(RGB(255, 0, 0)), 0);
    EXPECT_NEAR((text.left + text.right) / 2, client.right / 2, 6);
    EXPECT_NEAR((text.top + text.bottom) / 2, client.bottom / 2, 8);
}

// With a high-contrast theme the time is the theme's window text: on its window colour at
// home, in a box of that colour over the picture at the office. A theme switched during
// the rest shows at once.
TEST_F(NotifyDlgTest, AHighContrastThemeDrawsInTheThemesWindowColours) {
    rest_test::HighContrastScope contrast(true);
    const COLORREF window = ::GetSysColor(COLOR_WINDOW), text = ::GetSysColor(COLOR_WINDOWTEXT);
    ASSERT_NE(window, text);
    for (bool home : {true, false}) {
        SCOPED_TRACE(home ? "home" : "office");
        ASSERT_NE(open(home), nullptr);
        RECT client{};
        ::GetClientRect(m_hwnd, &client);
        Canvas canvas(client.right, client.bottom);
        if (home) {
            ::SendMessageW(m_hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0);
            EXPECT_EQ(canvas.count(window), client.right * client.bottom);
        }
        m_dlg->PaintText(canvas.dc());
        const RECT red = canvas.redBounds();
        EXPECT_TRUE(::IsRectEmpty(&red)) << "red text in a high-contrast theme";
        EXPECT_GT(canvas.count(text), 20) << "no text in the theme's colour";
        canvas.flush();
        // The corner of the last character's cell: blank ink, the theme's window colour.
        const int x = home ? client.right / 2 : client.right - 11, y = home ? 2 : client.bottom - 11;
        EXPECT_EQ(canvas.pixel(x, y), window);
        EXPECT_TRUE(rest_test::repaintsOnThemeChange(m_hwnd));
        close();
    }
}

TEST_F(NotifyDlgTest, OfficeModeShowsTheFrozenDesktopWithTheTimeBottomRight) {
    // Something recognisable on the screen just before the rest.
    fw::Brush magenta(::CreateSolidBrush(RGB(255, 0, 255)));
    {
        fw::WindowDC screen(::GetDesktopWindow());
        RECT mark{100, 100, 200, 150};
        ::FillRect(screen.get(), &mark, magenta.get());
    }
    ASSERT_NE(open(false), nullptr);
    ASSERT_TRUE(m_dlg->m_desktopSnapshot);
    RECT client{};
    ::GetClientRect(m_hwnd, &client);
    Canvas canvas(client.right, client.bottom);
    EXPECT_NE(::SendMessageW(m_hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0), 0);
    canvas.flush();
    // The mark stays exactly where it was on the screen, inside the window's border too.
    POINT origin{0, 0};
    ::ClientToScreen(m_hwnd, &origin);
    const COLORREF magentaColour = RGB(255, 0, 255);
    EXPECT_EQ(canvas.pixel(150 - origin.x, 125 - origin.y), magentaColour) << "the picture of the desktop, not a fill";
    EXPECT_EQ(canvas.pixel(100 - origin.x, 100 - origin.y), magentaColour) << "top-left corner of the mark";
    EXPECT_EQ(canvas.pixel(199 - origin.x, 149 - origin.y), magentaColour) << "bottom-right corner of the mark";
    EXPECT_NE(canvas.pixel(200 - origin.x, 150 - origin.y), magentaColour) << "just outside the mark";

    m_dlg->PaintText(canvas.dc());
    const RECT text = canvas.redBounds();
    ASSERT_FALSE(::IsRectEmpty(&text)) << "no red text";
    EXPECT_LE(text.right, client.right - 10);
    EXPECT_GE(text.right, client.right - 10 - 8);
    EXPECT_LE(text.bottom, client.bottom - 10);
    EXPECT_GE(text.bottom, client.bottom - 10 - 14);
    EXPECT_GT(text.left, client.right / 2);
}

TEST_F(NotifyDlgTest, PaintingValidatesTheWindowEverySecond) {
    ASSERT_NE(open(true), nullptr);
    ticks(1);
    RECT dirty{};
    EXPECT_TRUE(::GetUpdateRect(m_hwnd, &dirty, FALSE)) << "each tick asks for a full repaint";
    ::UpdateWindow(m_hwnd);
    EXPECT_FALSE(::GetUpdateRect(m_hwnd, &dirty, FALSE));
}

TEST_F(NotifyDlgTest, HidesEveryTaskbarForTheRestAndShowsThemAfter) {
    ASSERT_NE(m_taskbar, nullptr) << "Wine provides a Shell_TrayWnd";
    rest_test::SecondaryTaskbars secondary(2);  // two more monitors
    ASSERT_TRUE(secondary.allCreated());
    for (bool home : {true, false}) {
        SCOPED_TRACE(home ? "home" : "office");
        ASSERT_NE(open(home), nullptr);
        EXPECT_TRUE(rest_test::becomesVisible(m_taskbar, false));
        EXPECT_EQ(secondary.visibleCount(), 0);
        ticks(3);
        EXPECT_TRUE(rest_test::becomesVisible(m_taskbar, false));
        close();
        EXPECT_TRUE(rest_test::becomesVisible(m_taskbar, true));
        EXPECT_EQ(secondary.visibleCount(), secondary.count());
    }
}

TEST_F(NotifyDlgTest, SwitchesTheMonitorOffAtTheSixthTickInHomeModeOnly) {
    struct Row {
        bool home;
        int ticks;
        std::vector<LPARAM> whileOpen;
        std::vector<LPARAM> afterClose;
        bool wakesTheDisplay;  // the broadcast alone does not wake displays since Windows 8
    };
    const Row rows[] = {
        {true, 5, {}, {}, false},
        {true, 6, {2}, {2, -1}, true},
        {true, 30, {2}, {2, -1}, true},  // once per rest
        {false, 30, {}, {}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << (row.home ? "home, " : "office, ") << row.ticks << " ticks");
        BroadcastRecorder::posted().clear();
        WakeRecorder::calls().clear();
        ASSERT_NE(open(row.home), nullptr);
        ticks(row.ticks);
        EXPECT_EQ(BroadcastRecorder::states(), row.whileOpen);
        EXPECT_TRUE(WakeRecorder::calls().empty());
        close();
        EXPECT_EQ(BroadcastRecorder::states(), row.afterClose);
        EXPECT_EQ(WakeRecorder::calls(), row.wakesTheDisplay ? rest_test::displayWake() : std::vector<std::string>{});
        for (const rest_test::Posted& p : BroadcastRecorder::posted()) {
            EXPECT_EQ(p.window, HWND_BROADCAST);
            EXPECT_EQ(p.message, static_cast<UINT>(WM_SYSCOMMAND));
            EXPECT_EQ(p.wParam, static_cast<WPARAM>(SC_MONITORPOWER));
        }
    }
}

TEST_F(NotifyDlgTest, AnOpenQuestionHoldsTheMonitorOn) {
    ASSERT_NE(open(true), nullptr);
    ::SendMessageW(m_hwnd, WM_HOTKEY, 0, 0);
    HWND question = CAskDlg::Find();
    ASSERT_NE(question, nullptr);
    ticks(8);
    EXPECT_TRUE(BroadcastRecorder::posted().empty());
    ::SendMessageW(question, WM_COMMAND, IDCANCEL, 0);
    ticks(1);
    EXPECT_EQ(BroadcastRecorder::states(), (std::vector<LPARAM>{2}));
}

TEST_F(NotifyDlgTest, TheMonitorComesBackOnEvenAfterASwitchToOfficeMode) {
    ASSERT_NE(open(true), nullptr);
    ticks(6);
    theApp.m_settings.homeMode = false;  // settings changed during the rest
    close();
    EXPECT_EQ(BroadcastRecorder::states(), (std::vector<LPARAM>{2, -1}));
    EXPECT_EQ(WakeRecorder::calls(), rest_test::displayWake());
}

TEST_F(NotifyDlgTest, EnterEscAndAltF4LeaveTheRestWindowOpen) {
    ASSERT_NE(open(false), nullptr);
    ::PostMessageW(m_hwnd, WM_KEYDOWN, VK_RETURN, 0);
    ::PostMessageW(m_hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    test::pumpMessages();
    ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    ::SendMessageW(m_hwnd, WM_CLOSE, 0, 0);
    ::SendMessageW(m_hwnd, WM_COMMAND, IDOK, 0);
    ::SendMessageW(m_hwnd, WM_COMMAND, IDCANCEL, 0);
    test::pumpMessages();
    EXPECT_TRUE(::IsWindow(m_hwnd));
    EXPECT_TRUE(::IsWindowVisible(m_hwnd));
}

TEST_F(NotifyDlgTest, TheHotKeyOpensOneQuestionOwnedByTheMainWindow) {
    ASSERT_NE(open(true), nullptr);
    ::SendMessageW(m_hwnd, WM_HOTKEY, 0, 0);
    ::PostMessageW(m_hwnd, WM_HOTKEY, 0, 0);
    test::pumpMessages();
    const std::vector<HWND> questions = rest_test::windowsOfClass(L"kivAskDlg");
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(::GetParent(questions[0]), m_main.GetSafeHwnd());

    // Cancelled, the next press opens a new one.
    ::SendMessageW(questions[0], WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(CAskDlg::Find(), nullptr);
    ::SendMessageW(m_hwnd, WM_HOTKEY, 0, 0);
    EXPECT_NE(CAskDlg::Find(), nullptr);
    EXPECT_TRUE(::IsWindow(m_hwnd)) << "closing the question does not end the rest";
}

TEST_F(NotifyDlgTest, WhileAPolicyForbidsEndingEarlyTheHotKeyOpensNoQuestion) {
    test::FakePolicyRegistry registry;
    registry.setNumber(policy::Hive::Machine, u"AllowEarlyUnlock", 0);
    theApp.m_policies = policy::readPolicies();
    ASSERT_NE(open(true), nullptr);
    ::SendMessageW(m_hwnd, WM_HOTKEY, 0, 0);
    test::pumpMessages();
    EXPECT_EQ(CAskDlg::Find(), nullptr);

    registry.setNumber(policy::Hive::Machine, u"AllowEarlyUnlock", 1);
    theApp.m_policies = policy::readPolicies();
    ::SendMessageW(m_hwnd, WM_HOTKEY, 0, 0);
    EXPECT_NE(CAskDlg::Find(), nullptr);
}

TEST_F(NotifyDlgTest, ClosingTheRestWindowClosesTheQuestionAndGivesTheTaskbarBack) {
    ASSERT_NE(m_taskbar, nullptr);
    ASSERT_NE(open(true), nullptr);
    ::SendMessageW(m_hwnd, WM_HOTKEY, 0, 0);
    HWND question = CAskDlg::Find();
    ASSERT_NE(question, nullptr);
    close();
    EXPECT_FALSE(::IsWindow(question));
    EXPECT_TRUE(rest_test::becomesVisible(m_taskbar, true));
}

TEST_F(NotifyDlgTest, EachTickBringsTheQuestionOrElseTheRestWindowToTheFront) {
    ASSERT_NE(open(true), nullptr);
    ::SendMessageW(m_hwnd, WM_HOTKEY, 0, 0);
    HWND question = CAskDlg::Find();
    ASSERT_NE(question, nullptr);
    ::SetActiveWindow(m_hwnd);
    ticks(1);
    EXPECT_EQ(::GetActiveWindow(), question);
    ::DestroyWindow(question);
    ::SetActiveWindow(m_main.GetSafeHwnd());
    ticks(1);
    EXPECT_EQ(::GetActiveWindow(), m_hwnd);
}

TEST_F(NotifyDlgTest, EachTickMinimisesTheTaskManager) {
    // Windows 7; Windows 8 and later; the same in Chinese.
    const wchar_t* const titles[] = {L"Windows Task Manager", L"Task Manager", L"任务管理器"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(testing::Message() << "title " << i);
        HWND taskManager = ::CreateWindowExW(0, L"STATIC", titles[i], WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                             nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(taskManager, nullptr);
        ASSERT_NE(open(false), nullptr);
        EXPECT_FALSE(::IsIconic(taskManager));
        ticks(1);
        EXPECT_TRUE(::IsIconic(taskManager));
        EXPECT_TRUE(::IsWindow(taskManager)) << "minimised, not closed";
        ::DestroyWindow(taskManager);
        close();
    }
}

TEST_F(NotifyDlgTest, RestMusicLoopsInHomeModeAndStopsWithTheWindow) {
    struct Row {
        bool home;
        std::vector<std::wstring> whileOpen;
    };
    const Row rows[] = {
        {true, {L"Open:C:\\kiv\\relax.mp3", L"Play:1"}},
        {false, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.home ? "home" : "office");
        m_sound.calls.clear();
        ASSERT_NE(open(row.home), nullptr);
        ticks(7);
        EXPECT_EQ(m_sound.calls, row.whileOpen);
        close();
        std::vector<std::wstring> all = row.whileOpen;
        all.push_back(L"Stop");
        EXPECT_EQ(m_sound.calls, all);
    }
}

// A rest-music setting that is not a local file (a share, a pipe, a device) plays the
// program's own rest music: opening it could carry the user's credentials to another
// host or hold this thread while every key waits for it.
TEST_F(NotifyDlgTest, RestMusicThatIsNotALocalFilePlaysTheDefault) {
    const std::wstring fallback = L"Open:" + std::wstring(settings::defaultSoundPath(kiv::getModuleDir(),
                                                                                     settings::kRelaxSound).c_wstr());
    const wchar_t* const refused[] = {L"\\\\host\\share\\relax.mp3", L"\\\\?\\UNC\\host\\share\\relax.mp3",
                                      L"\\\\localhost\\pipe\\kiv", L"C:\\kiv\\CON.mp3", L"relax.mp3"};
    for (const wchar_t* path : refused) {
        SCOPED_TRACE(std::string(path, path + wcslen(path)));
        theApp.m_settings.relaxMusic = path;
        m_sound.calls.clear();
        ASSERT_NE(open(true), nullptr);
        EXPECT_EQ(m_sound.calls, (std::vector<std::wstring>{fallback, L"Play:1"}));
        close();
    }
}

// The music is opened before the keyboard is taken: while the keyboard hook is in place
// every key of the session waits for this thread.
// The sound device can take a while to open: the screen is covered and the keyboard taken
// (its hook on a thread of its own, so no key waits for the device) before the music opens.
TEST_F(NotifyDlgTest, OpensTheMusicOnceTheScreenIsCoveredAndTheKeyboardTaken) {
    struct StateAtOpen : rest_test::RecordingSound {
        HWND foreground = nullptr;
        bool covered = false;
        BOOL __stdcall Open(const wchar_t* path) override {
            foreground = ::GetForegroundWindow();
            covered = ::IsWindowVisible(::GetForegroundWindow()) != FALSE;
            return RecordingSound::Open(path);
        }
    } sound;
    rest_test::SoundScope scope(&sound);
    ASSERT_NE(open(true), nullptr);
    ASSERT_EQ(sound.count(L"Open:"), 1);
    EXPECT_EQ(sound.foreground, m_hwnd) << "the music was opened before the rest window took the keyboard";
    EXPECT_TRUE(sound.covered) << "the music was opened before the screen was covered";
    close();
}

TEST_F(NotifyDlgTest, RunsSilentlyWithoutASoundComponent) {
    g_pSound.reset(nullptr);
    ASSERT_NE(open(true), nullptr);
    ticks(7);
    close();
    EXPECT_EQ(m_sound.calls, std::vector<std::wstring>{L"Release"}) << "nothing reached the released fake";
}

TEST_F(NotifyDlgTest, RegistersCtrlAltUUnderItsAtomAndGivesBothBack) {
    ASSERT_NE(open(true), nullptr);
    ASSERT_EQ(HotKeyRecorder::calls().size(), 1u);
    const rest_test::HotKeyCall reg = HotKeyRecorder::calls()[0];
    EXPECT_TRUE(reg.isRegister);
    EXPECT_EQ(reg.window, m_hwnd);
    EXPECT_EQ(reg.modifiers, static_cast<UINT>(MOD_CONTROL | MOD_ALT));
    EXPECT_EQ(reg.key, 0x55u);
    wchar_t name[64] = {};
    ASSERT_NE(::GlobalGetAtomNameW(static_cast<ATOM>(reg.id), name, 64), 0u);
    EXPECT_STREQ(name, L"kivTool hotkey");

    close();
    ASSERT_EQ(HotKeyRecorder::calls().size(), 2u);
    const rest_test::HotKeyCall unreg = HotKeyRecorder::calls()[1];
    EXPECT_FALSE(unreg.isRegister);
    EXPECT_EQ(unreg.window, reg.window);
    EXPECT_EQ(unreg.id, reg.id);
    EXPECT_EQ(::GlobalFindAtomW(L"kivTool hotkey"), 0) << "the atom reference went with the window";
}

TEST_F(NotifyDlgTest, ARefusedHotKeyStillGivesTheAtomBack) {
    HotKeyRecorder refusing(FALSE);
    ASSERT_NE(open(true), nullptr);
    EXPECT_TRUE(::IsWindowVisible(m_hwnd)) << "the rest goes on; it ends by time";
    EXPECT_FALSE(m_dlg->m_hotKey.isRegistered());
    close();
    EXPECT_EQ(HotKeyRecorder::calls().size(), 1u) << "nothing to unregister";
    EXPECT_EQ(::GlobalFindAtomW(L"kivTool hotkey"), 0);
}

TEST_F(NotifyDlgTest, TheRealHotKeyMessageOpensTheQuestion) {
    const auto recordRegister = platform::setRegisterHotKeyFunction(nullptr);  // the system's
    const auto recordUnregister = platform::setUnregisterHotKeyFunction(nullptr);
    open(true);
    const bool registered = m_dlg && m_dlg->m_hotKey.isRegistered();
    // Wine's hot keys are not global, so the key press is posted as the system would.
    if (m_dlg) ::PostMessageW(m_hwnd, WM_HOTKEY, m_dlg->m_hotKey.id(), MAKELPARAM(MOD_CONTROL | MOD_ALT, 0x55));
    test::pumpMessages();
    const bool asked = CAskDlg::Find() != nullptr;
    close();
    platform::setRegisterHotKeyFunction(recordRegister);
    platform::setUnregisterHotKeyFunction(recordUnregister);
    EXPECT_TRUE(registered);
    EXPECT_TRUE(asked);
}

// What the process holds, for the open/close loop below.
struct ProcessFigures {
    DWORD gdi;   // GetGuiResources; Wine always reports 0
    DWORD user;
    SIZE_T privateBytes;
};

ProcessFigures processFigures() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    SIZE_T privateBytes = 0;
    if (::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                               sizeof counters))
        privateBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return {::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS),
            ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS), privateBytes};
}

// Each full-screen window costs Wine ~0.1 s, so the suite runs a short loop;
// KIV_REST_CYCLES=1000 runs the long one.
int restCycles() {
    const char* text = std::getenv("KIV_REST_CYCLES");
    const int n = text ? std::atoi(text) : 0;
    return n > 0 ? n : 40;
}

INT_PTR CALLBACK bareDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// What Wine itself keeps per full-screen window (about 9 KB, with no code of ours involved):
// the same template opened, moved over the screen, painted and destroyed `cycles` times.
SIZE_T bareWindowGrowth(int cycles) {
    const SIZE_T before = processFigures().privateBytes;
    for (int i = 0; i < cycles; ++i) {
        HWND bare = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_NOTIFY_DIALOG), nullptr,
                                         &bareDialogProc, 0);
        ::SetWindowPos(bare, HWND_TOPMOST, 0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), 0);
        ::UpdateWindow(bare);
        ::DestroyWindow(bare);
    }
    const SIZE_T after = processFigures().privateBytes;
    return after > before ? after - before : 0;
}

// Opens and closes the rest window many times and prints what the process holds before and
// after; the figures are for reading, the bounds catch a leak per rest.
TEST_F(NotifyDlgTest, RepeatedRestsLeaveNoHandlesOrMemoryBehind) {
    // Warm up: first-use allocations (fonts, window classes, caches) are not per rest.
    for (int i = 0; i < 5; ++i) {
        ASSERT_NE(open(i % 2 == 0), nullptr);
        ticks(1);
        close();
    }
    const int cycles = restCycles();
    const ProcessFigures before = processFigures();
    std::vector<HGDIOBJ> created;
    for (int i = 0; i < cycles; ++i) {
        ASSERT_NE(open(i % 2 == 0), nullptr);
        created.push_back(m_dlg->m_font.get());
        created.push_back(m_dlg->m_desktopSnapshot.get());
        ticks(1);
        m_dlg->UpdateWindow();  // a real paint each cycle
        close();
    }
    const ProcessFigures after = processFigures();
    const SIZE_T bare = bareWindowGrowth(cycles);
    std::printf("%d rests: GDI objects %lu -> %lu, USER objects %lu -> %lu, private bytes %lu -> %lu "
                "(bare windows alone: +%lu)\n",
                cycles, static_cast<unsigned long>(before.gdi), static_cast<unsigned long>(after.gdi),
                static_cast<unsigned long>(before.user), static_cast<unsigned long>(after.user),
                static_cast<unsigned long>(before.privateBytes), static_cast<unsigned long>(after.privateBytes),
                static_cast<unsigned long>(bare));
    int alive = 0;
    for (HGDIOBJ object : created) alive += ::GetObjectType(object) != 0;
    EXPECT_EQ(alive, 0) << "fonts and snapshots go with their window";
    EXPECT_LE(after.gdi, before.gdi + 10);
    EXPECT_LE(after.user, before.user + 10);
    // A snapshot is about 4 MB: one kept per rest would show at once.
    ASSERT_GT(before.privateBytes, 0u);
    EXPECT_LE(after.privateBytes, before.privateBytes + bare + 2u * 1024 * 1024);
    EXPECT_EQ(::GlobalFindAtomW(L"kivTool hotkey"), 0);
}

}  // namespace
