// Unsigned numbers as the text of an edit box or a label, by the rules of the C library's
// "%u" conversion, which the data exchange uses for numeric fields.
#pragma once

#include <cstdint>
#include <string>

namespace fw {

// Only this many leading characters of the text are looked at.
constexpr std::size_t kMaxNumberTextLength = 63;

// Reads the number at the start of `text`: white space is skipped, then an optional sign
// and decimal digits; whatever follows them is ignored ("25abc" gives 25). Returns false
// when there is no digit to read (empty text, letters, a lone sign).
//
// A minus sign gives the unsigned wrap-around of the number (-5 gives 4294967291), as
// "%u" does, so a range check rejects it. Unlike a plain wrap-around, a magnitude that does
// not fit - a positive number above 4294967295, or a negative one below -2147483648 - gives
// 4294967295: otherwise "4294967297" would read as 1 and "-4294967295" as 1, and a range
// check would let a wildly wrong entry through.
bool parseUnsignedText(const std::wstring& text, std::uint32_t& value);

// `value` in decimal digits, as "%u" writes it. (std::to_wstring would bring the C
// library's whole wide printf into the program for this.)
std::wstring unsignedText(std::uint32_t value);

}  // namespace fw
