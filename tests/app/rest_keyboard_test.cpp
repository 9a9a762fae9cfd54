// The keyboard during a rest: which keys the hook lets through, the hook answering on its
// own thread whatever the window thread is doing, the calls that take the foreground where
// Windows refuses it, and the window that had the keyboard getting it back when the rest ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "desktop/foreground.h"
#include "desktop/hook_thread.h"
#include "desktop/rest_keyboard.h"
#include "hold/typing_pause.h"

namespace {

TEST(RestKeyboard, OnlyOurWindowsCtrlAltUAndModifiersGetKeysDuringARest) {
    struct Row {
        bool ours;
        DWORD vk;
        bool ctrl;
        bool alt;
        bool through;
    };
    const Row rows[] = {
        {true, 'A', false, false, true},    // the question's answer
        {true, VK_RETURN, false, false, true},
        {false, 'A', false, false, false},  // another program's text box
        {false, VK_RETURN, false, false, false},
        {false, 'U', false, false, false},
        {false, 'U', true, false, false},
        {false, 'U', true, true, true},     // the unlock hot key
        {false, 'X', true, true, false},
        {false, VK_LCONTROL, false, false, true},
        {false, VK_RMENU, true, false, true},
        {false, VK_TAB, false, true, false},  // Alt+Tab away from the rest
    };
    for (const Row& row : rows) {
        EXPECT_EQ(rest::letKeyThrough(row.ours, row.vk, row.ctrl, row.alt), row.through)
            << "ours " << row.ours << ", key 0x" << std::hex << row.vk << ", ctrl " << row.ctrl << ", alt " << row.alt;
    }
}

TEST(RestKeyboard, TheWindowThatHadTheKeyboardGetsItBack) {
    HWND editor = ::CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200, nullptr,
                                    nullptr, nullptr, nullptr);
    HWND rest = ::CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(rest, nullptr);
    ::SetForegroundWindow(editor);
    ASSERT_EQ(::GetForegroundWindow(), editor);
    {
        rest::RestKeyboard keyboard;
        keyboard.take(rest);
        EXPECT_EQ(::GetForegroundWindow(), rest);
    }
    EXPECT_EQ(::GetForegroundWindow(), editor);
    ::DestroyWindow(rest);
    ::DestroyWindow(editor);
}

}  // namespace

namespace {

// What a low-level hook of the test saw: how many keys, on which thread.
std::atomic<int> g_keysSeen{0};
std::atomic<DWORD> g_hookThread{0};

LRESULT CALLBACK countKey(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        g_hookThread = ::GetCurrentThreadId();
        ++g_keysSeen;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Presses and releases F24 (a key nothing uses) through the system's input path.
DWORD WINAPI typeOneKey(void*) {
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_F24;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    return ::SendInput(2, keys, sizeof(INPUT));
}

// Types one key from another thread while this one handles no message at all, as the
// window thread does while it opens the sound device or waits for the shell. True when the
// typing thread was done within `waitMs`; its messages are let through afterwards either way.
bool typeWhileThisThreadIsBusy(DWORD waitMs) {
    HANDLE typist = ::CreateThread(nullptr, 0, &typeOneKey, nullptr, 0, nullptr);
    if (!typist) return false;
    const bool done = ::WaitForSingleObject(typist, waitMs) == WAIT_OBJECT_0;
    while (::MsgWaitForMultipleObjects(1, &typist, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    ::CloseHandle(typist);
    return done;
}

TEST(HookThread, TheHookAnswersOnItsOwnThreadWhileTheInstallingThreadIsBusyAndIsGoneAfterwards) {
    g_keysSeen = 0;
    g_hookThread = 0;
    {
        rest::HookThread hook;
        ASSERT_TRUE(hook.install(WH_KEYBOARD_LL, &countKey));
        EXPECT_NE(hook.threadId(), ::GetCurrentThreadId());
        // Far below the hook timeout (2 s under Wine): a hook on this thread would not be
        // asked before this thread handles messages again.
        EXPECT_TRUE(typeWhileThisThreadIsBusy(1000)) << "the key waited for the busy thread";
        EXPECT_EQ(g_keysSeen.load(), 2);
        EXPECT_EQ(g_hookThread.load(), hook.threadId());
    }
    typeWhileThisThreadIsBusy(INFINITE);
    EXPECT_EQ(g_keysSeen.load(), 2) << "the hook outlived its holder";
}

TEST(RestKeyboard, KeysAreAnsweredWhileTheRestWindowsThreadIsBusy) {
    HWND rest = ::CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(rest, nullptr);
    {
        rest::RestKeyboard keyboard;
        keyboard.take(rest);
        EXPECT_NE(keyboard.hookThreadId(), 0u);
        EXPECT_NE(keyboard.hookThreadId(), ::GetCurrentThreadId());
        EXPECT_TRUE(typeWhileThisThreadIsBusy(1000)) << "the key waited for the rest window's thread";
    }
    ::DestroyWindow(rest);
}

// The typing pause watches the keys in the last seconds before a cover and the rest then
// holds them: one hook on one thread, never the window thread.
TEST(KeyboardHook, TheTypingPauseAndTheRestShareOneHookOnItsOwnThread) {
    HWND rest = ::CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(rest, nullptr);
    hold::watchKeys(true);
    const DWORD watching = rest::keyboardHookThreadId();
    EXPECT_NE(watching, 0u);
    EXPECT_NE(watching, ::GetCurrentThreadId());
    EXPECT_TRUE(typeWhileThisThreadIsBusy(1000)) << "the key waited for the window thread";
    EXPECT_GE(hold::millisSinceKey(), 0) << "the typing pause saw no key";
    {
        rest::RestKeyboard keyboard;
        keyboard.take(rest);
        EXPECT_EQ(keyboard.hookThreadId(), watching) << "a second hook thread";
        hold::watchKeys(false);
        EXPECT_EQ(keyboard.hookThreadId(), watching) << "the rest's hook went with the typing pause's";
        EXPECT_TRUE(typeWhileThisThreadIsBusy(1000)) << "the key waited for the window thread";
    }
    EXPECT_EQ(rest::keyboardHookThreadId(), 0u) << "the hook outlived both uses";
    ::DestroyWindow(rest);
}

// The foreground calls, recorded in order against a made-up desktop: a window of another
// program's thread in front, and a system that lets this program take the foreground only
// in some ways.
enum class Allows { Always, WhenAttached, AfterInput, Never };

struct FakeDesktop {
    HWND front = nullptr;
    DWORD frontThread = 0;
    bool hung = false;
    bool attachRefused = false;  // e.g. an elevated program in front
    Allows allows = Allows::Always;
    HWND own = nullptr;          // this program's window: the one in front may set the foreground
    bool attached = false;
    bool inputSent = false;
    std::vector<std::string> calls;
    const rest::RestKeyboard* watched = nullptr;  // its hook marks the calls made while it is in
};

FakeDesktop* g_desk = nullptr;

void record(const char* call) {
    const bool hookIn = g_desk->watched && g_desk->watched->hookThreadId() != 0;
    g_desk->calls.push_back(std::string(call) + (hookIn ? " (hook in)" : ""));
}

HWND WINAPI fakeForeground() { return g_desk->front; }
DWORD WINAPI fakeThreadOf(HWND window, DWORD*) { return window == g_desk->front ? g_desk->frontThread : 0; }
BOOL WINAPI fakeIsHung(HWND) { return g_desk->hung; }
BOOL WINAPI fakeAttach(DWORD thread, DWORD toThread, BOOL attach) {
    const bool rightThreads = thread == ::GetCurrentThreadId() && toThread == g_desk->frontThread;
    record(!rightThreads ? "attach to the wrong threads" : attach ? "attach" : "detach");
    if (attach && g_desk->attachRefused) return FALSE;
    g_desk->attached = attach != FALSE;
    return TRUE;
}
BOOL WINAPI fakeSetWindowPos(HWND, HWND after, int, int, int, int, UINT flags) {
    const bool topMost = after == HWND_TOPMOST && (flags & SWP_NOMOVE) && (flags & SWP_NOSIZE);
    record(topMost ? "top-most" : "SetWindowPos");
    return TRUE;
}
BOOL WINAPI fakeBringToTop(HWND) {
    record("to top");
    return TRUE;
}
BOOL WINAPI fakeSetForeground(HWND window) {
    record("foreground");
    const Allows a = g_desk->allows;
    const bool allowed = a == Allows::Always || (g_desk->front && g_desk->front == g_desk->own) || (a == Allows::WhenAttached && g_desk->attached) ||
                         (a == Allows::AfterInput && g_desk->inputSent);
    if (allowed) g_desk->front = window;
    return allowed;
}
UINT WINAPI fakeSendInput(UINT count, INPUT* inputs, int size) {
    const bool nothing = count == 1 && size == sizeof(INPUT) && inputs[0].type == INPUT_MOUSE && inputs[0].mi.dx == 0 &&
                         inputs[0].mi.dy == 0 && inputs[0].mi.dwFlags == 0;
    record(nothing ? "empty input" : "other input");
    g_desk->inputSent = true;
    return count;
}

class ForegroundScope {
public:
    explicit ForegroundScope(FakeDesktop& desk) {
        g_desk = &desk;
        m_previous = rest::setForegroundCalls({&fakeForeground, &fakeThreadOf, &fakeIsHung, &fakeAttach,
                                               &fakeSetWindowPos, &fakeBringToTop, &fakeSetForeground, &fakeSendInput});
    }
    ~ForegroundScope() {
        rest::setForegroundCalls(m_previous);
        g_desk = nullptr;
    }
    ForegroundScope(const ForegroundScope&) = delete;
    ForegroundScope& operator=(const ForegroundScope&) = delete;

private:
    rest::ForegroundCalls m_previous{};
};

TEST(Foreground, TheRestWindowTakesTheForegroundTheWaysWindowsAllows) {
    HWND const ours = reinterpret_cast<HWND>(0x1000);
    HWND const editor = reinterpret_cast<HWND>(0x2000);
    struct Row {
        const char* name;
        HWND front;
        bool hung;
        bool attachRefused;
        Allows allows;
        bool taken;
        std::vector<std::string> calls;
    };
    const std::vector<std::string> plain = {"top-most", "to top", "foreground"};
    auto then = [&](std::vector<std::string> more) {
        std::vector<std::string> all = plain;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    const Row rows[] = {
        {"already in front", ours, false, false, Allows::Never, true, {"top-most"}},
        {"nothing in front", nullptr, false, false, Allows::Always, true, plain},
        {"allowed outright", editor, false, false, Allows::Always, true, plain},
        {"allowed once attached", editor, false, false, Allows::WhenAttached, true,
         then({"attach", "to top", "foreground", "detach"})},
        {"a hung program in front is never attached", editor, true, false, Allows::AfterInput, true,
         then({"empty input", "foreground"})},
        {"attaching refused (elevated)", editor, false, true, Allows::AfterInput, true,
         then({"attach", "empty input", "foreground"})},
        {"refused every way: the hook holds the keys", editor, false, false, Allows::Never, false,
         then({"attach", "to top", "foreground", "detach", "empty input", "foreground"})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeDesktop desk;
        desk.front = row.front;
        desk.frontThread = row.front == editor ? 4242 : 0;
        desk.hung = row.hung;
        desk.attachRefused = row.attachRefused;
        desk.allows = row.allows;
        desk.own = ours;
        ForegroundScope scope(desk);
        EXPECT_EQ(rest::takeForeground(ours), row.taken);
        EXPECT_EQ(desk.calls, row.calls);
        EXPECT_FALSE(desk.attached) << "left attached to the other program's thread";
    }
}

TEST(Foreground, TheRestTakesTheKeyboardAfterItsHookIsInAndGivesItBackAfterTheHookIsGone) {
    HWND rest = ::CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr,
                                  nullptr);
    HWND editor = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(rest, nullptr);
    ASSERT_NE(editor, nullptr);
    FakeDesktop desk;
    desk.front = editor;
    desk.frontThread = 4242;
    desk.allows = Allows::WhenAttached;
    desk.own = rest;
    {
        ForegroundScope scope(desk);
        rest::RestKeyboard keyboard;
        desk.watched = &keyboard;
        keyboard.take(rest);
        EXPECT_EQ(desk.front, rest);
        EXPECT_EQ(desk.calls, (std::vector<std::string>{"top-most (hook in)", "to top (hook in)", "foreground (hook in)",
                                                        "attach (hook in)", "to top (hook in)",
                                                        "foreground (hook in)", "detach (hook in)"}));
        desk.calls.clear();
        keyboard.release();
        EXPECT_EQ(desk.calls, std::vector<std::string>{"foreground"}) << "given back before the hook was gone";
        EXPECT_EQ(desk.front, editor) << "the editor did not get the keyboard back";
    }
    ::DestroyWindow(editor);
    ::DestroyWindow(rest);
}

}  // namespace
