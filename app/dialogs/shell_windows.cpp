#include "dialogs/shell_windows.h"

#include <windows.h>

namespace rest {

void showTaskbar(bool show) {
    if (HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr)) ::ShowWindow(taskbar, show ? SW_SHOW : SW_HIDE);
}

bool minimiseTaskManager() {
    HWND taskManager = ::FindWindowW(nullptr, L"Windows Task Manager");
    if (!taskManager) return false;
    ::CloseWindow(taskManager);
    return true;
}

}  // namespace rest
