#include "dialogs/accessible_name.h"

#include <initguid.h>  // the annotation's GUIDs, defined in this file only
#include <oleacc.h>

namespace a11y {
namespace {

using CoInitializeExFunction = HRESULT(WINAPI*)(void*, DWORD);
using CoUninitializeFunction = void(WINAPI*)();
using CoCreateInstanceFunction = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**);

// COM comes from the system folder when the first name is given, not at start: the
// question is the only window that needs it.
struct Com {
    Com() : module(::LoadLibraryExW(L"ole32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        if (!module) return;
        init = proc<CoInitializeExFunction>("CoInitializeEx");
        uninit = proc<CoUninitializeFunction>("CoUninitialize");
        create = proc<CoCreateInstanceFunction>("CoCreateInstance");
    }
    ~Com() {
        if (module) ::FreeLibrary(module);
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    bool usable() const { return init && uninit && create; }
    template <typename Fn>
    Fn proc(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    }

    HMODULE module;
    CoInitializeExFunction init = nullptr;
    CoUninitializeFunction uninit = nullptr;
    CoCreateInstanceFunction create = nullptr;
};

bool annotate(HWND control, const wchar_t* name) {
    static Com com;
    if (!control || !com.usable()) return false;
    const HRESULT initialised = com.init(nullptr, COINIT_APARTMENTTHREADED);
    IAccPropServices* services = nullptr;
    HRESULT hr = com.create(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                            reinterpret_cast<void**>(&services));
    if (SUCCEEDED(hr)) {
        MSAAPROPID property = PROPID_ACC_NAME;
        hr = name ? services->SetHwndPropStr(control, OBJID_CLIENT, CHILDID_SELF, property, name)
                  : services->ClearHwndProps(control, OBJID_CLIENT, CHILDID_SELF, &property, 1);
        services->Release();
    }
    if (SUCCEEDED(initialised)) com.uninit();  // S_FALSE too: every success is paired
    return SUCCEEDED(hr);
}

NameFunction g_name = &annotate;

}  // namespace

NameFunction setNameFunction(NameFunction fn) {
    const NameFunction old = g_name;
    g_name = fn ? fn : &annotate;
    return old;
}

bool setAccessibleName(HWND control, const wchar_t* name) { return name && g_name(control, name); }
bool clearAccessibleName(HWND control) { return g_name(control, nullptr); }

}  // namespace a11y
