// The day-file rule: Absent, Loaded, Busy or Unreadable, and moving an unreadable file aside.
#include "history/day_file.h"

#include <windows.h>

#include "kiv/file_kiv.h"
#include "kiv/xml_kiv.h"
#include "settings_store.h"

namespace history {
namespace {

// Names tried when moving a file aside; more unreadable files of one day are not expected.
const int kAsideAttempts = 100;

// Asked after the open failed: only the two answers that say "nothing by that name" allow
// a new file. A sharing violation, a denied access or a network error leave it alone.
bool isAbsent(const kiv::String& path) {
    if (::GetFileAttributesW(path.c_wstr()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

DayFileState loadDayFile(const kiv::String& path, kiv::ProfileFile& profile) {
    kiv::File file;
    if (!file.open(path, kiv::BaseStream::kRead, kiv::BaseStream::kUtf8))
        return isAbsent(path) ? DayFileState::Absent : DayFileState::Busy;
    const long long size = file.size();
    // A file of no bytes holds nothing to keep.
    if (size == 0) return DayFileState::Absent;
    if (size < 0 || static_cast<uint64_t>(size) > settings::kMaxDayFileBytes) return DayFileState::Unreadable;
    return profile.document().load(file) && profile.document().getRoot() ? DayFileState::Loaded
                                                                         : DayFileState::Unreadable;
}

bool moveAside(const kiv::String& path) {
    const kiv::String xml(u".xml");
    if (path.length() <= xml.length()) return false;
    const kiv::String stem = path.mid(0, path.length() - xml.length());
    for (int n = 1; n <= kAsideAttempts; ++n) {
        kiv::String aside;
        aside.format(u".unreadable-%d.xml", n);
        aside = stem + aside;
        // Without MOVEFILE_REPLACE_EXISTING: a name that is taken is never written over.
        if (::MoveFileExW(path.c_wstr(), aside.c_wstr(), MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

}  // namespace history
