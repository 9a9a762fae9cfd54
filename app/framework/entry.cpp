// The program's entry point: runs the one application object.
#include "dll_search.h"
#include "framework/winapp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before anything can load a DLL by name.
    dlls::restrictDllSearch();
    CWinApp* app = CWinApp::instance();
    if (!app) return 1;
    try {
        if (app->InitInstance()) app->Run();
        return app->ExitInstance();
    } catch (...) {
        return 1;
    }
}
