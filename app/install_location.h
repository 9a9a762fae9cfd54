// Whether this copy is the one a per-machine installation put in place. Such a copy keeps
// every user's settings in that user's own AppData: a "profile" folder beside it is
// ignored, since whoever could create one there would choose the settings (and the sound
// files) of every user who signs in.
#pragma once

#include "kiv/string_kiv.h"

namespace install {

// True when `programDir` (the program's folder, ending in a backslash) is the folder
// `registered` names, as the per-machine installer wrote it (with or without a trailing
// backslash). Letter case does not count; an empty `registered` matches nothing.
bool isMachineInstallFolder(const kiv::String& programDir, const kiv::String& registered);

// The folder the per-machine installer registered (InstallLocation of the program's
// uninstall key under HKEY_LOCAL_MACHINE, which only an administrator can write); empty
// when there is none.
kiv::String machineInstallLocation();

}  // namespace install
