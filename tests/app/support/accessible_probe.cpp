#include "accessible_probe.h"

#include <oleacc.h>

namespace test {

Accessible accessibleOf(HWND window, long objectId) {
    Accessible out;
    const HRESULT com = ::CoInitialize(nullptr);
    IAccessible* object = nullptr;
    if (SUCCEEDED(::AccessibleObjectFromWindow(window, static_cast<DWORD>(objectId), IID_IAccessible,
                                               reinterpret_cast<void**>(&object))) &&
        object) {
        out.found = true;
        VARIANT self;
        ::VariantInit(&self);
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR name = nullptr;
        if (object->get_accName(self, &name) == S_OK && name) out.name.assign(name, ::SysStringLen(name));
        ::SysFreeString(name);
        VARIANT role;
        ::VariantInit(&role);
        if (SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4) out.role = role.lVal;
        ::VariantClear(&role);
        object->Release();
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    return out;
}

bool isWindowRole(long role) { return role == ROLE_SYSTEM_DIALOG || role == ROLE_SYSTEM_CLIENT; }

}  // namespace test
