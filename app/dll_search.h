// Where the program's DLLs come from. Windows looks for a DLL named without a path in the
// program's own folder first, and a program is often unpacked into a folder anyone's
// downloads land in: a wtsapi32.dll or winmm.dll lying there would run inside the program.
// So the program restricts the search first thing, loads the system DLLs it needs later
// (wtsapi32, delay-loaded; winmm, which its sound component imports) from the system
// folder by full path, and loads its component by full path (sound_holder.h).
#pragma once

#include <windows.h>

#include <string>

namespace dlls {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD flags);
using SetDllDirectoryFunction = BOOL(WINAPI*)(const wchar_t* directory);

// The calls restrictDllSearch makes; null members are the system's (SetDefaultDllDirectories
// found at run time: Windows 7 without KB2533623 lacks it). For tests.
struct SearchCalls {
    SetDefaultDllDirectoriesFunction setDefaultDllDirectories;
    SetDllDirectoryFunction setDllDirectory;
};
// Installs `calls` and returns the ones it replaces.
SearchCalls setSearchCalls(const SearchCalls& calls);

// First thing at start: every later load of a DLL by name looks in the system folder only.
// Nothing is loaded by name from the program's folder (its component is loaded by full
// path), so that folder stays out. Where the system cannot restrict the search, at least
// the current directory is taken out of it. True when the search is restricted.
bool restrictDllSearch();

// The full path of the system DLL `name` in the system folder; empty when the folder
// cannot be read.
std::wstring systemLibraryPath(const wchar_t* name);
// Loads the system DLL `name` from the system folder only, by full path; null on failure.
HMODULE loadSystemLibrary(const wchar_t* name);

}  // namespace dlls
