// The second source for a call: an active audio capture session of another process on a
// capture endpoint (IAudioSessionManager2). It sees a call program that records now, whatever
// the ConsentStore says; where it does not answer (before Windows 7, no capture device, Wine
// 8, whose session enumerator is not implemented) it says nothing and the ConsentStore
// alone decides.
#pragma once

#include <windows.h>

namespace hold {

// True when a process other than `self` has an active capture session on any active
// capture endpoint; false when none has, or when the system does not answer.
bool otherProcessCaptures(DWORD self);

}  // namespace hold
