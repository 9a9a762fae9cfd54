#include "desktop/unlock_hotkey.h"

#include "platform_calls.h"

namespace rest {

bool UnlockHotKey::registerFor(HWND window) {
    release();
    m_atom = ::GlobalAddAtomW(kAtomName);
    if (!m_atom) return false;
    m_window = window;
    m_registered = platform::registerHotKey(window, m_atom, kModifiers, kKey) != FALSE;
    return m_registered;
}

void UnlockHotKey::release() {
    if (m_registered) platform::unregisterHotKey(m_window, m_atom);
    if (m_atom) ::GlobalDeleteAtom(m_atom);
    m_window = nullptr;
    m_atom = 0;
    m_registered = false;
}

}  // namespace rest
