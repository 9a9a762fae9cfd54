// Opening a day file to read or extend it, and the one rule that keeps what is in it: only
// a file that is really not there is made anew. A file another program holds open (a
// backup, an indexer, a virus scanner) is left alone until it can be opened; a file that
// opens but does not read (damaged, or above the size limit) is moved aside under a name
// the history never reads, so nothing the user had is deleted.
#pragma once

#include "kiv/profilefile_kiv.h"
#include "kiv/string_kiv.h"

namespace history {

enum class DayFileState {
    Absent,      // not there (or empty): a new file may be written
    Loaded,      // read into the document
    Busy,        // there, but it cannot be opened now: write nothing, try again later
    Unreadable,  // there, opened, but damaged or too big: move it aside before writing
};

// Loads the day file `path` (at most settings::kMaxDayFileBytes) into `profile` and says
// what it found. Only ERROR_FILE_NOT_FOUND and ERROR_PATH_NOT_FOUND make a file Absent;
// any other failure to open it makes it Busy.
DayFileState loadDayFile(const kiv::String& path, kiv::ProfileFile& profile);

// Moves the file "<folder>\YYYY-MM-DD.xml" to "<folder>\YYYY-MM-DD.unreadable-N.xml", N the
// first of 1, 2, ... that is free: never over another file. False when it stays where it is.
bool moveAside(const kiv::String& path);

}  // namespace history
