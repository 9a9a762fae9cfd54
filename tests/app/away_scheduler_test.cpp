// Time away as the scheduler counts it: a live main dialog with a fake clock and a fake
// input-idle time, fed session and power messages as Windows sends them.
#include <windows.h>
#include <wtsapi32.h>

#include <string>
#include <vector>

#include "away/session_calls.h"
#include "history/history_store.h"
#include "main_dialog_fixture.h"
#include "seams.h"

namespace {

using test::MainDialogTest;

long long g_idle = 0;
int g_idleReads = 0;
long long fakeIdle() {
    ++g_idleReads;
    return g_idle;
}

// The session service as the program sees it through its seam: registrations answered from
// a script, readings answered with `state`, every call written down.
struct SessionService {
    static SessionService& get() {
        static SessionService service;
        return service;
    }
    std::vector<BOOL> registerAnswers;  // in turn; TRUE once they run out
    SessionState state;                 // what a reading finds; Unknown halves fail their query
    std::vector<std::string> calls;
    int unfreed = 0;
    WTS_CONNECTSTATE_CLASS connectState = WTSActive;
    away::SessionInfoExHead info{};

    void reset() { *this = SessionService(); }
    int count(const std::string& call) const {
        int n = 0;
        for (const std::string& c : calls) n += c == call;
        return n;
    }

    static BOOL WINAPI registerNotification(HWND, DWORD flags) {
        SessionService& s = get();
        s.calls.push_back(flags == NOTIFY_FOR_THIS_SESSION ? "register" : "register (other flags)");
        if (s.registerAnswers.empty()) return TRUE;
        const BOOL answer = s.registerAnswers.front();
        s.registerAnswers.erase(s.registerAnswers.begin());
        return answer;
    }
    static BOOL WINAPI unregisterNotification(HWND) {
        get().calls.push_back("unregister");
        return TRUE;
    }
    static BOOL WINAPI query(HANDLE server, DWORD session, WTS_INFO_CLASS what, LPWSTR* buffer, DWORD* bytes) {
        SessionService& s = get();
        const bool ours = server == WTS_CURRENT_SERVER_HANDLE && session == WTS_CURRENT_SESSION;
        *buffer = nullptr;
        *bytes = 0;
        if (what == WTSConnectState) {
            s.calls.push_back(ours ? "query connect state" : "query another session");
            if (s.state.connection == SessionState::Connection::Unknown) return FALSE;
            s.connectState = s.state.connection == SessionState::Connection::Connected ? WTSActive : WTSDisconnected;
            *buffer = reinterpret_cast<LPWSTR>(&s.connectState);
            *bytes = sizeof(s.connectState);
        } else if (what == away::kSessionInfoEx) {
            s.calls.push_back(ours ? "query session info" : "query another session");
            if (s.state.lock == SessionState::Lock::Unknown) return FALSE;
            s.info.level = 1;
            s.info.sessionFlags =
                s.state.lock == SessionState::Lock::Locked ? away::kSessionFlagLocked : away::kSessionFlagUnlocked;
            *buffer = reinterpret_cast<LPWSTR>(&s.info);
            *bytes = sizeof(s.info);
        } else {
            s.calls.push_back("query other");
            return FALSE;
        }
        ++s.unfreed;
        return TRUE;
    }
    static void WINAPI freeMemory(PVOID) { --get().unfreed; }
    static bool windows10() { return false; }
};

class AwayTest : public MainDialogTest {
protected:
    void SetUp() override {
        MainDialogTest::SetUp();
        g_idle = 0;
        g_idleReads = 0;
        SessionService::get().reset();
    }

    // `count` seconds of the clock, one tick each; with `idle` no input comes meanwhile.
    void run(unsigned count, bool idle = false) {
        for (unsigned i = 0; i < count; ++i) {
            m_clock.advance();
            g_idle = idle ? g_idle + 1 : 0;
            tick();
        }
    }
    void session(WPARAM code) { send(WM_WTSSESSION_CHANGE, code, 1); }
    void power(WPARAM event) { EXPECT_EQ(TRUE, send(WM_POWERBROADCAST, event, 0)); }

    bool inRest() const { return !m_dlg->m_clock.m_working; }
    uint32_t worked() const { return m_dlg->m_clock.m_workElapsed.size(); }
    std::wstring workedLabel() const { return m_dlg->GetDlgItemText(IDC_STATIC_WORKED); }
    bool noticeOpen() const { return m_dlg->m_pPreviousNotifyDlg != nullptr; }
    // Nothing for the ears: no sound component call and no beep.
    bool silent() const { return m_sound.calls.empty() && test::beeps().empty(); }

    test::FakeClock m_clock{u"2024-03-09 10-00-00"};

private:
    test::SeamHolder<platform::InputIdleFunction> m_idle{&platform::setInputIdleFunction, &fakeIdle};
    test::SeamHolder<away::SessionCalls> m_session{
        &away::setSessionCalls,
        away::SessionCalls{&SessionService::registerNotification, &SessionService::unregisterNotification,
                           &SessionService::query, &SessionService::freeMemory, &SessionService::windows10}};
};

// With the setting on, no input for the rest length is a rest taken, at that very second;
// with it off, input is never read and the rest comes as always.
class IdleRestTest : public AwayTest, public ::testing::WithParamInterface<bool> {};

TEST_P(IdleRestTest, NoInputForTheRestLengthIsARestOnlyWhenTurnedOn) {
    const bool on = GetParam();
    theApp.m_settings.idleIsRest = on;
    theApp.m_settings.workTime = 40;
    theApp.m_settings.relaxTime = 30;
    ASSERT_TRUE(createDialog());
    command(ID_MENU_DELAY5);
    command(ID_MENU_DELAY5);  // 640 s of work; the notice below needs a shorter period
    m_dlg->m_clock.m_workLength = 40;
    run(29, true);
    EXPECT_EQ(29u, worked()) << "idle time shorter than a rest is work";
    EXPECT_TRUE(noticeOpen());
    run(1, true);
    if (!on) {
        EXPECT_EQ(0, g_idleReads) << "input is read only when the setting is on";
        EXPECT_EQ(30u, worked());
        run(10, true);
        EXPECT_TRUE(inRest()) << "the rest comes as it always did";
        return;
    }
    EXPECT_EQ(0u, worked()) << "a rest taken at exactly the rest length";
    EXPECT_EQ(kiv::TimeCount(0).durationText().c_wstr(), workedLabel()) << "shown at once";
    EXPECT_FALSE(noticeOpen());
    EXPECT_EQ(nullptr, m_dlg->m_pNotifyDlg);
    EXPECT_TRUE(silent());
    run(100, true);
    EXPECT_EQ(0u, worked()) << "still away: no work";
    EXPECT_FALSE(inRest());
    run(3);
    EXPECT_EQ(3u, worked()) << "back at the keyboard";
    EXPECT_EQ(40u, m_dlg->m_clock.m_workLength.size()) << "a fresh period";
}

INSTANTIATE_TEST_SUITE_P(Setting, IdleRestTest, ::testing::Bool());

struct RestAwayCase {
    const char* name;
    bool sleep;           // sleep, else a lock with ticks
    unsigned awaySeconds; // the rest has 20 s left when it begins
    bool restEnds;
};

class RestAwayTest : public AwayTest, public ::testing::WithParamInterface<RestAwayCase> {};

TEST_P(RestAwayTest, TimeAwayCountsTowardsARestInProgress) {
    const RestAwayCase c = GetParam();
    theApp.m_settings.homeMode = false;
    theApp.m_settings.workTime = 5;
    theApp.m_settings.relaxTime = 30;
    ASSERT_TRUE(createDialog());
    run(5 + 10);
    ASSERT_TRUE(inRest());
    if (c.sleep) {
        power(PBT_APMSUSPEND);
        m_clock.advance(c.awaySeconds);
        power(PBT_APMRESUMEAUTOMATIC);
        power(PBT_APMRESUMESUSPEND);  // Windows announces both; the sleep counts once
    } else {
        session(WTS_SESSION_LOCK);
        run(c.awaySeconds);
    }
    EXPECT_EQ(!c.restEnds, inRest());
    EXPECT_EQ(c.restEnds, m_dlg->m_pNotifyDlg == nullptr);
    EXPECT_EQ(c.restEnds ? 1u : 0u, test::beeps().size()) << "the rest ends as by time";
    if (c.restEnds) {
        EXPECT_EQ(0u, worked());
        run(4);
        EXPECT_EQ(c.sleep ? 4u : 0u, worked()) << "locked time after the rest is not work";
    } else {
        EXPECT_EQ(10u + c.awaySeconds, m_dlg->m_clock.m_restElapsed.size());
        if (!c.sleep) session(WTS_SESSION_UNLOCK);
        run(19 - c.awaySeconds);
        EXPECT_TRUE(inRest());
        run(1);
        EXPECT_FALSE(inRest());
    }
}

// One of each kind of event (the other cases: the rest clock's table).
INSTANTIATE_TEST_SUITE_P(Cases, RestAwayTest,
                         ::testing::Values(RestAwayCase{"SleepCovers", true, 20, true},
                                           RestAwayCase{"LockShorter", false, 12, false}),
                         [](const ::testing::TestParamInfo<RestAwayCase>& info) { return std::string(info.param.name); });
// Session events and the session's real state: after 10 s of work the events arrive one
// after the other while the session service reads `real`, then `ticks` seconds pass.
struct SessionCase {
    const char* name;
    std::vector<WPARAM> events;
    SessionState real;
    unsigned ticks;
    uint32_t worked;   // at the end
    int readings;      // of the session's state, each a connect-state and a session-info query
};

class SessionEventTest : public AwayTest, public ::testing::WithParamInterface<SessionCase> {};

TEST_P(SessionEventTest, TheSessionsRealStateIsTrustedOverItsEvents) {
    const SessionCase c = GetParam();
    theApp.m_settings.workTime = 1000;
    theApp.m_settings.relaxTime = 300;  // no absence here is a rest
    SessionService& service = SessionService::get();
    service.state = c.real;
    ASSERT_TRUE(createDialog());
    run(10);
    EXPECT_EQ(0, service.count("query connect state")) << "never read while the user is there";
    for (WPARAM event : c.events) session(event);
    run(c.ticks);
    EXPECT_EQ(c.worked, worked());
    EXPECT_EQ(c.readings, service.count("query connect state"));
    EXPECT_EQ(c.readings, service.count("query session info"));
    EXPECT_EQ(0, service.count("query another session") + service.count("query other"));
    EXPECT_EQ(0, service.unfreed) << "every answer is freed";
}

using C = SessionState::Connection;
using L = SessionState::Lock;
const SessionState kStillLocked{C::Connected, L::Locked};

INSTANTIATE_TEST_SUITE_P(
    Cases, SessionEventTest,
    ::testing::Values(
        SessionCase{"ConsoleConnectEndsARemoteDisconnection", {WTS_REMOTE_DISCONNECT, WTS_CONSOLE_CONNECT}, {}, 5, 15,
                    1},
        SessionCase{"RemoteConnectEndsAConsoleDisconnection", {WTS_CONSOLE_DISCONNECT, WTS_REMOTE_CONNECT}, {}, 5, 15,
                    1},
        SessionCase{"AConsoleDisconnectionIsAway", {WTS_CONSOLE_DISCONNECT}, {}, 5, 10, 0},
        SessionCase{"UnlockedButStillLocked", {WTS_SESSION_LOCK, WTS_SESSION_UNLOCK}, kStillLocked, 5, 10, 1},
        SessionCase{"ConnectedButLocked", {WTS_REMOTE_DISCONNECT, WTS_REMOTE_CONNECT}, kStillLocked, 5, 10, 1},
        SessionCase{"TheUnlockFindsALostConnect", {WTS_REMOTE_DISCONNECT, WTS_SESSION_LOCK, WTS_SESSION_UNLOCK},
                    {C::Connected, L::Unlocked}, 5, 15, 1},
        SessionCase{"ALostUnlockIsFoundAMinuteIn", {WTS_SESSION_LOCK}, {C::Connected, L::Unlocked}, 65, 16, 1},
        SessionCase{"AnUnknownStateKeepsTheLock", {WTS_SESSION_LOCK}, {}, 130, 10, 2}),
    [](const ::testing::TestParamInfo<SessionCase>& info) { return std::string(info.param.name); });

// At sign-in the session service may refuse the registration: it is tried again every ten
// ticks until it succeeds, and the state it may have missed meanwhile is read then.
TEST_F(AwayTest, SessionEventsAreRegisteredOnceTheServiceIsReady) {
    theApp.m_settings.workTime = 1000;
    theApp.m_settings.relaxTime = 300;
    SessionService& service = SessionService::get();
    service.registerAnswers = {FALSE, FALSE};
    service.state = {C::Connected, L::Locked};  // locked before the events could tell
    ASSERT_TRUE(createDialog());
    EXPECT_EQ(service.calls, std::vector<std::string>{"register"});
    run(9);
    EXPECT_EQ(1, service.count("register"));
    run(1);
    EXPECT_EQ(2, service.count("register"));
    run(10);
    const std::vector<std::string> registered = {"register", "register", "register", "query connect state",
                                                 "query session info"};
    EXPECT_EQ(service.calls, registered);
    EXPECT_EQ(19u, worked()) << "the tick that registered found the session locked";
    run(59);
    EXPECT_EQ(19u, worked());
    EXPECT_EQ(service.calls, registered) << "no registration once it succeeded, no reading within a minute";
    service.state = {C::Connected, L::Unlocked};
    run(3);
    EXPECT_EQ(22u, worked()) << "the reading a minute later finds the session unlocked";
    m_dlg.reset();
    EXPECT_EQ(1, service.count("unregister"));
    EXPECT_EQ(0, service.unfreed);
}

// The last input as Windows keeps it, on a tick counter the test moves: the program's own
// mouse move (the display wake-up after a home rest) is stamped like any input.
DWORD g_tickMs = 0;
DWORD g_lastInputMs = 0;
BOOL WINAPI fakeLastInput(LASTINPUTINFO* info) {
    info->dwTime = g_lastInputMs;
    return TRUE;
}
DWORD WINAPI fakeTickCount() { return g_tickMs; }
UINT WINAPI stampInput(UINT count, INPUT*, int) {
    g_lastInputMs = g_tickMs + 15;  // Windows stamps it a moment later
    return count;
}

class OwnInputTest : public AwayTest {
protected:
    void SetUp() override {
        AwayTest::SetUp();
        g_tickMs = 50000000;
        g_lastInputMs = g_tickMs;
        platform::setInputIdleFunction(nullptr);  // the program's own reading, on the fakes below
    }
    // `count` seconds, with the user's input in each of them or in none.
    void live(unsigned count, bool userThere) {
        for (unsigned i = 0; i < count; ++i) {
            m_clock.advance();
            g_tickMs += 1000;
            if (userThere) g_lastInputMs = g_tickMs;
            tick();
        }
    }

private:
    test::SeamHolder<platform::LastInputFunction> m_lastInput{&platform::setLastInputFunction, &fakeLastInput};
    test::SeamHolder<platform::TickCountFunction> m_tickCount{&platform::setTickCountFunction, &fakeTickCount};
    test::SeamHolder<platform::SendInputFunction> m_sendInput{&platform::setSendInputFunction, &stampInput};
};

// A home rest with the user away from the keyboard: the rest ends while the user is still
// away, the monitor is woken by the program's own mouse move, and that is still the one
// absence with its one rest, until the user really comes back.
TEST_F(OwnInputTest, TheWakeUpAfterAHomeRestIsNotTheUserComingBack) {
    rest_test::BroadcastRecorder broadcasts;
    theApp.m_settings.idleIsRest = true;
    theApp.m_settings.homeMode = true;
    theApp.m_settings.workTime = 10;
    theApp.m_settings.relaxTime = 8;
    ASSERT_TRUE(createDialog());
    live(10, true);
    ASSERT_TRUE(inRest());
    for (int i = 0; i < 6; ++i) m_dlg->m_pNotifyDlg->OnTimer(0);  // the monitor goes off
    live(8, false);
    ASSERT_FALSE(inRest());
    EXPECT_NE(g_lastInputMs, g_tickMs - 8000) << "the display was woken by a mouse move";
    live(30, false);
    EXPECT_EQ(0u, worked()) << "still away";
    const history::Day today = history::readDay(theApp.m_profileDir, m_clock.now());
    ASSERT_EQ(1u, today.rests.size()) << "one absence, one rest";
    EXPECT_EQ(history::RestEnd::Time, today.rests[0].end);
    EXPECT_EQ(8u, today.rests[0].rested);
    live(3, true);
    EXPECT_EQ(3u, worked()) << "back at the keyboard";
    EXPECT_EQ(1u, history::readDay(theApp.m_profileDir, m_clock.now()).rests.size());
}

}  // namespace
