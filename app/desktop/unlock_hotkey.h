// Ctrl+Alt+U on the rest window, registered under the global atom "kivTool hotkey".
// The holder owns both the registration and its reference to the atom: each rest adds one
// reference to the atom, so one left behind per rest would pile up in the system's atom
// table for as long as the session lives.
#pragma once

#include <windows.h>

namespace rest {

class UnlockHotKey {
public:
    static constexpr const wchar_t* kAtomName = L"kivTool hotkey";
    static constexpr UINT kModifiers = MOD_ALT | MOD_CONTROL;
    static constexpr UINT kKey = 0x55;  // 'U'

    UnlockHotKey() = default;
    ~UnlockHotKey() { release(); }
    UnlockHotKey(const UnlockHotKey&) = delete;
    UnlockHotKey& operator=(const UnlockHotKey&) = delete;

    // Adds the atom and registers the key on `window` with the atom as its id, releasing
    // an earlier registration first. False when the key could not be registered (another
    // program holds it); the rest then ends only by time.
    bool registerFor(HWND window);
    // Unregisters the key while its window is still there, then drops the atom reference.
    void release();

    ATOM id() const { return m_atom; }
    bool isRegistered() const { return m_registered; }

private:
    HWND m_window = nullptr;
    ATOM m_atom = 0;
    bool m_registered = false;
};

}  // namespace rest
