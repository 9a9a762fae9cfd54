// What the rest clock asks of Windows, when it asks: the hold signals, the last key, the
// window in front, the session's state, the input idle time, a new registration for session
// events.
#pragma once

#include <windows.h>

#include "schedule/rest_clock.h"

class PlatformAsks : public schedule::Asks {
public:
    // The window that session notifications go to.
    void setWindow(HWND window) { m_window = window; }

    hold::Signals holdSignals() override;
    long long millisSinceKey() override;
    hold::FrontFacts front() override;
    SessionState sessionState() override;
    long long inputIdleSeconds() override;
    bool registerSession() override;

private:
    HWND m_window = nullptr;
};
