// The keyboard belongs to the rest: a text box of this test program has the focus, keys
// are typed into it with SendInput (the system's input path, which passes through every
// program's low-level keyboard hook, as a real keyboard's keys do), and kivTool's rest
// starts from its timer in the background.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "kivtool_process.h"
#include "remote_window.h"

using namespace e2e;

namespace {

constexpr unsigned kWork = 3;
constexpr unsigned kRest = 4;

void pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Waits as waitFor does, handling this thread's messages meanwhile: the text box is ours, and
// another program's activation changes wait on our answer.
bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    return waitFor([&] { pump(); return condition(); }, timeoutMs);
}

// A window with one text box, as an editor the user works in: like any editor it hands the
// keyboard on to its text box whenever it is activated.
LRESULT CALLBACK editorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFOCUS) {
        if (HWND edit = ::GetWindow(window, GW_CHILD)) ::SetFocus(edit);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

class Editor {
public:
    Editor() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &editorProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = L"kivKeyboardTarget";
        ::RegisterClassW(&wc);
        m_window = ::CreateWindowExW(0, wc.lpszClassName, L"editor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 200, 400,
                                     150, nullptr, nullptr, wc.hInstance, nullptr);
        m_edit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 300, 30, m_window,
                                   nullptr, wc.hInstance, nullptr);
    }
    ~Editor() {
        ::DestroyWindow(m_window);
        ::UnregisterClassW(L"kivKeyboardTarget", ::GetModuleHandleW(nullptr));
    }
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    HWND window() const { return m_window; }
    // Brings the window to the front with the caret in the text box, as a click on it would.
    bool takeFocus() const {
        ::SetForegroundWindow(m_window);
        ::SetFocus(m_edit);
        return pumpUntil([&] { return hasFocus(); }, 2000);
    }
    bool hasFocus() const { return ::GetForegroundWindow() == m_window && ::GetFocus() == m_edit; }
    std::wstring text() const { return windowText(m_edit); }

private:
    HWND m_window = nullptr;
    HWND m_edit = nullptr;
};

// Presses and releases the key of each lower-case letter, then lets its messages arrive.
void type(const char* letters) {
    for (const char* c = letters; *c; ++c) {
        INPUT keys[2] = {};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = static_cast<WORD>(::VkKeyScanW(static_cast<wchar_t>(*c)) & 0xFF);
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        ::SendInput(2, keys, sizeof(INPUT));
        pump();
    }
    pumpUntil([] { return false; }, 300);
}

TEST(KeyboardE2E, KeysTypedDuringARestNeverReachTheEditorWhichHasTheFocusAgainAfterIt) {
    KivTool app({kWork, kRest, 1});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start());
    // The status window shows for a moment at start-up; the user starts typing once it is gone.
    ASSERT_TRUE(pumpUntil([&] { return !::IsWindowVisible(app.statusWindow()); }, 3000));
    Editor editor;
    ASSERT_TRUE(editor.takeFocus()) << "the editor did not get the focus";
    type("ab");
    ASSERT_EQ(editor.text(), L"ab") << "typed keys do not reach the editor at all";

    HWND rest = nullptr;
    ASSERT_TRUE(pumpUntil([&] { return (rest = app.restWindow()) != nullptr; }, (kWork + 8) * 1000));
    EXPECT_TRUE(pumpUntil([&] { return ::GetForegroundWindow() == rest; }, 2000))
        << "the rest window did not take the foreground";
    type("cd");
    EXPECT_EQ(narrow(editor.text()), "ab") << "keys typed during the rest reached the editor";

    // A program that pushes itself to the front during the rest gets no keys either.
    ASSERT_TRUE(editor.takeFocus()) << "the editor could not take the foreground back";
    type("ef");
    EXPECT_EQ(narrow(editor.text()), "ab") << "keys reached a program that took the foreground during the rest";
    ::SetForegroundWindow(rest);

    ASSERT_TRUE(pumpUntil([&] { return app.restWindow() == nullptr; }, (kRest + 5) * 1000)) << "the rest did not end";
    EXPECT_TRUE(pumpUntil([&] { return editor.hasFocus(); }, 2000)) << "the editor did not get the focus back";
    type("gh");
    EXPECT_EQ(narrow(editor.text()), "abgh") << "keys typed after the rest do not reach the editor";
    EXPECT_TRUE(app.command(kCommandExit));
    EXPECT_TRUE(app.waitForExit(5000));
}

}  // namespace
