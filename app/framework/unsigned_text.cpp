#include "framework/unsigned_text.h"

#include <iterator>

namespace fw {
namespace {

bool isCSpace(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

bool parseUnsignedText(const std::wstring& text, std::uint32_t& value) {
    const std::wstring head = text.substr(0, kMaxNumberTextLength);
    std::size_t i = 0;
    while (i < head.size() && isCSpace(head[i])) ++i;
    bool negative = false;
    if (i < head.size() && (head[i] == L'+' || head[i] == L'-')) {
        negative = head[i] == L'-';
        ++i;
    }
    if (i >= head.size() || !isDigit(head[i])) return false;

    // Accumulate in 64 bits and stop growing once past 2^32: every larger magnitude is
    // treated alike below.
    constexpr std::uint64_t kLimit = 0x100000000ull;
    std::uint64_t magnitude = 0;
    for (; i < head.size() && isDigit(head[i]); ++i) {
        if (magnitude <= kLimit) magnitude = magnitude * 10 + static_cast<unsigned>(head[i] - L'0');
    }

    if (!negative) {
        value = magnitude > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(magnitude);
    } else if (magnitude == 0) {
        value = 0;
    } else if (magnitude <= 0x80000000ull) {
        value = static_cast<std::uint32_t>(kLimit - magnitude);
    } else {
        value = UINT32_MAX;
    }
    return true;
}

std::wstring unsignedText(std::uint32_t value) {
    wchar_t digits[10];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    return std::wstring(std::make_reverse_iterator(digits + count), std::make_reverse_iterator(digits));
}

}  // namespace fw
