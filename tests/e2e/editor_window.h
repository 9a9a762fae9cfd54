// The user's editor in the end-to-end tests: a window of the test program with one text box,
// which, like any editor, hands the keyboard on to its text box whenever it is activated; and
// keys typed through SendInput (the system's input path, which passes through every program's
// low-level keyboard hook, as a real keyboard's keys do).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace e2e {

// Handles the messages waiting for this thread.
void pump();
// Waits as waitFor does, handling this thread's messages meanwhile: the text box is ours, and
// another program's activation changes wait on our answer.
bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMs);

class Editor {
public:
    Editor();
    ~Editor();
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    HWND window() const { return m_window; }
    // Brings the window to the front with the caret in the text box, as a click on it would.
    bool takeFocus() const;
    bool hasFocus() const { return ::GetForegroundWindow() == m_window && ::GetFocus() == m_edit; }
    std::wstring text() const;

private:
    HWND m_window = nullptr;
    HWND m_edit = nullptr;
};

// Presses and releases the key of each lower-case letter, then lets its messages arrive.
void type(const char* letters);

}  // namespace e2e
