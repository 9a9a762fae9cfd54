// Taking the keyboard for a rest window or the question. Windows refuses SetForegroundWindow
// to a program in the background (the user typing elsewhere is exactly when a rest begins),
// so after the plain call come two ways Windows lets a program take the foreground:
// sharing, for a moment, the input state of the thread in front (AttachThreadInput), and,
// when that is refused too (a window of an elevated program, or one that hangs), an input
// event of no length, which makes this process the one that received the last input.
// Whatever Windows still refuses, the rest's keyboard hook holds the keys.
//
// The calls go through replaceable function pointers: Wine never refuses the foreground,
// so tests install fakes that do, and record the order of the calls.
#pragma once

#include <windows.h>

namespace rest {

struct ForegroundCalls {
    HWND(WINAPI* getForegroundWindow)();
    DWORD(WINAPI* getWindowThreadProcessId)(HWND window, DWORD* processId);
    BOOL(WINAPI* isHungAppWindow)(HWND window);
    BOOL(WINAPI* attachThreadInput)(DWORD thread, DWORD toThread, BOOL attach);
    BOOL(WINAPI* setWindowPos)(HWND window, HWND after, int x, int y, int width, int height, UINT flags);
    BOOL(WINAPI* bringWindowToTop)(HWND window);
    BOOL(WINAPI* setForegroundWindow)(HWND window);
    UINT(WINAPI* sendInput)(UINT count, INPUT* inputs, int size);
};

// Installs `calls` (a null member: the system's function) and returns the ones it replaces.
ForegroundCalls setForegroundCalls(const ForegroundCalls& calls);

// The window that has the keyboard now.
HWND foregroundWindow();
// The process of `window`; 0 when that cannot be told (the window is gone).
DWORD processOfWindow(HWND window);
// Top-most, on top, then the foreground as far as Windows allows: the plain call, then with
// the thread in front attached (never a hung one: attached, this thread would wait for it),
// then after an input event of no length. True when `window` has the foreground.
bool takeForeground(HWND window);
// Gives the foreground to `window`: allowed while this program has it, as after a rest.
void giveForeground(HWND window);

}  // namespace rest
