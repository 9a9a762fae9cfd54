// The rest covers the screens at a pause in typing: when a key was pressed in the last
// 1.5 s, the cover waits for a 1.5 s pause, at most 10 s. Only keys count, never the mouse.
//
// The time of the last key comes from the program's low-level keyboard hook, used only in
// the last seconds before a cover (GetLastInputInfo would count the mouse too). It runs on
// the hook thread the rest's keyboard uses (desktop/keyboard_hook.h), never on the window
// thread; tests put their own clock of the last key in its place.
#pragma once

#include <cstdint>

#include "hold/hold_rules.h"

namespace hold {

// Begins (true) or ends (false) watching the keys through the hook; nothing happens when it
// already is as asked. Either forgets the last key.
void watchKeys(bool on);
bool isWatchingKeys();

// Milliseconds since the last key press seen while watching; negative when none.
using SinceKeyFunction = long long (*)();
// Installs `fn` (null restores the hook's clock) and returns the one it replaces.
SinceKeyFunction setSinceKeyFunction(SinceKeyFunction fn);
long long millisSinceKey();

}  // namespace hold
