#include "install_location.h"

#include <windows.h>

namespace install {
namespace {

// The installer's uninstall key; the 32-bit view, as the 32-bit installer writes it.
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\kivTool";
// The MSI's own key (its uninstall key is named by its product code, new with each version).
const wchar_t kMsiKey[] = L"Software\\Kelbrook\\kivTool";

kiv::String installLocationIn(const wchar_t* key) {
    wchar_t buffer[1024] = L"";
    DWORD size = sizeof(buffer);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key, L"InstallLocation", RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS)
        return kiv::String();
    return kiv::String(buffer);
}

kiv::String withoutTrailingSlashes(const kiv::String& path) {
    unsigned n = path.length();
    while (n > 0 && (path.at(n - 1) == u'\\' || path.at(n - 1) == u'/')) --n;
    return path.mid(0, static_cast<int>(n));
}

}  // namespace

bool isMachineInstallFolder(const kiv::String& programDir, const kiv::String& registered) {
    const kiv::String a = withoutTrailingSlashes(programDir);
    const kiv::String b = withoutTrailingSlashes(registered);
    if (a.isEmpty() || b.isEmpty() || !a.isWide() || !b.isWide()) return false;
    // As the file system compares names: ordinal, case-blind.
    return ::CompareStringOrdinal(a.c_wstr(), static_cast<int>(a.length()), b.c_wstr(), static_cast<int>(b.length()),
                                  TRUE) == CSTR_EQUAL;
}

kiv::String machineInstallLocation() { return installLocationIn(kUninstallKey); }

kiv::String msiInstallLocation() { return installLocationIn(kMsiKey); }

bool isMachineCopy(const kiv::String& programDir) {
    return isMachineInstallFolder(programDir, machineInstallLocation()) ||
           isMachineInstallFolder(programDir, msiInstallLocation());
}

}  // namespace install
