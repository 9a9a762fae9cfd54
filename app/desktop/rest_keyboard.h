// The keyboard belongs to the rest. The rest window takes the foreground as far as Windows
// allows (foreground.h), and while a rest lasts a low-level keyboard hook swallows every key
// meant for another program's window, letting through only what the rest's own windows
// get (the question's answer) and Ctrl+Alt+U. The hook is the program's one keyboard hook
// on its own thread (keyboard_hook.h), so no key waits for what the rest window does meanwhile. When the rest
// ends, the window that had the keyboard before gets it back.
#pragma once

#include <windows.h>

#include "desktop/keyboard_hook.h"

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

    // Installs the hook, remembers the window with the keyboard and brings `rest` to the
    // front as far as Windows allows.
    void take(HWND rest);
    // Removes the hook and gives the keyboard back to the remembered window, if it is
    // still there.
    void release();
    // The hook's thread while the keyboard is taken, else 0.
    DWORD hookThreadId() const { return m_taken ? keyboardHookThreadId() : 0; }

private:
    bool m_taken = false;  // this object's use of the keyboard hook began
    HWND m_previous = nullptr;
};

}  // namespace rest
