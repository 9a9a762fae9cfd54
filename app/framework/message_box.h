// The framework's message boxes go through one replaceable function, so tests can record
// what would be shown instead of blocking on a modal box.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

using MessageBoxFunction = int(WINAPI*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// Installs `fn` (null restores MessageBoxW) and returns the function it replaces.
MessageBoxFunction setMessageBoxFunction(MessageBoxFunction fn);

// Shows `text` with the program's name as caption (the executable's base name).
int showMessageBox(HWND owner, const std::wstring& text, UINT type);

}  // namespace fw
