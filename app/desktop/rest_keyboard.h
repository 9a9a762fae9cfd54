// The keyboard belongs to the rest. Windows stops a background program's plain
// SetForegroundWindow, so while a rest lasts a low-level keyboard hook swallows every key
// meant for another program's window, letting through only what the rest's own windows
// get (the question's answer) and Ctrl+Alt+U. When the rest ends, the window that had the
// keyboard before gets it back.
#pragma once

#include <windows.h>

#include "framework/handles.h"

namespace rest {

// Whether a key goes on: `ours` when the foreground window is one of this program's;
// `ctrl`, `alt` whether those are held. Modifiers always pass (a swallowed release would
// leave them held in the other program).
bool letKeyThrough(bool ours, DWORD vkCode, bool ctrl, bool alt);

class RestKeyboard {
public:
    RestKeyboard() = default;
    ~RestKeyboard() { release(); }
    RestKeyboard(const RestKeyboard&) = delete;
    RestKeyboard& operator=(const RestKeyboard&) = delete;

    // Remembers the window with the keyboard, brings `rest` to the front as far as Windows
    // allows and installs the hook.
    void take(HWND rest);
    // Removes the hook and gives the keyboard back to the remembered window, if it is
    // still there.
    void release();

private:
    fw::Hook m_hook;
    HWND m_previous = nullptr;
};

}  // namespace rest
