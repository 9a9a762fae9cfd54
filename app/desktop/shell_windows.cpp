#include "desktop/shell_windows.h"

#include <windows.h>

namespace rest {

const wchar_t* const kTaskManagerTitles[3] = {L"Windows Task Manager", L"Task Manager", L"任务管理器"};

void minimiseTaskManager() {
    for (const wchar_t* title : kTaskManagerTitles) {
        if (HWND taskManager = ::FindWindowW(nullptr, title)) ::CloseWindow(taskManager);
    }
}

}  // namespace rest
