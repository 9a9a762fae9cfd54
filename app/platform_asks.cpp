#include "platform_asks.h"

#include "away/session_calls.h"
#include "desktop/front_integrity.h"
#include "hold/hold_signals.h"
#include "hold/typing_pause.h"
#include "platform_calls.h"

hold::Signals PlatformAsks::holdSignals() { return hold::readSignals(); }

long long PlatformAsks::millisSinceKey() { return hold::millisSinceKey(); }

hold::FrontFacts PlatformAsks::front() { return rest::readFront(); }

SessionState PlatformAsks::sessionState() { return away::readSessionState(); }

long long PlatformAsks::inputIdleSeconds() { return platform::inputIdleSeconds(); }

bool PlatformAsks::registerSession() { return away::registerSessionNotification(m_window); }
