// Who may talk over the control pipe, shared by the program and kivctl.exe: the pipe's name
// for this user and session, the user of a process, and the security descriptor that
// grants the pipe to this user alone. Texts are NUL-terminated wide vectors: kivctl.exe
// carries no string class.
#pragma once

#include <windows.h>

#include <vector>

namespace control {

using WideText = std::vector<wchar_t>;  // NUL-terminated; empty when there is none

// The user of `process` (a process handle with PROCESS_QUERY_LIMITED_INFORMATION) as the
// bytes of its SID; empty when it cannot be read.
std::vector<BYTE> processUserSid(HANDLE process);
// The SID of this process's user; empty when unknown.
std::vector<BYTE> currentUserSid();
// "S-1-5-21-...".
WideText sidText(const std::vector<BYTE>& sid);

// "\\.\pipe\Kelbrook.kivTool.<user SID>.<session id>": pipe names are one namespace for
// every session and user, so each user's copy in each session has its own.
WideText pipeName(const wchar_t* userSid, DWORD sessionId);
// This process's pipe name; empty when the user's SID cannot be read.
WideText currentPipeName();

// Whether the process `pid` runs as `sid`: the server's side of a pipe must be our own
// user's program, or kivctl would hand its commands to (and trust the answers of) a stranger.
bool runsAs(DWORD pid, const std::vector<BYTE>& sid);

// Whether the process `pid` runs at medium integrity or above (at least at ours, when we
// run lower): a sandboxed program of the same user, at low integrity, may create the pipe's
// name before the program does, and must not be taken for it.
bool atTrustedLevel(DWORD pid);

// A self-relative security descriptor whose DACL grants all access to `userSid` and to no
// one else (protected: nothing inherited). Freed with LocalFree; null on failure.
PSECURITY_DESCRIPTOR onlyUserDescriptor(const wchar_t* userSid);

}  // namespace control
