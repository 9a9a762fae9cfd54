// The keyboard belongs to the rest: a text box of this test program has the focus, keys
// are typed into it with SendInput (the system's input path, which passes through every
// program's low-level keyboard hook, as a real keyboard's keys do), and kivTool's rest
// starts from its timer in the background.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "editor_window.h"
#include "kivtool_process.h"
#include "remote_window.h"

using namespace e2e;

namespace {

constexpr unsigned kWork = 3;
constexpr unsigned kRest = 4;

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
