// The temporary files a save writes beside its target before it replaces the target.
#pragma once

#include <cstdint>

#include "kiv/string_kiv.h"

namespace kiv {

// "<target>.<process id>-<n>.tmp", n counting the temporaries this process has named:
// two saves of one file, in this process or in two copies of the program, never write
// into the same temporary.
String temporaryNameFor(const String& target);

// Whether the directory entry `name` is a temporary of the file named `targetName` (both
// without their directory), by the pattern of temporaryNameFor.
bool isTemporaryOf(const String& name, const String& targetName);

// Removes the temporaries of `target` in its directory that were last modified more than
// `maxAge` seconds before `now`: the ones a save cut off by a crash or a power cut left.
// Younger ones may belong to a save in progress and stay.
void removeStaleTemporaries(const String& target, int64_t now, int64_t maxAge);

}  // namespace kiv
