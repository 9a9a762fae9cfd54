// g_pSound: the process-wide holder of the sound component, null when there is none.
//
//   g_pSound.create();                      // main dialog's constructor; false = run silently
//   if (g_pSound) { g_pSound->Open(path); g_pSound->Play(0); }
//
// The component is loaded only from the program's own directory, by full path: a
// kivinterface-1.dll lying in the current directory or on PATH is never loaded.
#pragma once

#include <windows.h>

#include <string>

#include "isound.h"

class SoundHolder {
public:
    SoundHolder() = default;
    ~SoundHolder() { reset(); }
    SoundHolder(const SoundHolder&) = delete;
    SoundHolder& operator=(const SoundHolder&) = delete;

    // Releases the held component, then creates a new one from kivinterface-1.dll in the
    // program's directory. Returns whether a component is held now.
    bool create();
    // The same with the DLL in `directory` (a full path, with or without trailing backslash).
    bool createFrom(const std::wstring& directory);

    // Releases the held component and unloads its library.
    void reset();
    // Holds `sound` (a fake in tests), releasing whatever was held; no library is kept.
    void reset(ISound* sound);

    ISound* get() const { return m_sound; }
    ISound* operator->() const { return m_sound; }
    explicit operator bool() const { return m_sound != nullptr; }

private:
    ISound* m_sound = nullptr;  // released before m_library is freed
    HMODULE m_library = nullptr;
};

// The directory of the running program, ending in a backslash; empty if it cannot be read.
std::wstring programDirectory();

extern SoundHolder g_pSound;
