// A stand-in kivinterface-1.dll that must never be loaded by the program: the tests put it
// into the current directory under the component's name. Loading it leaves a mark in the
// process's environment; its factory refuses everything.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        SetEnvironmentVariableW(L"KIV_PLANTED_LOADED", L"1");
    }
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL __cdecl kivICreateInstance(const wchar_t*, const wchar_t*, void*,
                                                                 const wchar_t*, void** object)
{
    if (object != nullptr) {
        *object = nullptr;
    }
    return FALSE;
}
