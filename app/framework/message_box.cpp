#include "framework/message_box.h"

#include "kiv/path_kiv.h"

namespace fw {
namespace {

MessageBoxFunction g_messageBox = &::MessageBoxW;

std::wstring programName() {
    std::wstring name = kiv::getModuleFileName().c_wstr();  // whole, however deep the folder
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
