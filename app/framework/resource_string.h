// Texts of the program's string table, and filling in their numbered places.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

namespace fw {

// String `id` of the program's string table; empty when there is none.
std::wstring loadString(UINT id);

// `pattern` with each "%1" to "%9" replaced by the argument of that number; a place without
// an argument and every other character stay as they are.
std::wstring formatString(const std::wstring& pattern, std::initializer_list<std::wstring> args);

}  // namespace fw
