// The sound component's interface, shared by the component (kivinterface-1.dll) and the
// program that loads it.
//
// The virtual table is the contract across the DLL boundary, so its order is fixed:
// DeviceId, Mode, Release, Open, Stop, Play. The methods use __stdcall, the convention of
// component interfaces, so a component built by another compiler fits the same table.
// No method throws.
#pragma once

#include <windows.h>

struct ISound {
    // The MCI device of the opened file, 0 when nothing is open (for diagnostics and tests).
    virtual UINT __stdcall DeviceId() = 0;
    // The MCI mode of the opened file (MCI_MODE_PLAY, MCI_MODE_STOP, ...), 0 when nothing is open.
    virtual DWORD __stdcall Mode() = 0;
    // Stops, closes and deletes the instance; the pointer must not be used again.
    virtual void __stdcall Release() = 0;
    // Opens the sound file at a full path, closing whatever was open before. The path is
    // only ever a file name, never command text. Nonzero on success; on failure nothing
    // is open and Play does nothing.
    virtual BOOL __stdcall Open(const wchar_t* path) = 0;
    // Stops playing; the file stays open. Harmless when nothing plays.
    virtual BOOL __stdcall Stop() = 0;
    // Plays the opened file from its start and returns at once; loop nonzero repeats it
    // until Stop. Nonzero when playing started.
    virtual BOOL __stdcall Play(int loop) = 0;

protected:
    ~ISound() = default;  // only Release ends an instance
};

// The factory exported by kivinterface-1.dll under this undecorated name. It fills *object
// and returns nonzero only for the component "kivsound", version "1", no outer object and
// the interface "ISound"; otherwise it returns 0 and sets *object to null.
extern "C" typedef BOOL(__cdecl* KivICreateInstanceFn)(const wchar_t* component, const wchar_t* version,
                                                      void* outer, const wchar_t* interfaceName,
                                                      void** object);

#define KIV_SOUND_FACTORY_NAME "kivICreateInstance"
#define KIV_SOUND_LIBRARY_NAME L"kivinterface-1.dll"
