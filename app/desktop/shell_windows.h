// The task manager, which the rest window holds down. The taskbars are the desktop guard's
// (desktop_guard.h).
#pragma once

namespace rest {

// The task manager's title in each Windows generation and language we know: Windows 7,
// Windows 8 and later, and later in Chinese.
extern const wchar_t* const kTaskManagerTitles[3];

// Minimises the window with each of those titles (CloseWindow minimises, it does not
// close); a title with no window is skipped.
void minimiseTaskManager();

}  // namespace rest
