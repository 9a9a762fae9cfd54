// A name for screen readers on a control that has no visible label of its own: Windows'
// dynamic annotation (IAccPropServices::SetHwndPropStr with PROPID_ACC_NAME). The name
// lives with the window until it is cleared, which the window does as it is destroyed.
// COM is started for the call and ended after it.
// The call goes through a replaceable function, so tests see what is named; Wine's oleacc
// answers E_NOTIMPL, so only a real Windows reads the name back.
#pragma once

#include <windows.h>

namespace a11y {

// Gives `control` the name `name`, or clears it when `name` is null; true when it took.
using NameFunction = bool (*)(HWND control, const wchar_t* name);

// Installs `fn` (null restores the system's annotation) and returns the one it replaces.
NameFunction setNameFunction(NameFunction fn);

bool setAccessibleName(HWND control, const wchar_t* name);
bool clearAccessibleName(HWND control);

}  // namespace a11y
