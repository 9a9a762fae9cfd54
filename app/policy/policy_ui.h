// What the policies change in the windows: the settings dialog's controls a policy sets,
// with the line that says so, and the tray commands a policy forbids.
#pragma once

#include <windows.h>

#include "policy/policies.h"

namespace policy {

// Disables every control of the settings dialog whose value a policy sets, and shows the
// line "Some settings are managed by your organization" when any policy is in force.
void showManagedControls(HWND dialog, const Policies& policies);

// Whether a WM_SETTINGCHANGE's lParam says the policies changed ("Policy").
bool isPolicyChange(LPARAM lParam);

// Whether the tray command `id` may run; false for a command a policy forbids.
bool allowsCommand(const Policies& policies, UINT id);

// Greys every item of `menu` whose command a policy forbids.
void greyForbiddenCommands(HMENU menu, const Policies& policies);

}  // namespace policy
