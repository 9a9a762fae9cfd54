// "kivTool.exe --export FILE": the history written to FILE as the history window's export
// writes it, and the program ends without a window (kivctl.exe export runs this, so its
// file has the program's own bytes and texts without carrying their code). Nothing else
// is read or written: not the one-copy name, not today's day file.
#pragma once

#include <string>

namespace control {

// The file named by an export request on this command line; false when there is none.
bool exportRequested(const wchar_t* commandLine, std::wstring& file);

// Writes every day file of the user's profile folder to `file` as CSV, in the language of
// the windows. The program's exit code: 0 when written whole, 1 otherwise.
int exportHistoryTo(const std::wstring& file);

}  // namespace control
