// A window's text as a std::wstring (empty for a null window).
#pragma once

#include <windows.h>

#include <string>

namespace fw {

std::wstring windowText(HWND wnd);

}  // namespace fw
