#include "control/export_mode.h"

#include <windows.h>
#include <shellapi.h>

#include "history/history_csv.h"
#include "install_location.h"
#include "kiv/path_kiv.h"
#include "policy/policy_settings.h"
#include "settings_store.h"
#include "ui_language.h"

namespace control {

bool exportRequested(const wchar_t* commandLine, std::wstring& file) {
    int count = 0;
    LPWSTR* words = ::CommandLineToArgvW(commandLine, &count);
    if (!words) return false;
    const bool asked = count == 3 && ::lstrcmpW(words[1], L"--export") == 0 && words[2][0] != L'\0';
    if (asked) file = words[2];
    ::LocalFree(words);
    return asked;
}

int exportHistoryTo(const std::wstring& file) {
    const kiv::String programDir = kiv::getModuleDir();
    const bool machineInstall = install::isMachineInstallFolder(programDir, install::machineInstallLocation());
    const kiv::String profile =
        settings::chooseProfileDir(programDir, [] { return kiv::getAppDataDir(); }, !machineInstall);
    if (profile.isEmpty()) return 1;
    const settings::Values own = settings::loadSettingsFile(settings::settingsFilePath(profile), programDir);
    language::apply(policy::inForce(own, policy::readPolicies()).language);
    return history::exportHistory(profile, file, history::currentCsvTexts()).written ? 0 : 1;
}

}  // namespace control
