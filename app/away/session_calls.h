// The session service's calls behind replaceable function pointers, in the style of
// platform_calls.h: Wine never sends session events and its session service answers no
// question, so tests install recorders and check the calls the program makes.
//
// The notification registration can fail at sign-in, before the session service is ready
// (the moment the autostart entry runs the program); the main dialog tries it again from
// its tick until it succeeds. The session's real state (connected or not, locked or not)
// is what the away detector trusts over the events, of which one may get lost.
#pragma once

#include <windows.h>
#include <wtsapi32.h>

#include <cstddef>

#include "away/away_detector.h"

namespace away {

using RegisterSessionFunction = BOOL(WINAPI*)(HWND window, DWORD flags);
using UnregisterSessionFunction = BOOL(WINAPI*)(HWND window);
using QuerySessionFunction = BOOL(WINAPI*)(HANDLE server, DWORD session, WTS_INFO_CLASS what, LPWSTR* buffer,
                                           DWORD* bytes);
using FreeMemoryFunction = void(WINAPI*)(PVOID memory);
using VersionCheckFunction = bool (*)();

struct SessionCalls {
    RegisterSessionFunction registerNotification;
    UnregisterSessionFunction unregisterNotification;
    QuerySessionFunction query;
    FreeMemoryFunction freeMemory;
    VersionCheckFunction isWindows7;  // its lock flags are the other way round (Wine reports 7 too)
};

// Installs `calls` (a null member restores the system's function) and returns the ones
// it replaces.
SessionCalls setSessionCalls(const SessionCalls& calls);

// The information class of the session's WTSINFOEXW record, and the lock flags in it
// (wtsapi32.h of the SDK; the cross compiler's header lacks them).
constexpr WTS_INFO_CLASS kSessionInfoEx = static_cast<WTS_INFO_CLASS>(25);
constexpr LONG kSessionFlagLocked = 0;
constexpr LONG kSessionFlagUnlocked = 1;

// WTSINFOEXW as far as the program reads it: the level, and the start of its level-1
// record (which holds 64-bit times, so it begins 8-aligned).
struct SessionInfoExHead {
    DWORD level;
    alignas(8) ULONG sessionId;
    WTS_CONNECTSTATE_CLASS sessionState;
    LONG sessionFlags;
};
static_assert(offsetof(SessionInfoExHead, sessionId) == 8 && offsetof(SessionInfoExHead, sessionFlags) == 16,
              "WTSINFOEXW's level-1 record follows the level at offset 8");

// The session's state from the two answers, each null when its query failed or gave too
// few bytes. Windows 7 reports the lock flags the other way round (`oldLockFlags`).
SessionState sessionStateFrom(const WTS_CONNECTSTATE_CLASS* connectState, const SessionInfoExHead* infoEx,
                              bool oldLockFlags);

// NOTIFY_FOR_THIS_SESSION for `window`; false when the session service is not ready.
bool registerSessionNotification(HWND window);
void unregisterSessionNotification(HWND window);
// Reads this session's connect state and lock state; Unknown where a query fails.
SessionState readSessionState();

}  // namespace away
