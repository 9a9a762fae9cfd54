// The open modeless dialogs of the thread, so the message loop can hand their keyboard
// messages to IsDialogMessageW: without that, Enter, Esc and Tab do nothing in them.
#pragma once

#include <windows.h>

namespace fw {

void registerModeless(HWND dialog);
void unregisterModeless(HWND dialog);
bool isRegisteredModeless(HWND dialog);

// Gives a keyboard message aimed at a registered dialog (or one of its controls) to
// IsDialogMessageW. True when the dialog manager took it.
bool routeDialogMessage(MSG& msg);

// One step of the message loop: the dialog manager first, else translate and dispatch.
void dispatchLoopMessage(MSG& msg);

}  // namespace fw
