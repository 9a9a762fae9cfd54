#include "dll_search.h"

#include <delayimp.h>

namespace dlls {

namespace {

BOOL WINAPI systemSetDefaultDllDirectories(DWORD flags) {
    using Function = BOOL(WINAPI*)(DWORD);
    const auto function = reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (!function) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return function(flags);
}

SearchCalls g_calls = {&systemSetDefaultDllDirectories, &::SetDllDirectoryW};

// The delay-load helper's call before it loads a DLL by name: the DLL comes from the system
// folder, whatever the search order of this system is. A null answer lets the helper load
// it by name (the search restricted at start).
FARPROC WINAPI onDelayLoad(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary || !info || !info->szDll) return nullptr;
    wchar_t name[MAX_PATH] = {};
    if (::MultiByteToWideChar(CP_ACP, 0, info->szDll, -1, name, MAX_PATH) == 0) return nullptr;
    return reinterpret_cast<FARPROC>(loadSystemLibrary(name));
}

}  // namespace

SearchCalls setSearchCalls(const SearchCalls& calls) {
    const SearchCalls previous = g_calls;
    g_calls.setDefaultDllDirectories = calls.setDefaultDllDirectories ? calls.setDefaultDllDirectories
                                                                      : &systemSetDefaultDllDirectories;
    g_calls.setDllDirectory = calls.setDllDirectory ? calls.setDllDirectory : &::SetDllDirectoryW;
    return previous;
}

bool restrictDllSearch() {
    if (g_calls.setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
    // An empty string takes the current directory out of the search.
    g_calls.setDllDirectory(L"");
    return false;
}

std::wstring systemLibraryPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    std::wstring path(folder, length);
    if (path.back() != L'\\') path += L'\\';
    return path + name;
}

HMODULE loadSystemLibrary(const wchar_t* name) {
    const std::wstring path = systemLibraryPath(name);
    if (path.empty()) return nullptr;
    // By full path the DLL itself comes from nowhere else, and its own imports from the
    // system folder too. Systems without the search flags (Windows 7 without KB2533623)
    // refuse them; the altered search there starts in the DLL's folder, the system's.
    HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module && ::GetLastError() == ERROR_INVALID_PARAMETER)
        module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return module;
}

}  // namespace dlls

// The delay-load helper of the C runtime calls this hook (declared in delayimp.h).
PfnDliHook __pfnDliNotifyHook2 = &dlls::onDelayLoad;
