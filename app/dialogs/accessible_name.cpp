#include "dialogs/accessible_name.h"

#include <initguid.h>  // the annotation's GUIDs, defined in this file only
#include <oleacc.h>

namespace a11y {
namespace {

bool annotate(HWND control, const wchar_t* name) {
    if (!control) return false;
    const HRESULT initialised = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccPropServices* services = nullptr;
    HRESULT hr = ::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                    reinterpret_cast<void**>(&services));
    if (SUCCEEDED(hr)) {
        MSAAPROPID property = PROPID_ACC_NAME;
        hr = name ? services->SetHwndPropStr(control, OBJID_CLIENT, CHILDID_SELF, property, name)
                  : services->ClearHwndProps(control, OBJID_CLIENT, CHILDID_SELF, &property, 1);
        services->Release();
    }
    if (SUCCEEDED(initialised)) ::CoUninitialize();  // S_FALSE too: every success is paired
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
