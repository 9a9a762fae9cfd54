// What a screen reader learns of a window through the accessibility interface
// (AccessibleObjectFromWindow): its name and role.
#pragma once

#include <windows.h>

#include <string>

namespace test {

struct Accessible {
    bool found = false;  // an accessible object was given
    std::wstring name;
    long role = 0;       // ROLE_SYSTEM_...
};

// The object of `window` for `objectId` (OBJID_CLIENT, OBJID_WINDOW), as a client in this
// process reads it.
Accessible accessibleOf(HWND window, long objectId);

// A top-level window's client object: Windows calls a dialog's ROLE_SYSTEM_DIALOG, Wine's
// generic object ROLE_SYSTEM_CLIENT.
bool isWindowRole(long role);

}  // namespace test
