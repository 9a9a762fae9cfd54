// Where the program keeps its files: the program's directory, the user's application-data
// directory, and testing and making one directory.
#pragma once

#include "kiv/string_kiv.h"

namespace kiv {

// Paths are wide strings with the system's separator ('\' on Windows, '/' elsewhere).
// Every directory returned here ends in the separator, so a caller appends a name directly.
// Failures show only in the results: an empty string, or false.

// Full path of the running program's executable; empty when the system does not say.
String getModuleFileName();
// That path up to and including its last separator; a path without one comes back whole.
String getModuleDir();
// The user's roaming application-data directory (created when missing) with a separator
// appended; empty when the system does not give it.
String getAppDataDir();
// Whether `path` names an existing directory; an empty path is none.
bool isDirectory(const String& path);
// Makes sure the directory exists, creating one level only: false when its parent is
// missing, when it cannot be made, or for an empty path.
bool makeDirectory(const String& path);

}  // namespace kiv
