// Helpers of the sound tests: files beside the test program, temporary folders, the
// component loaded by full path, and MCI queries made independently of the component.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "isound.h"

namespace kivtest {

// The test program's directory, ending in a backslash. The build puts the component in
// "component\" and the default sounds in "resource\" below it, and the planted DLL beside it.
std::wstring testDirectory();
std::wstring soundPath(const wchar_t* name);  // e.g. L"relaxNotice.mp3"
std::wstring componentDirectory();

// A fresh folder under the temporary directory, removed with its files at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::wstring& path() const { return m_path; }  // ends in a backslash
    bool copyIn(const std::wstring& from, const std::wstring& name) const;

private:
    std::wstring m_path;
};

// Changes the current directory and changes it back at the end.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::wstring& path);
    ~CurrentDirectory();
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::wstring m_saved;
};

struct LibraryFree {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using Library = std::unique_ptr<std::remove_pointer<HMODULE>::type, LibraryFree>;

struct SoundRelease {
    void operator()(ISound* sound) const { sound->Release(); }
};
using SoundPtr = std::unique_ptr<ISound, SoundRelease>;

// The full path a module was loaded from, empty for null.
std::wstring modulePath(HMODULE module);

// Polls `condition` every 20 ms for at most `timeoutMs`; true as soon as it holds.
bool waitFor(const std::function<bool()>& condition, DWORD timeoutMs);

// MCI state asked directly of the device: mode (0 when the query fails), position in the
// device's time format (-1 when it fails), and the number of open MCI devices of any kind.
DWORD mciMode(UINT device);
long mciPosition(UINT device);
int openMciDevices();

// Planted-DLL bookkeeping (see planted_component.cpp).
bool plantedWasLoaded();
void forgetPlantedLoad();

}  // namespace kivtest
