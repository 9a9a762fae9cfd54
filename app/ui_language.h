// Which set of texts the windows show: the Chinese one for a user whose Windows speaks any
// Chinese, the English one for everybody else, unless the settings file's "language" key
// ("zh" or "en") says otherwise.
#pragma once

#include <windows.h>

#include "kiv/string_kiv.h"

namespace language {

// The key's value as the program keeps it: "zh", "en", or empty (automatic) for anything
// else, so an unknown value is neither obeyed nor written back.
kiv::String normalized(const kiv::String& setting);

// The resource language for `setting` on a Windows whose user UI language is `userUi`.
LANGID choose(const kiv::String& setting, LANGID userUi);

// Chooses for this user and makes it the language of every window, menu and text from now on.
void apply(const kiv::String& setting);

}  // namespace language
