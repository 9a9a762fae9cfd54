// The signals that hold a rest, read from Windows: who uses a microphone or a camera (the
// ConsentStore of the capability access manager, Windows 10 1903 and later) and the
// user's notification state (presentation mode, a Direct3D full-screen program).
//
// Every system call goes through a replaceable function pointer (the registry, the
// process list, the notification state), so tests give a fake registry and process list.
// The scheduler reads the signals only in the last minute of work and while a rest is
// held, never on the other ticks.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hold/hold_rules.h"

namespace hold {

// A program named by a ConsentStore entry: a desktop program by its full path, a packaged
// one by its package family name ("Microsoft.SkypeApp_kzf8qxf38zg5c").
struct ConsentUser {
    bool packaged = false;
    std::wstring name;
    uint64_t usedSince = 0;  // LastUsedTimeStart (FILETIME); 0 when the entry has none
};

// The subkey names of a key below HKEY_CURRENT_USER; empty when it is not there.
using SubkeysFunction = std::vector<std::wstring> (*)(const std::wstring& key);
// A REG_QWORD value of a key below HKEY_CURRENT_USER; false when it is not there.
using QwordFunction = bool (*)(const std::wstring& key, const wchar_t* value, uint64_t& out);
// When each running process of that program started (FILETIME values); empty when none runs.
using ProgramStartsFunction = std::vector<uint64_t> (*)(const ConsentUser& user);
// When the computer started (FILETIME).
using BootTimeFunction = uint64_t (*)();
using NotificationStateFunction = HRESULT(WINAPI*)(QUERY_USER_NOTIFICATION_STATE* state);
// Whether another process has an active audio capture session (capture_sessions.h).
using CaptureFunction = bool (*)();

// Each setter installs `fn` (null restores the system's) and returns the one it replaces.
SubkeysFunction setSubkeysFunction(SubkeysFunction fn);
QwordFunction setQwordFunction(QwordFunction fn);
ProgramStartsFunction setProgramStartsFunction(ProgramStartsFunction fn);
BootTimeFunction setBootTimeFunction(BootTimeFunction fn);
NotificationStateFunction setNotificationStateFunction(NotificationStateFunction fn);
CaptureFunction setCaptureFunction(CaptureFunction fn);

// The ConsentStore key of a capability ("microphone", "webcam"), below HKEY_CURRENT_USER.
std::wstring consentKey(const wchar_t* capability);

// The programs whose entry says they use the capability now (LastUsedTimeStop 0): the
// packaged ones directly below the key, the desktop ones below "NonPackaged", whose entry
// names are paths with '#' for '\'.
std::vector<ConsentUser> consentUsers(const wchar_t* capability);

// True when an entry of the capability counts (entryCounts): a process of its program runs
// that started no later than the use began, and the use began after the last boot.
bool capabilityInUse(const wchar_t* capability);

// Presentation mode or a Direct3D full-screen program, by SHQueryUserNotificationState.
bool isPresenting();

// All three, read now. The microphone is in use when an entry counts or, as a second
// source, another process captures audio now.
Signals readSignals();

}  // namespace hold
