// What the kiv library asks of the operating system. Everything that differs between
// Windows and POSIX lives behind these calls, in os_win_kiv.cpp and os_posix_kiv.cpp.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <vector>

#include "kiv/string_kiv.h"

namespace kiv {
namespace os {

// The directory separator of paths: '\' on Windows, '/' on POSIX.
char16_t pathSeparator();

// System ANSI code page (POSIX: the locale's narrow charset) to UTF-16 and back. A failed
// conversion, or one the system cannot size, gives an empty string and `ok` false.
String ansiToWide(const char* text, unsigned length, bool& ok);
String wideToAnsi(const char16_t* text, unsigned length, bool& ok);

// Opens a file by its wide name (Windows: _wfopen; POSIX: the name in UTF-8).
FILE* openFile(const String& name, const char* mode);
// Creates `name` for writing ("wb") only when nothing has that name yet, not even a link:
// null when it exists or cannot be made. What a planted link points to is never opened.
FILE* createNewFile(const String& name);
// The size in bytes of an open file; -1 when the system cannot say.
int64_t fileSize(FILE* file);
// Pushes a written file to the disk (after fflush).
bool syncFile(FILE* file);
// Replaces `target` by `source` in one step, overwriting an existing target. A target
// that another process is replacing or reading at that moment is waited for briefly.
bool replaceFile(const String& source, const String& target);
bool removeFile(const String& name);

// The id of the running process.
uint32_t processId();

// One entry of a directory: its name (no path), whether it is a directory, and when it
// was last modified, in seconds since 1970 (UTC).
struct DirectoryEntry {
    String name;
    bool isDirectory;
    int64_t modified;
};
// The entries of `directory` (a path ending in its separator; empty for the current
// directory), "." and ".." left out; empty when it cannot be read.
std::vector<DirectoryEntry> listDirectory(const String& directory);

// Full path of the running executable, however long; empty when the system does not say.
String moduleFileName();
// The user's roaming application-data folder, created when missing; empty on failure.
String appDataFolder();
bool isDirectory(const String& path);
// Creates one directory level; false when it cannot (parent missing, exists as a file...).
bool createDirectory(const String& path);

// Current time in seconds since 1970 (UTC).
int64_t now();
// Seconds east of UTC of local time at the moment `time` (daylight saving included), as the
// system's time zone says; 0 when it cannot say. The calendar arithmetic is kiv::Time's own.
int32_t localOffset(int64_t time);

// The C runtime's assertion routine with the expression text, file and line.
void runtimeAssert(const char* expression, const char* file, unsigned line);

// --- For tests ---------------------------------------------------------------------------

// Sets the process's time zone rule (a POSIX TZ text such as "UTC0" or "CET-1CEST"), or the
// system's own zone for null, and makes the C runtime read it again.
void setTimeZone(const char* rule);

}  // namespace os
}  // namespace kiv
