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

// The folders per-machine installations registered under HKEY_LOCAL_MACHINE, which only an
// administrator can write: the installer's (InstallLocation of the program's uninstall
// key) and the MSI's (InstallLocation of Software\Kelbrook\kivTool); empty for none.
kiv::String machineInstallLocation();
kiv::String msiInstallLocation();

// True when `programDir` is the folder of either per-machine installation.
bool isMachineCopy(const kiv::String& programDir);

}  // namespace install
