// Reading and driving another process's windows the way a user or another program can:
// window titles, classes and sizes, control texts by id, posted commands and clicks.
// Nothing here knows the program's code; only its window titles and control ids.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Polls `condition` every 50 ms until it holds or `timeoutMs` have passed.
bool waitFor(const std::function<bool()>& condition, DWORD timeoutMs);

// Top-level windows of the process `pid`, visible or not.
std::vector<HWND> windowsOf(DWORD pid);

// The shell's taskbar (class "Shell_TrayWnd") is there and visible.
bool taskbarVisible();

std::wstring windowText(HWND window);
std::wstring windowClass(HWND window);
// A visible window of the system's dialog class without a caption bar: the rest window,
// the pre-rest notice and the covers of further monitors.
bool isCaptionlessDialog(HWND window);
std::wstring itemText(HWND dialog, int id);
bool setItemText(HWND dialog, int id, const std::wstring& text);
bool isChecked(HWND dialog, int id);

// Posts a click to a button of a dialog. Posted, not sent: a click that opens a modal
// message box must not block the test.
bool clickItem(HWND dialog, int id);

// All static texts of a window's children, joined by '\n' (a message box's text).
std::wstring staticTexts(HWND window);

// Seconds in a duration text such as "1 hours,2 minutes,5 seconds"; -1 when it is not one.
long long durationSeconds(const std::wstring& text);

std::string narrow(const std::wstring& text);  // UTF-8, for failure messages

}  // namespace e2e
