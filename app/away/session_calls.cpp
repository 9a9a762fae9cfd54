#include "away/session_calls.h"

namespace away {
namespace {

// Windows 7 (6.1) exactly; later versions without a manifest entry report 6.2, which is
// fine here: only 6.1 has its lock flags reversed.
bool checkWindows7() {
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    version.dwMajorVersion = 6;
    version.dwMinorVersion = 1;
    DWORDLONG mask = 0;
    mask = ::VerSetConditionMask(mask, VER_MAJORVERSION, VER_EQUAL);
    mask = ::VerSetConditionMask(mask, VER_MINORVERSION, VER_EQUAL);
    return ::VerifyVersionInfoW(&version, VER_MAJORVERSION | VER_MINORVERSION, mask) != FALSE;
}

bool isWindows7() {
    static const bool windows7 = checkWindows7();
    return windows7;
}

SessionCalls g_calls = {&::WTSRegisterSessionNotification, &::WTSUnRegisterSessionNotification,
                        &::WTSQuerySessionInformationW, &::WTSFreeMemory, &isWindows7};

// One query of this session; its record is copied out when the answer holds one whole.
template <typename Record>
bool querySession(WTS_INFO_CLASS what, Record& out) {
    LPWSTR buffer = nullptr;
    DWORD bytes = 0;
    const bool ok = g_calls.query(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, what, &buffer, &bytes) != FALSE;
    const bool read = ok && buffer && bytes >= sizeof(Record);
    if (read) out = *reinterpret_cast<const Record*>(buffer);
    if (buffer) g_calls.freeMemory(buffer);
    return read;
}

}  // namespace

SessionCalls setSessionCalls(const SessionCalls& calls) {
    const SessionCalls old = g_calls;
    g_calls.registerNotification = calls.registerNotification ? calls.registerNotification
                                                              : &::WTSRegisterSessionNotification;
    g_calls.unregisterNotification = calls.unregisterNotification ? calls.unregisterNotification
                                                                  : &::WTSUnRegisterSessionNotification;
    g_calls.query = calls.query ? calls.query : &::WTSQuerySessionInformationW;
    g_calls.freeMemory = calls.freeMemory ? calls.freeMemory : &::WTSFreeMemory;
    g_calls.isWindows7 = calls.isWindows7 ? calls.isWindows7 : &isWindows7;
    return old;
}

SessionState sessionStateFrom(const WTS_CONNECTSTATE_CLASS* connectState, const SessionInfoExHead* infoEx,
                              bool oldLockFlags) {
    SessionState state;
    if (connectState) {
        // Active: a user at the console or a remote desktop; Connected: a client is there,
        // no one signed in yet. The other states are the service's own, not a session's.
        if (*connectState == WTSActive || *connectState == WTSConnected)
            state.connection = SessionState::Connection::Connected;
        else if (*connectState == WTSDisconnected)
            state.connection = SessionState::Connection::Disconnected;
    }
    if (infoEx && infoEx->level == 1) {
        const LONG locked = oldLockFlags ? kSessionFlagUnlocked : kSessionFlagLocked;
        const LONG unlocked = oldLockFlags ? kSessionFlagLocked : kSessionFlagUnlocked;
        if (infoEx->sessionFlags == locked) state.lock = SessionState::Lock::Locked;
        else if (infoEx->sessionFlags == unlocked) state.lock = SessionState::Lock::Unlocked;
    }
    return state;
}

bool registerSessionNotification(HWND window) {
    return g_calls.registerNotification(window, NOTIFY_FOR_THIS_SESSION) != FALSE;
}

void unregisterSessionNotification(HWND window) { g_calls.unregisterNotification(window); }

SessionState readSessionState() {
    WTS_CONNECTSTATE_CLASS connectState = WTSDown;
    SessionInfoExHead infoEx{};
    const bool connectRead = querySession(WTSConnectState, connectState);
    const bool infoRead = querySession(kSessionInfoEx, infoEx);
    return sessionStateFrom(connectRead ? &connectState : nullptr, infoRead ? &infoEx : nullptr,
                            infoRead && g_calls.isWindows7());
}

}  // namespace away
