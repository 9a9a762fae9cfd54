#include "policy/policy_ui.h"

#include "resource.h"

namespace policy {
namespace {

// The settings dialog's controls each policy sets.
struct ManagedControl {
    Id id;
    int control;
};
const ManagedControl kManagedControls[] = {
    {Id::WorkMinutes, IDC_EDIT_WORKTIME},
    {Id::RestMinutes, IDC_EDIT_RESTTIME},
    {Id::HomeMode, IDC_RADIO_HOME},
    {Id::HomeMode, IDC_RADIO_OFFICE},
    {Id::RestAtFullScreen, IDC_CHECK_FULLSCREEN},
    {Id::IdleIsRest, IDC_CHECK_IDLE_REST},
    {Id::HoldForCalls, IDC_CHECK_HOLD_CALLS},
    {Id::WorkingHours, IDC_BUTTON_WORKING_HOURS},
};

// The tray commands each Allow... policy governs.
struct GovernedCommand {
    Id id;
    UINT command;
};
const GovernedCommand kGovernedCommands[] = {
    {Id::AllowDelays, ID_MENU_DELAY5},
    {Id::AllowDelays, ID_MENU_DELAY_PRESET},
    {Id::AllowSkipToday, ID_MENU_SKIP_TODAY},
    {Id::AllowPause, ID_MENU_PAUSE_30},
    {Id::AllowPause, ID_MENU_PAUSE_60},
    {Id::AllowPause, ID_MENU_PAUSE_120},
    {Id::AllowPause, ID_MENU_PAUSE_TOMORROW},
};

// True when every command of `menu` is greyed.
bool allGreyed(HMENU menu) {
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i)
        if (!(::GetMenuState(menu, i, MF_BYPOSITION) & MF_GRAYED)) return false;
    return count > 0;
}

}  // namespace

bool isPolicyChange(LPARAM lParam) {
    const wchar_t* area = reinterpret_cast<const wchar_t*>(lParam);
    return area && ::lstrcmpiW(area, L"Policy") == 0;
}

void showManagedControls(HWND dialog, const Policies& policies) {
    for (const ManagedControl& managed : kManagedControls)
        if (policies.isSet(managed.id)) ::EnableWindow(::GetDlgItem(dialog, managed.control), FALSE);
    ::ShowWindow(::GetDlgItem(dialog, IDC_STATIC_MANAGED), policies.any() ? SW_SHOW : SW_HIDE);
}

bool allowsCommand(const Policies& policies, UINT id) {
    for (const GovernedCommand& governed : kGovernedCommands)
        if (governed.command == id && !policies.allows(governed.id)) return false;
    return true;
}

void greyForbiddenCommands(HMENU menu, const Policies& policies) {
    for (const GovernedCommand& governed : kGovernedCommands)
        if (!policies.allows(governed.id)) ::EnableMenuItem(menu, governed.command, MF_BYCOMMAND | MF_GRAYED);
    // A submenu with nothing left to choose is greyed itself.
    for (int i = ::GetMenuItemCount(menu) - 1; i >= 0; --i)
        if (HMENU sub = ::GetSubMenu(menu, i); sub && allGreyed(sub)) ::EnableMenuItem(menu, i, MF_BYPOSITION | MF_GRAYED);
}

}  // namespace policy
