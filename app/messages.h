// The program's own window messages (WM_APP is 0x8000).
#pragma once

#include <windows.h>

// The shell: a mouse event on the tray icon (wParam = icon id, lParam = mouse message).
#define WM_TRAY_NOTIFY   (WM_APP + 0x64)
// The shell: an app-bar notification (wParam = code, lParam = its argument); the main
// dialog listens only for ABN_FULLSCREENAPP.
#define WM_APPBAR_NOTIFY (WM_APP + 0x65)
// The unlock question, after a right answer: end the rest now (wParam 0, lParam 0).
#define WM_REST_UNLOCKED (WM_APP + 0x66)

static_assert(WM_TRAY_NOTIFY == 0x8064 && WM_APPBAR_NOTIFY == 0x8065 && WM_REST_UNLOCKED == 0x8066,
              "the message values are shared with the other windows of the program");
// Another start of the program: show the status window and bring it to the foreground
// (wParam 0, lParam 0).
#define WM_SHOW_STATUS   (WM_APP + 0x67)
// The control pipe's thread: a request to answer (wParam kControlRequest, lParam the
// exchange, see control/pipe_server.h), or the pipe's name was taken (kControlPipeTaken).
#define WM_CONTROL       (WM_APP + 0x68)
enum : WPARAM { kControlRequest = 0, kControlPipeTaken = 1 };
