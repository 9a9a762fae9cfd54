// The program's places on disk, on top of the operating-system calls of os_kiv.h.
#include "kiv/path_kiv.h"

#include "kiv/stringc_kiv.h"
#include "os_kiv.h"

namespace kiv {

String getModuleFileName() { return os::moduleFileName(); }

String getModuleDir() {
    String dir = getModuleFileName();
    stringC().trimByChar(dir, os::pathSeparator(), false, false);
    return dir;
}

String getAppDataDir() {
    String dir = os::appDataFolder();
    // No folder is no folder: a lone separator would be the root of the current drive.
    if (dir.isEmpty()) return dir;
    dir.append(static_cast<unsigned>(os::pathSeparator()));
    return dir;
}

bool isDirectory(const String& path) { return !path.isEmpty() && os::isDirectory(path); }

bool makeDirectory(const String& path) {
    if (path.isEmpty()) return false;
    if (os::isDirectory(path)) return true;
    return os::createDirectory(path);
}

}  // namespace kiv
