// Other programs' windows the rest window holds down: the taskbar and the task manager.
// Each step is skipped when the window is not there.
#pragma once

namespace rest {

// Shows or hides the taskbar (the window of class "Shell_TrayWnd").
void showTaskbar(bool show);
// Minimises the window titled "Windows Task Manager" (CloseWindow minimises, it does not
// close).
void minimiseTaskManager();

}  // namespace rest
