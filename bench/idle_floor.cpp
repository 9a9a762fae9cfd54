// The floor for `make bench-idle`: the least a Windows program with a hidden window and a
// one-second timer costs while idle, measured beside kivTool under the same Wine. It does
// nothing on a tick; it ends on WM_CLOSE (or when its Wine server goes away).
#include <windows.h>

namespace {

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"kivIdleFloor";
    if (!::RegisterClassW(&windowClass)) return 1;
    // Never shown, like kivTool's status window while it sits in the tray.
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"kivTool idle floor", WS_OVERLAPPEDWINDOW,
                                    CW_USEDEFAULT, CW_USEDEFAULT, 200, 100, nullptr, nullptr, instance, nullptr);
    if (!window || !::SetTimer(window, 1, 1000, nullptr)) return 1;
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
