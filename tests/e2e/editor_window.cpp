#include "editor_window.h"

#include "remote_window.h"

namespace e2e {
namespace {

const wchar_t kClassName[] = L"kivE2EEditor";

LRESULT CALLBACK editorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFOCUS) {
        if (HWND edit = ::GetWindow(window, GW_CHILD)) ::SetFocus(edit);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    return waitFor([&] { pump(); return condition(); }, timeoutMs);
}

Editor::Editor() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &editorProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kClassName;
    ::RegisterClassW(&wc);
    m_window = ::CreateWindowExW(0, kClassName, L"editor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 200, 400, 150,
                                 nullptr, nullptr, wc.hInstance, nullptr);
    m_edit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 300, 30, m_window, nullptr,
                               wc.hInstance, nullptr);
}

Editor::~Editor() {
    ::DestroyWindow(m_window);
    ::UnregisterClassW(kClassName, ::GetModuleHandleW(nullptr));
}

bool Editor::takeFocus() const {
    ::SetForegroundWindow(m_window);
    ::SetFocus(m_edit);
    return pumpUntil([&] { return hasFocus(); }, 2000);
}

std::wstring Editor::text() const { return windowText(m_edit); }

void type(const char* letters) {
    for (const char* c = letters; *c; ++c) {
        INPUT keys[2] = {};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = static_cast<WORD>(::VkKeyScanW(static_cast<wchar_t>(*c)) & 0xFF);
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        ::SendInput(2, keys, sizeof(INPUT));
        pump();
    }
    pumpUntil([] { return false; }, 300);
}

}  // namespace e2e
