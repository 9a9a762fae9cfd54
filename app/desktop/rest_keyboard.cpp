#include "desktop/rest_keyboard.h"

#include "desktop/foreground.h"
#include "desktop/keyboard_hook.h"

namespace rest {

namespace {

bool isModifier(DWORD vk) {
    switch (vk) {
    case VK_SHIFT: case VK_LSHIFT: case VK_RSHIFT:
    case VK_CONTROL: case VK_LCONTROL: case VK_RCONTROL:
    case VK_MENU: case VK_LMENU: case VK_RMENU:
    case VK_LWIN: case VK_RWIN:
        return true;
    default:
        return false;
    }
}

// Runs on the hook's thread: it reads only what the system keeps (the foreground window, the
// keys held) and the process id, so it shares nothing with the window thread.
bool foregroundIsOurs() {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(::GetForegroundWindow(), &pid);
    return pid == ::GetCurrentProcessId();
}

bool held(int vk) { return (::GetAsyncKeyState(vk) & 0x8000) != 0; }

// True swallows the key.
bool holdKey(WPARAM, const KBDLLHOOKSTRUCT& key) {
    const DWORD vk = key.vkCode;
    // Every question to the system is time the key waits: only what the answer needs.
    return !(isModifier(vk) || foregroundIsOurs() ||
             letKeyThrough(false, vk, vk == 'U' && held(VK_CONTROL), vk == 'U' && held(VK_MENU)));
}

}  // namespace

bool letKeyThrough(bool ours, DWORD vkCode, bool ctrl, bool alt) {
    if (ours || isModifier(vkCode)) return true;
    return vkCode == 'U' && ctrl && alt;  // the unlock hot key
}

void RestKeyboard::take(HWND rest) {
    release();
    m_taken = beginKeyboardUse(KeyboardUse::HoldKeys, &holdKey);
    m_previous = foregroundWindow();
    if (m_previous == rest) m_previous = nullptr;
    takeForeground(rest);  // may be refused; the hook holds the keys anyway
}

void RestKeyboard::release() {
    if (m_taken) endKeyboardUse(KeyboardUse::HoldKeys);
    m_taken = false;
    giveForeground(m_previous);
    m_previous = nullptr;
}

}  // namespace rest
