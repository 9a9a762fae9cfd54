// Output for a console or a redirection: UTF-16 to a console window (so Chinese shows
// whatever its code page), UTF-8 bytes to a file or a pipe (what scripts read).
#pragma once

#include <windows.h>

#include <vector>

namespace kivctl {

void writeText(DWORD stream, const wchar_t* text);
void writeUtf8(DWORD stream, const std::vector<char>& bytes);
// `format` with one %s or %u (wsprintfW), at most 1 KB when written.
void writeFormatted(DWORD stream, const wchar_t* format, ...);

}  // namespace kivctl
