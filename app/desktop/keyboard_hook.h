// The program's one low-level keyboard hook, on a thread of its own (hook_thread.h). Two
// things look at the keys: the typing pause notes the last key in the seconds before a
// cover, and the rest holds the keys while it lasts. Both share the hook and its thread,
// so no key of the desktop ever waits for the window thread, and the crash filter has one
// hook to remove (desktop_guard.h). The hook is in while either uses it.
#pragma once

#include <windows.h>

namespace rest {

enum class KeyboardUse { WatchTyping, HoldKeys };

// Called on the hook's thread for every key event: true swallows the key. It may read only
// what is safe to read from that thread.
using KeyFilter = bool (*)(WPARAM message, const KBDLLHOOKSTRUCT& key);

// Begins a use with its filter (a use already begun gets the new filter). The first use
// starts the thread and installs the hook; false when that failed, and the use is not begun.
bool beginKeyboardUse(KeyboardUse use, KeyFilter filter);
// Ends a use; the last one removes the hook and joins the thread.
void endKeyboardUse(KeyboardUse use);
bool isKeyboardInUse(KeyboardUse use);
// The hook's thread while the hook is in, else 0.
DWORD keyboardHookThreadId();

}  // namespace rest
