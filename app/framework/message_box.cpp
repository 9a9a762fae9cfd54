#include "framework/message_box.h"

namespace fw {
namespace {

MessageBoxFunction g_messageBox = &::MessageBoxW;

std::wstring programName() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, n < MAX_PATH ? n : 0);
    const auto slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    const auto dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
}

}  // namespace

MessageBoxFunction setMessageBoxFunction(MessageBoxFunction fn) {
    MessageBoxFunction previous = g_messageBox;
    g_messageBox = fn ? fn : &::MessageBoxW;
    return previous;
}

int showMessageBox(HWND owner, const std::wstring& text, UINT type) {
    return g_messageBox(owner, text.c_str(), programName().c_str(), type);
}

}  // namespace fw
