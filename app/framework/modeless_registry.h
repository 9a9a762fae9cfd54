// The open modeless dialogs of the thread, so the message loop can hand their keyboard
// messages to IsDialogMessageW: without that, Enter, Esc and Tab do nothing in them.
#pragma once

#include <windows.h>

#include "framework/handles.h"

namespace fw {

void registerModeless(HWND dialog);
void unregisterModeless(HWND dialog);
bool isRegisteredModeless(HWND dialog);

// Gives a keyboard message aimed at a registered dialog (or one of its controls) to
// IsDialogMessageW. True when the dialog manager took it.
bool routeDialogMessage(MSG& msg);

// Installs, for the calling thread, a message filter through which the loops of modal
// dialogs and message boxes hand keyboard messages to routeDialogMessage too: without it a
// modal run leaves every modeless dialog without Enter, Esc and Tab. Null on failure.
Hook installDialogMessageFilter();

// One step of the message loop: the dialog manager first, else translate and dispatch.
void dispatchLoopMessage(MSG& msg);

}  // namespace fw
