// printf-style formatting behind kiv::String::format and kiv::StringC::format.
#pragma once

#include <cstdarg>
#include <string>

#include "kiv/string_kiv.h"

namespace kiv {

// A wide format gives the same text on every platform (the C library's wide printf
// differs: wchar_t is 32-bit on POSIX), so it is walked here: %s and %ls take a
// `const char16_t*`, %S and %hs a narrow `const char*` (ANSI), %c and %lc a wide unit,
// %C and %hc a narrow one; numbers go one at a time through snprintf. Flags, width,
// precision and '*' work as in printf; %n writes nothing; an unknown conversion is
// copied as it stands. The output has no length limit.
std::u16string formatWide(const char16_t* format, va_list args);

// A narrow format goes to vsnprintf as it is, in as many rounds as the text needs. Gives
// a narrow string.
String formatNarrow(const char* format, va_list args);

}  // namespace kiv
