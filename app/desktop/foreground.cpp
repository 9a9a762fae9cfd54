#include "desktop/foreground.h"

namespace rest {
namespace {

const ForegroundCalls kSystem = {&::GetForegroundWindow, &::GetWindowThreadProcessId, &::IsHungAppWindow,
                                 &::AttachThreadInput,   &::SetWindowPos,             &::BringWindowToTop,
                                 &::SetForegroundWindow, &::SendInput};

ForegroundCalls g_calls = kSystem;

template <typename Fn>
Fn orSystem(Fn fn, Fn system) {
    return fn ? fn : system;
}

bool inFront(HWND window) { return g_calls.getForegroundWindow() == window; }

bool attachedTake(HWND window, HWND front) {
    const DWORD own = ::GetCurrentThreadId();
    const DWORD frontThread = front ? g_calls.getWindowThreadProcessId(front, nullptr) : 0;
    if (!frontThread || frontThread == own || g_calls.isHungAppWindow(front)) return false;
    if (!g_calls.attachThreadInput(own, frontThread, TRUE)) return false;  // e.g. an elevated program
    g_calls.bringWindowToTop(window);
    g_calls.setForegroundWindow(window);
    g_calls.attachThreadInput(own, frontThread, FALSE);
    return inFront(window);
}

}  // namespace

ForegroundCalls setForegroundCalls(const ForegroundCalls& calls) {
    const ForegroundCalls old = g_calls;
    g_calls.getForegroundWindow = orSystem(calls.getForegroundWindow, kSystem.getForegroundWindow);
    g_calls.getWindowThreadProcessId = orSystem(calls.getWindowThreadProcessId, kSystem.getWindowThreadProcessId);
    g_calls.isHungAppWindow = orSystem(calls.isHungAppWindow, kSystem.isHungAppWindow);
    g_calls.attachThreadInput = orSystem(calls.attachThreadInput, kSystem.attachThreadInput);
    g_calls.setWindowPos = orSystem(calls.setWindowPos, kSystem.setWindowPos);
    g_calls.bringWindowToTop = orSystem(calls.bringWindowToTop, kSystem.bringWindowToTop);
    g_calls.setForegroundWindow = orSystem(calls.setForegroundWindow, kSystem.setForegroundWindow);
    g_calls.sendInput = orSystem(calls.sendInput, kSystem.sendInput);
    return old;
}

HWND foregroundWindow() { return g_calls.getForegroundWindow(); }

DWORD processOfWindow(HWND window) {
    DWORD process = 0;
    return window && g_calls.getWindowThreadProcessId(window, &process) ? process : 0;
}

bool takeForeground(HWND window) {
    if (!window) return false;
    g_calls.setWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    const HWND front = g_calls.getForegroundWindow();
    if (front == window) return true;
    // Allowed outright when this program is in front already, or nothing is.
    g_calls.bringWindowToTop(window);
    g_calls.setForegroundWindow(window);
    if (inFront(window) || attachedTake(window, front)) return true;
    // Last, since the system counts the event as the user's input too (input idleness).
    INPUT nothing{};
    nothing.type = INPUT_MOUSE;  // no move, no button
    g_calls.sendInput(1, &nothing, sizeof nothing);
    g_calls.setForegroundWindow(window);
    return inFront(window);
}

void giveForeground(HWND window) {
    if (window && ::IsWindow(window)) g_calls.setForegroundWindow(window);
}

}  // namespace rest
