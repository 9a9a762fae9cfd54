// Filling in the numbered places of the string table's texts (loadString: resources.h).
#pragma once

#include <initializer_list>
#include <string>

#include "framework/resources.h"

namespace fw {

// `pattern` with each "%1" to "%9" replaced by the argument of that number; a place without
// an argument and every other character stay as they are.
std::wstring formatString(const std::wstring& pattern, std::initializer_list<std::wstring> args);

}  // namespace fw
