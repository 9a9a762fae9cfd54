#include "framework/window_text.h"

namespace fw {

std::wstring windowText(HWND wnd) {
    if (!wnd) return std::wstring();
    const int length = ::GetWindowTextLengthW(wnd);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(wnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

}  // namespace fw
