#include "dialogs/shell_windows.h"

#include <windows.h>

namespace rest {

void showTaskbar(bool show) {
    if (HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr)) ::ShowWindow(taskbar, show ? SW_SHOW : SW_HIDE);
}

void minimiseTaskManager() {
    if (HWND taskManager = ::FindWindowW(nullptr, L"Windows Task Manager")) ::CloseWindow(taskManager);
}

}  // namespace rest
