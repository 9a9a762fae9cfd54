// A stand-in for a system DLL (wtsapi32.dll, winmm.dll) that someone left in the folder a
// program was unpacked into. Loaded, it leaves "<its own path>.loaded" beside itself.
#include <windows.h>

#include <string>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH] = {};
        if (::GetModuleFileNameW(instance, path, MAX_PATH) != 0) {
            const std::wstring marker = std::wstring(path) + L".loaded";
            HANDLE file = ::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
        }
    }
    return TRUE;
}
