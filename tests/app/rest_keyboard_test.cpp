// The keyboard during a rest: which keys the hook lets through, and the window that had the
// keyboard getting it back when the rest ends.
#include <gtest/gtest.h>

#include <windows.h>

#include "desktop/rest_keyboard.h"

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
