// The rest clock's interplay, one row per case: a start (settings), a script of signals and
// events over ticks, and what the clock answers, as one line. Each answer is written
// "@S what", S the seconds since the row began; the status line, the work second and an
// unchanged keyboard watch are left out.
//
// Start words: work=N rest=N office fullrest idlerest nohold eye=N (every N s) eyelen=N
// start=HH:MM:SS (Monday 7 December 2026, 09:00:00 unless given) day=N (seconds since the
// first power-on, 3600 unless given) nosession (the first registration failed);
// hours=TEXT (working hours, '_' for a space; "office": mon-fri 08:30-12:00 13:00-18:00; sat
// 09:00-12:00).
// Script words: tN (N ticks, a second each), +N (N seconds pass without a tick), =HH:MM:SS
// (the clock is set to that time, the next day when it is earlier); signals: full / -full,
// call / cam / show / -call, key=N / -key (ms since a key), admin / -admin (an
// administrator's window in front), idling / -idling (no input from now on, a second more
// each tick), session=locked|unlocked|unknown (what a reading finds), fail-register=N;
// events: lock unlock disconnect connect suspend resume delay5 delayP skip start end
// unlock-end pause (the typing wait's timer; pause*N: N times) eyebreak eyebreak-closed exit
// exit-request exit-request-held (one not answered during a rest) shutdown, pause-for=N
// (minutes) / pause-for=tomorrow (the timed pause; "refused" when it was not taken) unpause
// restore-pause=HH:MM:SS-HH:MM:SS (today's file holds a running pause), work=N / rest=N
// (settings changed) applied (confirmed), hours=TEXT (new hours) time-changed (the clock or
// the zone); looks: ? (phase, work and rest counts, what holds) and asked (what the clock
// asked for); mute / -mute (answers left out meanwhile).
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "schedule/rest_clock.h"

namespace {

using schedule::Action;
using schedule::Do;

class FakeAsks : public schedule::Asks {
public:
    hold::Signals holdSignals() override { return ++holds, hold; }
    long long millisSinceKey() override { return ++keys, sinceKey; }
    hold::FrontFacts front() override { return ++fronts, inFront; }
    SessionState sessionState() override { return ++sessions, session; }
    long long inputIdleSeconds() override { return ++idles, idle; }
    bool registerSession() override {
        ++registrations;
        if (failRegistrations == 0) return true;
        --failRegistrations;
        return false;
    }

    hold::Signals hold;
    long long sinceKey = -1;
    hold::FrontFacts inFront;
    SessionState session{SessionState::Connection::Connected, SessionState::Lock::Unlocked};
    long long idle = 0;
    unsigned failRegistrations = 0;
    unsigned holds = 0, keys = 0, fronts = 0, sessions = 0, idles = 0, registrations = 0;
};

const char* const kRestEnds[] = {"time", "unlock", "away", "exit", "shutdown", "schedule"};
const char* const kNotes[] = {"one-minute", "call", "camera", "presentation", "elevated-front"};

struct Row {
    const char* name;
    const char* start;
    const char* script;
    const char* expected;
};

std::string spaced(std::string text) {
    for (char& c : text)
        if (c == '_') c = ' ';
    return text;
}

hours::Schedule scheduleOf(const std::string& text) {
    hours::Schedule schedule;
    const std::string value = text == "office" ? "mon-fri 08:30-12:00 13:00-18:00; sat 09:00-12:00" : spaced(text);
    EXPECT_TRUE(hours::parse(std::u16string(value.begin(), value.end()), schedule)) << value;
    return schedule;
}

kiv::Time localTime(const std::string& hms) {
    const std::string text = "2026-12-07 " + hms;
    return kiv::Time(kiv::String(std::u16string(text.begin(), text.end()).c_str()),
                     kiv::String(u"%Y-%m-%d %H:%M:%S"));
}

class Runner {
public:
    explicit Runner(const char* startText) {
        m_settings.workTime = 100;
        m_settings.relaxTime = 30;
        m_settings.eyeBreakSeconds = 20;
        std::istringstream in(startText);
        std::string w;
        hours::Schedule schedule;
        long long sinceDayStart = 3600;
        bool registered = true;
        m_start = localTime("09:00:00");
        while (in >> w) {
            const std::string v = w.substr(w.find('=') + 1);
            if (w.rfind("work=", 0) == 0) m_settings.workTime = std::stoul(v);
            if (w.rfind("rest=", 0) == 0) m_settings.relaxTime = std::stoul(v);
            if (w.rfind("eye=", 0) == 0) m_settings.eyeBreak = true, m_settings.eyeBreakEvery = std::stoul(v);
            if (w.rfind("eyelen=", 0) == 0) m_settings.eyeBreakSeconds = std::stoul(v);
            if (w.rfind("start=", 0) == 0) m_start = localTime(v);
            if (w.rfind("day=", 0) == 0) sinceDayStart = std::stoll(v);
            if (w.rfind("hours=", 0) == 0) schedule = scheduleOf(v);
            if (w == "office") m_settings.homeMode = false;
            if (w == "fullrest") m_settings.relaxAtFullScreen = true;
            if (w == "idlerest") m_settings.idleIsRest = true;
            if (w == "nohold") m_settings.holdForCalls = false;
            if (w == "nosession") registered = false;
        }
        m_clock = std::make_unique<schedule::RestClock>(m_settings, schedule);
        m_clock->sessionRegistered(registered);
        m_now = m_start;
        m_signals.dayStart = kiv::Time(m_start.timeValue() - sinceDayStart);
        m_signals.asks = &m_asks;
    }

    std::string run(const char* script) {
        std::istringstream in(script);
        std::string word;
        while (in >> word) step(word);
        std::string text = m_out.str();
        if (!text.empty()) text.pop_back();
        return text;
    }

    FakeAsks m_asks;

private:
    void step(const std::string& w) {
        schedule::RestClock& c = *m_clock;
        const std::string v = w.substr(w.find('=') + 1);
        if (w[0] == 't' && w.size() > 1 && isdigit(static_cast<unsigned char>(w[1]))) {
            for (unsigned long i = std::stoul(w.substr(1)); i > 0; --i) {
                m_now = kiv::Time(m_now.timeValue() + 1);
                m_asks.idle = m_idling ? m_asks.idle + 1 : 0;
                show(c.tick(signals()));
            }
        } else if (w[0] == '+') {
            m_now = kiv::Time(m_now.timeValue() + std::stoll(w.substr(1)));
        } else if (w[0] == '=') {
            kiv::Time to = localTime(w.substr(1));
            while (to.timeValue() < m_now.timeValue()) to = kiv::Time(to.timeValue() + 86400);
            m_now = to;
        } else if (w == "full" || w == "-full") {
            m_fullScreen = w == "full";
        } else if (w == "call" || w == "cam" || w == "show" || w == "-call") {
            m_asks.hold = hold::Signals{w == "call", w == "cam", w == "show"};
        } else if (w == "mute" || w == "-mute") {
            m_muted = w == "mute";
        } else if (w == "admin" || w == "-admin") {
            // An administrator's console in front of a program started the usual way.
            m_asks.inFront = hold::FrontFacts{};
            if (w == "admin") m_asks.inFront = hold::FrontFacts{true, false, true, 0x3000, true, 0x2000};
        } else if (w.rfind("pause*", 0) == 0) {
            for (unsigned long i = std::stoul(w.substr(6)); i > 0; --i) show(c.pauseWaitEnded(signals()));
        } else if (w.rfind("key=", 0) == 0) {
            m_asks.sinceKey = std::stol(v);
        } else if (w == "-key") {
            m_asks.sinceKey = -1;
        } else if (w == "idling" || w == "-idling") {
            m_idling = w == "idling";
        } else if (w.rfind("session=", 0) == 0) {
            using L = SessionState::Lock;
            m_asks.session.lock = v == "locked" ? L::Locked : v == "unlocked" ? L::Unlocked : L::Unknown;
            if (v == "unknown") m_asks.session.connection = SessionState::Connection::Unknown;
        } else if (w.rfind("fail-register=", 0) == 0) {
            m_asks.failRegistrations = std::stoul(v);
        } else if (w.rfind("work=", 0) == 0) {
            m_settings.workTime = std::stoul(v);
        } else if (w.rfind("rest=", 0) == 0) {
            m_settings.relaxTime = std::stoul(v);
        } else if (w.rfind("pause-for=", 0) == 0) {
            control::Duration length{v == "tomorrow", v == "tomorrow" ? 0u : static_cast<uint32_t>(std::stoul(v))};
            schedule::Actions out;
            if (!m_clock->pause(length, m_now, out)) m_out << '@' << seconds() << " refused ";
            show(out);
        } else if (w.rfind("restore-pause=", 0) == 0) {
            const auto secondOfDay = [](const std::string& hms) {
                return static_cast<uint32_t>(std::stoul(hms.substr(0, 2)) * 3600 + std::stoul(hms.substr(3, 2)) * 60 +
                                             std::stoul(hms.substr(6, 2)));
            };
            show(m_clock->restorePause({{secondOfDay(v.substr(0, 8)), secondOfDay(v.substr(9)), false, 0}}, m_now,
                                       m_now));
        } else if (w == "?") {
            look();
        } else if (w == "asked") {
            m_out << '@' << seconds() << " asked:h" << m_asks.holds << 'k' << m_asks.keys << 's' << m_asks.sessions
                  << 'i' << m_asks.idles << 'r' << m_asks.registrations << ' ';
        } else {
            show(event(w));
        }
    }

    schedule::Actions event(const std::string& w) {
        schedule::RestClock& c = *m_clock;
        const kiv::Time now = m_now;
        if (w == "lock") return c.sessionLocked(now);
        if (w == "unlock") return c.sessionUnlocked(signals());
        if (w == "disconnect") return c.sessionDisconnected(now);
        if (w == "connect") return c.sessionConnected(signals());
        if (w == "suspend") return c.suspended(now);
        if (w == "resume") return c.resumed(signals());
        if (w == "delay5") return c.delayFiveMinutes(now);
        if (w == "delayP") return c.delayPresetTime(now);
        if (w == "skip") return c.skipToday(now);
        if (w == "start") return c.startRest(now);
        if (w == "end") return c.endRest(history::RestEnd::Time, now);
        if (w == "unlock-end") return c.endRest(history::RestEnd::Unlock, now);
        if (w == "pause") return c.pauseWaitEnded(signals());
        if (w == "eyebreak") return c.showEyeBreak(now);
        if (w == "exit") return c.exit();
        if (w == "shutdown") return c.endSession(history::RestEnd::Shutdown);
        if (w == "exit-request") return c.exitRequested(true);
        if (w == "exit-request-held") return c.exitRequested(false);
        if (w == "applied") return c.settingsApplied();
        if (w == "unpause") return c.resumeBreaks(now);
        if (w == "time-changed") return c.timeChanged(now);
        if (w.rfind("hours=", 0) == 0) return c.setSchedule(scheduleOf(w.substr(6)), now);
        if (w == "eyebreak-closed") {
            c.eyeBreakClosed();
            return schedule::Actions();
        }
        ADD_FAILURE() << "unknown script word " << w;
        return schedule::Actions();
    }

    schedule::Signals signals() {
        m_signals.now = m_now;
        m_signals.fullScreen = m_fullScreen;
        return m_signals;
    }

    long long seconds() const { return m_now.timeValue() - m_start.timeValue(); }
    long long since(const Action& a) const { return a.at - m_start.timeValue(); }

    void look() {
        const schedule::RestClock& c = *m_clock;
        m_out << '@' << seconds() << (c.m_working ? " ?work" : " ?rest") << " w" << c.m_workElapsed.size() << '/'
              << c.m_workLength.size() << " r" << c.m_restElapsed.size() << '/' << c.m_restLength.size()
              << (c.isAway() ? " away" : "") << (c.isRestHeld() ? " held" : "")
              << (c.isOutsideWorkingHours() ? " outside" : "") << (c.isWaitingForPause() ? " wait" : "")
              << (c.isPaused() ? " paused" : "") << ' ';
    }

    void show(const schedule::Actions& actions) {
        std::ostringstream line;
        for (const Action& a : actions) line << word(a);
        if (!line.str().empty() && !m_muted) m_out << '@' << seconds() << line.str() << ' ';
    }

    std::string word(const Action& a) {
        std::ostringstream w;
        switch (a.what) {
        case Do::Status: case Do::WorkSecond: case Do::RetryWrites: return "";
        case Do::WatchKeys:
            if (a.flag == m_watching) return "";
            m_watching = a.flag;
            return a.flag ? " keys" : " -keys";
        case Do::Balloon: w << " balloon:" << kNotes[a.note]; break;
        case Do::LongDay: w << " long-day"; break;
        case Do::OpenNotice: w << " notice:" << a.a; break;
        case Do::CloseNotice: w << " -notice"; break;
        case Do::Cover: w << " cover"; break;
        case Do::Uncover: w << " uncover"; break;
        case Do::Beep: w << " beep:" << a.a; break;
        case Do::Play: w << (a.note == 0 ? " play:postponed" : " play:rest-end"); break;
        case Do::WaitForPause: w << " wait:" << a.a; break;
        case Do::StopWaiting: w << " -wait"; break;
        case Do::ShowEyeBreak: w << " eye-break:" << a.a; break;
        case Do::EndEyeBreak: w << " -eye-break"; break;
        case Do::UpdateTip: w << " tip"; break;
        case Do::Exit: w << " exit"; break;
        case Do::SaveWork: w << " save-work"; break;
        case Do::RestStarted: w << " rest@" << since(a) << '/' << a.a; break;
        case Do::RestEnded: w << " rested:" << a.a << '/' << kRestEnds[a.note]; break;
        case Do::Delayed: w << " delayed:" << a.a; break;
        case Do::Postponed: w << " postponed:" << a.a; break;
        case Do::Held: w << " held@" << since(a) << ':' << a.a << '/' << kNotes[a.note]; break;
        case Do::SkippedToday: w << " skipped"; break;
        case Do::EndRun: w << " end-run:" << a.a << '/' << kRestEnds[a.note]; break;
        case Do::PauseStarted: w << " pause@" << since(a) << '/' << a.a; break;
        case Do::PauseEnded: w << " pause-end@" << since(a) << '/' << a.a; break;
        }
        return w.str();
    }

    settings::Values m_settings;
    std::unique_ptr<schedule::RestClock> m_clock;
    kiv::Time m_start, m_now;
    bool m_fullScreen = false;
    bool m_watching = false;
    bool m_idling = false;
    bool m_muted = false;
    schedule::Signals m_signals;
    std::ostringstream m_out;
};

const Row kRows[] = {
    // The stated cycle: a rest at the W-th tick, its end at the R-th; the reminders only at
    // exactly 60 and 15 s left; the end's sound at home, its beep at the office.
    {"cycle at home", "", "t130",
     "@40 balloon:one-minute @85 notice:15 @98 keys @100 -keys -notice cover rest@100/30 "
     "@130 uncover rested:30/time play:rest-end"},
    {"cycle at the office", "office", "t130",
     "@40 balloon:one-minute @85 notice:15 @98 keys @100 -keys -notice cover rest@100/30 "
     "@130 uncover rested:30/time beep:500"},
    {"cycle 1/1", "work=1 rest=1", "t2", "@1 -notice cover rest@1/1 @2 uncover rested:1/time play:rest-end"},
    {"cycle 2/3", "work=2 rest=3", "t1 ? t4 ?",
     "@1 keys @1 ?work w1/2 r0/3 @2 -keys -notice cover rest@2/3 @5 uncover rested:3/time play:rest-end "
     "@5 ?work w0/2 r0/3"},
    {"cycle 75/16", "work=75 rest=16", "t74 ? t16 ? t1",
     "@15 balloon:one-minute @60 notice:15 @73 keys @74 ?work w74/75 r0/16 @75 -keys -notice cover rest@75/16 "
     "@90 ?rest w0/75 r15/16 @91 uncover rested:16/time play:rest-end"},
    {"61 s: the balloon at once", "work=61", "t61",
     "@1 balloon:one-minute @46 notice:15 @59 keys @61 -keys -notice cover rest@61/30"},
    {"60 s: no balloon", "work=60", "t60", "@45 notice:15 @58 keys @60 -keys -notice cover rest@60/30"},
    {"16 s: the notice at once", "work=16", "t16", "@1 notice:15 @14 keys @16 -keys -notice cover rest@16/30"},
    {"15 s: no notice", "work=15", "t15", "@13 keys @15 -keys -notice cover rest@15/30"},
    {"5 s", "work=5", "t5", "@3 keys @5 -keys -notice cover rest@5/30"},
    {"the unlock question ends the rest", "work=5 rest=60", "t8 unlock-end ? t5",
     "@3 keys @5 -keys -notice cover rest@5/60 @8 uncover rested:3/unlock play:rest-end @8 ?work w0/5 r0/60 "
     "@11 keys @13 -keys -notice cover rest@13/60"},
    {"unlocked during work: a new period, with the end's beep", "office work=50", "t20 delay5 unlock-end ?",
     "@20 delayed:300 -notice @20 uncover rested:0/unlock beep:500 @20 ?work w0/50 r0/30"},
    // Delays and new lengths.
    {"five minutes more at the notice", "work=20", "t5 delay5 t315",
     "@5 notice:15 @5 delayed:300 -notice @260 balloon:one-minute @305 notice:15 @318 keys "
     "@320 -keys -notice cover rest@320/30"},
    {"a preset period more, twice", "work=40", "t10 delayP delayP ? t110",
     "@10 delayed:40 -notice @10 delayed:40 -notice @10 ?work w10/120 r0/30 @60 balloon:one-minute @105 notice:15 "
     "@118 keys @120 -keys -notice cover rest@120/30"},
    {"delays in a rest change neither the rest nor the next period", "work=10 rest=6",
     "t12 delay5 delayP ? t3 ? t1 ? t10",
     "@8 keys @10 -keys -notice cover rest@10/6 @12 delayed:300 -notice @12 delayed:10 -notice "
     "@12 ?rest w0/320 r2/6 @15 ?rest w0/320 r5/6 @16 uncover rested:6/time play:rest-end @16 ?work w0/10 r0/6 "
     "@24 keys @26 -keys -notice cover rest@26/6"},
    {"a delay ends with its period", "work=20 rest=5", "delay5 t345",
     "@0 delayed:300 -notice @260 balloon:one-minute @305 notice:15 @318 keys @320 -keys -notice cover rest@320/5 "
     "@325 uncover rested:5/time play:rest-end @330 notice:15 @343 keys @345 -keys -notice cover rest@345/5"},
    {"a shorter work time: the rest at the next tick", "", "t50 work=30 applied ? t1",
     "@40 balloon:one-minute @50 ?work w50/30 r0/30 @51 -notice cover rest@51/30"},
    {"a shorter rest ends a running one at the next tick", "work=5 rest=60", "t25 rest=10 applied ? t1",
     "@3 keys @5 -keys -notice cover rest@5/60 @25 ?rest w0/5 r20/10 @26 uncover rested:21/time play:rest-end"},
    {"new lengths close a notice far from its rest", "", "t86 work=200 applied",
     "@40 balloon:one-minute @85 notice:15 @86 -notice"},
    {"new lengths keep a notice near its rest", "", "t86 work=101 applied", "@40 balloon:one-minute @85 notice:15"},
    // The full-screen postponement: the rest and its reminders wait 1200 s more.
    {"full screen at home: postponed with the sound", "work=70", "full t69 ? t1 ?",
     "@69 ?work w69/70 r0/30 @70 postponed:1200 play:postponed @70 ?work w70/1270 r0/30"},
    {"full screen at the office: postponed with a beep", "office work=70", "full t70 ?",
     "@70 postponed:1200 beep:1000 @70 ?work w70/1270 r0/30"},
    {"full screen, resting anyway, at home", "fullrest work=70", "full t70",
     "@10 balloon:one-minute @55 notice:15 @68 keys @70 -keys -notice cover rest@70/30"},
    {"full screen, resting anyway, at the office", "office fullrest work=70", "full t70",
     "@10 balloon:one-minute @55 notice:15 @68 keys @70 -keys -notice cover rest@70/30"},
    {"the reminders come again once full screen ends", "work=30", "full t30 -full t1200",
     "@30 postponed:1200 play:postponed @1170 balloon:one-minute @1215 notice:15 @1228 keys "
     "@1230 -keys -notice cover rest@1230/30"},
    // Holds: read only in the last minute and while held; the rest a minute after the hold.
    {"a call holds the rest silently", "", "call t39 asked t1 asked t500 ?",
     "@39 asked:h0k0s0i0r0 @40 -notice balloon:call tip @40 asked:h1k0s0i0r0 @540 ?work w540/540 r0/30 held"},
    {"the call ends 6 s in", "", "call t45 -call t61",
     "@40 -notice balloon:call tip @46 held@40:6/call tip balloon:one-minute @91 notice:15 @104 keys "
     "@106 -keys -notice cover rest@106/30"},
    {"the call ends 60 s in", "", "call t99 -call t61",
     "@40 -notice balloon:call tip @100 held@40:60/call tip balloon:one-minute @145 notice:15 @158 keys "
     "@160 -keys -notice cover rest@160/30"},
    {"the call ends 61 s in", "", "call t100 -call t61",
     "@40 -notice balloon:call tip @101 held@40:61/call tip balloon:one-minute @146 notice:15 @159 keys "
     "@161 -keys -notice cover rest@161/30"},
    {"the call ends 401 s in", "", "call t440 -call t61",
     "@40 -notice balloon:call tip @441 held@40:401/call tip balloon:one-minute @486 notice:15 @499 keys "
     "@501 -keys -notice cover rest@501/30"},
    {"a hold lasts two hours at most; the next period may be held again", "", "call t7329 t40",
     "@40 -notice balloon:call tip @7239 held@40:7200/call tip balloon:one-minute @7284 notice:15 @7297 keys "
     "@7299 -keys -notice cover rest@7299/30 @7329 uncover rested:30/time play:rest-end "
     "@7369 -notice balloon:call tip"},
    {"a camera", "", "t90 cam t1", "@40 balloon:one-minute @85 notice:15 @91 -notice balloon:camera tip"},
    {"a presentation in the last seconds closes the notice", "", "t90 show t1 t30 ?",
     "@40 balloon:one-minute @85 notice:15 @91 -notice balloon:presentation tip @121 ?work w121/121 r0/30 held"},
    {"holding turned off: nothing is read", "nohold", "call t100 asked",
     "@40 balloon:one-minute @85 notice:15 @98 keys @100 -keys -notice cover rest@100/30 @100 asked:h0k1s0i0r0"},
    {"the full-screen rule goes before a call", "office", "full call t100 ? asked",
     "@100 postponed:1200 beep:1000 @100 ?work w100/1300 r0/30 @100 asked:h0k0s0i0r0"},
    {"a delay during a hold counts from now", "", "call t150 delay5 ? -call t1 ?",
     "@40 -notice balloon:call tip @150 delayed:300 -notice @150 ?work w150/450 r0/30 held @151 held@40:111/call tip "
     "@151 ?work w151/450 r0/30"},
    {"a delay during the hold is kept after it", "", "call t50 delay5 -call t350",
     "@40 -notice balloon:call tip @50 delayed:300 -notice @51 held@40:11/call tip @340 balloon:one-minute "
     "@385 notice:15 @398 keys @400 -keys -notice cover rest@400/30"},
    {"the end of the rest writes a hold still open", "", "call t50 start t30",
     "@40 -notice balloon:call tip @50 -notice cover rest@50/30 "
     "@80 uncover rested:30/time play:rest-end held@40:11/call"},
    // The cover at a pause in typing.
    {"a key just before: the cover waits for the pause", "work=20 rest=5",
     "t19 key=400 t1 t3 ? key=1500 pause ? t4 ? t1",
     "@5 notice:15 @18 keys @20 wait:1100 @23 ?work w20/20 r0/5 wait @23 -wait -keys -notice cover rest@23/5 "
     "@23 ?rest w0/20 r0/5 @27 ?rest w0/20 r4/5 @28 uncover rested:5/time play:rest-end"},
    {"typing on covers after ten seconds", "work=20 rest=5",
     "t19 key=100 t1 pause pause pause pause pause pause pause pause",
     "@5 notice:15 @18 keys @20 wait:1400 @20 wait:1400 @20 wait:1400 @20 wait:1400 @20 wait:1400 @20 wait:1400 "
     "@20 wait:1400 @20 wait:200 @20 -wait -keys -notice cover rest@20/5"},
    {"a delay during the wait lets the work go on", "work=20 rest=5", "t19 key=0 t1 delay5 pause ? t1 ?",
     "@5 notice:15 @18 keys @20 wait:1500 @20 delayed:300 -notice @20 -wait @20 ?work w20/320 r0/5 @21 -keys "
     "@21 ?work w21/320 r0/5"},
    {"away during the wait: the rest waits for the return", "", "t99 key=0 t1 lock pause",
     "@40 balloon:one-minute @85 notice:15 @98 keys @100 wait:1500 @100 save-work @100 -wait"},
    {"an administrator's window in front holds the cover until it leaves", "work=20 rest=5",
     "t19 admin t1 pause*5 -admin pause",
     "@5 notice:15 @18 keys @20 balloon:elevated-front wait:1000 @20 wait:1000 @20 wait:1000 @20 wait:1000 "
     "@20 wait:1000 @20 wait:1000 @20 -wait -keys -notice cover rest@20/5"},
    {"an administrator's window holds the cover two minutes at most", "work=20 rest=5",
     "t19 admin t1 mute pause*118 -mute pause*2",
     "@5 notice:15 @18 keys @20 balloon:elevated-front wait:1000 @20 wait:1000 "
     "@20 -wait -keys -notice cover rest@20/5"},
    // Time away.
    {"no input for a rest's length is a rest, when it counts", "idlerest work=40",
     "idling t29 ? t1 ? t100 ? -idling t3 ?",
     "@25 notice:15 @29 ?work w29/40 r0/30 @30 rest@0/30 rested:30/away -notice @30 ?work w0/40 r0/30 away "
     "@130 ?work w0/40 r0/30 away @133 ?work w3/40 r0/30"},
    {"no input is work when it does not count", "work=40", "idling t30 ? t10",
     "@25 notice:15 @30 ?work w30/40 r0/30 @38 keys @40 -keys -notice cover rest@40/30"},
    {"a short lock keeps the count; a lock as long as a rest is one", "",
     "session=unknown t10 lock t29 unlock ? t1 ? delay5 lock t29 ? t1 ? t50 unlock ? t2 ?",
     "@10 save-work @39 ?work w10/100 r0/30 @40 ?work w11/100 r0/30 @40 delayed:300 -notice @40 save-work "
     "@69 ?work w11/400 r0/30 away @70 rest@40/30 rested:30/away -notice @70 ?work w0/100 r0/30 away "
     "@120 ?work w0/100 r0/30 @122 ?work w2/100 r0/30"},
    {"a remote disconnection is the same, without a tick", "", "t2 disconnect +3600 connect ?",
     "@2 save-work @3602 rest@2/30 rested:3600/away -notice @3602 ?work w0/100 r0/30"},
    {"a rest due while locked waits for the unlock", "work=20", "t19 lock t10 ? unlock t1 ?",
     "@5 notice:15 @18 keys @19 save-work @29 ?work w19/20 r0/30 away @30 -keys -notice cover rest@30/30 "
     "@30 ?rest w0/20 r0/30"},
    {"a lock as long as a rest is a rest while it lasts", "", "t10 lock session=locked t40",
     "@10 save-work @40 rest@10/30 rested:30/away -notice"},
    {"a lock does not end on a reading that finds it", "", "t10 lock session=locked t130 ?",
     "@10 save-work @40 rest@10/30 rested:30/away -notice @140 ?work w0/100 r0/30 away"},
    {"a lost unlock is found a minute in", "", "t10 lock t60 t40",
     "@10 save-work @40 rest@10/30 rested:30/away -notice @109 balloon:one-minute"},
    {"a sleep as long as the rest left ends it", "office work=5", "t15 suspend +20 resume resume ? t4 ?",
     "@3 keys @5 -keys -notice cover rest@5/30 @15 save-work @35 uncover rested:30/time beep:500 "
     "@35 ?work w0/5 r0/30 @38 keys @39 ?work w4/5 r0/30"},
    {"a longer sleep too", "office work=5", "t15 suspend +5000 resume resume ?",
     "@3 keys @5 -keys -notice cover rest@5/30 @15 save-work @5015 uncover rested:30/time beep:500 "
     "@5015 ?work w0/5 r0/30"},
    {"a shorter sleep counts towards the rest", "office work=5", "t15 suspend +19 resume resume ? t1",
     "@3 keys @5 -keys -notice cover rest@5/30 @15 save-work @34 ?rest w0/5 r29/30 "
     "@35 uncover rested:30/time beep:500"},
    {"a lock as long as the rest left ends it", "office work=5", "t15 lock t25 ? unlock t4 ?",
     "@3 keys @5 -keys -notice cover rest@5/30 @15 save-work @35 uncover rested:30/time beep:500 "
     "@40 ?work w0/5 r0/30 away @43 keys @44 ?work w4/5 r0/30"},
    {"a shorter lock counts towards the rest", "office work=5", "t15 lock t12 ? unlock t7 ? t1",
     "@3 keys @5 -keys -notice cover rest@5/30 @15 save-work @27 ?rest w0/5 r22/30 away @34 ?rest w0/5 r29/30 "
     "@35 uncover rested:30/time beep:500"},
    {"a sleep across midnight as long as a rest", "start=23:54:10 rest=480", "t50 suspend =00:03:00 resume ? t1 ?",
     "@40 balloon:one-minute @50 save-work @530 rest@50/480 rested:480/away -notice @530 ?work w0/100 r0/480 "
     "@531 ?work w1/100 r0/480"},
    {"a sleep across midnight a second shorter", "start=23:59:00 rest=480", "t50 suspend =00:07:49 resume ? t1 ?",
     "@40 balloon:one-minute @50 save-work @529 ?work w50/100 r0/480 @530 ?work w51/100 r0/480"},
    {"a sleep of days", "start=11:59:10 rest=480", "t50 suspend +244800 resume ?",
     "@40 balloon:one-minute @50 save-work @244850 rest@50/480 rested:244800/away -notice "
     "@244850 ?work w0/100 r0/480"},
    {"a lost resume does not freeze the count", "work=1000 rest=300", "t10 suspend t70 ?",
     "@10 save-work @80 ?work w21/1000 r0/300"},
    {"a failed registration is tried again every ten ticks", "nosession",
     "fail-register=1 t9 asked t1 asked t10 asked t20 asked",
     "@9 asked:h0k0s0i0r0 @10 asked:h0k0s0i0r1 @20 asked:h0k0s1i0r2 @40 balloon:one-minute @40 asked:h1k0s1i0r2"},
    // Working hours and "no more breaks today".
    {"outside working hours nothing is counted", "hours=mon_10:00-18:00", "t200 ?",
     "@1 -notice @200 ?work w0/100 r0/30 outside"},
    {"entering working hours is a rest", "hours=mon_09:01-18:00", "t61",
     "@1 -notice @60 rest@1/30 rested:59/schedule -notice"},
    {"a lunch break stops the count and ends as one rest", "start=11:59:50 hours=office",
     "t9 ? t1 ? t200 ? =12:59:58 t1 ? t1 ?",
     "@9 ?work w9/100 r0/30 @10 -notice @10 ?work w9/100 r0/30 outside @210 ?work w9/100 r0/30 outside "
     "@3609 ?work w9/100 r0/30 outside @3610 rest@10/30 rested:3600/schedule -notice @3610 ?work w1/100 r0/30"},
    {"a rest running when the range ends runs to its end", "start=11:59:30 work=20 hours=office",
     "t20 t15 ? t15 t100 ? =12:59:59 t1",
     "@5 notice:15 @18 keys @20 -keys -notice cover rest@20/30 @30 -notice @35 ?rest w0/20 r15/30 outside "
     "@50 uncover rested:30/time play:rest-end @150 ?work w0/20 r0/30 outside "
     "@3630 rest@50/30 rested:3580/schedule -notice"},
    {"the notice closes when the range ends", "start=11:58:20 hours=office", "t120 ?",
     "@40 balloon:one-minute @85 notice:15 @98 keys @100 -notice @120 ?work w99/100 r0/30 outside"},
    {"midnight inside a night shift counts on", "start=23:59:50 work=1000 hours=mon_22:00-06:00",
     "t20 ? =05:59:58 t1 ? t1 t10 ?",
     "@20 ?work w20/1000 r0/30 @21609 ?work w21/1000 r0/30 @21610 -notice @21620 ?work w21/1000 r0/30 outside"},
    {"a sleep across a range's start is one fresh period", "start=07:00:00 hours=office",
     "t1 suspend =09:00:00 resume ? t3 ?",
     "@1 -notice @1 save-work @7200 rest@1/30 rested:7199/schedule -notice @7200 ?work w0/100 r0/30 "
     "@7203 ?work w3/100 r0/30"},
    {"a sleep over the lunch break is one rest at the return", "start=11:50:00 work=3000 hours=office",
     "t10 suspend =13:10:00 resume ? t2 ?",
     "@10 save-work @4800 rest@600/30 rested:4200/schedule -notice @4800 ?work w0/3000 r0/30 "
     "@4802 ?work w2/3000 r0/30"},
    {"a sleep past the range's end takes no away rest", "start=17:50:00 work=3000 hours=office",
     "t10 suspend =19:00:00 resume t5 ?",
     "@10 save-work @4200 -notice @4205 ?work w10/3000 r0/30 outside"},
    {"locked over the lunch break is one rest", "start=11:55:00 work=3000 rest=600 hours=office",
     "session=unknown t10 lock t300 ? =12:59:59 t1 ? t300 unlock t4 ?",
     "@10 save-work @300 -notice @310 ?work w10/3000 r0/600 away outside "
     "@3900 rest@300/600 rested:3600/schedule -notice @3900 ?work w0/3000 r0/600 away @4204 ?work w4/3000 r0/600"},
    {"no more breaks today holds until tomorrow's first range", "start=10:00:00 hours=office",
     "t5 skip t200 ? =13:29:59 t1 ? =08:29:59 t1 ?",
     "@5 skipped -notice @205 ?work w5/100 r0/30 outside @12600 ?work w5/100 r0/30 outside "
     "@81000 rest@5/30 rested:80995/schedule -notice @81000 ?work w1/100 r0/30"},
    {"no more breaks today without working hours lasts until midnight", "start=21:00:00",
     "t5 skip t200 ? =23:59:58 t1 ? t1 ?",
     "@5 skipped -notice @205 ?work w5/100 r0/30 outside @10799 ?work w5/100 r0/30 outside "
     "@10800 rest@5/30 rested:10795/schedule -notice @10800 ?work w1/100 r0/30"},
    {"no more breaks today with a full-screen program", "", "full t50 skip t200 -full t10 ?",
     "@50 skipped -notice @260 ?work w50/100 r0/30 outside"},
    {"a change of the clock or the zone: working hours decide at once, without a tick", "start=17:59:58 hours=office",
     "t1 =18:00:30 ? time-changed ?", "@32 ?work w1/100 r0/30 @32 -notice @32 ?work w1/100 r0/30 outside"},
    {"new hours apply at once", "start=20:00:00", "t5 hours=mon-fri_08:30-12:00 ? t5 ?",
     "@5 -notice @5 ?work w5/100 r0/30 outside @10 ?work w5/100 r0/30 outside"},
    {"the end of working hours during the typing wait", "start=08:59:39 work=20 hours=mon_08:00-09:00",
     "t19 key=0 t1 ? t1 ? -key pause ?",
     "@5 notice:15 @18 keys @20 wait:1500 @20 ?work w20/20 r0/30 wait @21 -notice "
     "@21 ?work w20/20 r0/30 outside wait @21 -wait -keys -notice cover rest@21/30 @21 ?rest w0/20 r0/30 outside"},
    // Eye breaks.
    {"an eye break after its period of work", "work=3120 eye=1200", "t1200", "@1200 eye-break:20"},
    {"the next one counts from this one's start", "work=1000 eye=60 eyelen=5", "t60 eyebreak-closed t60",
     "@60 eye-break:5 @120 eye-break:5"},
    {"a rest closes the eye break", "work=3120 eye=1200", "t1200 start",
     "@1200 eye-break:20 @1200 -notice -eye-break cover rest@1200/30"},
    {"the exit closes the eye break", "work=1000 eye=60", "t60 exit",
     "@60 eye-break:20 @60 -notice -eye-break end-run:0/exit"},
    {"none when eye breaks are off", "work=1000", "t200 ?", "@200 ?work w200/1000 r0/30"},
    {"none in the last five minutes before a rest; counted again after it", "work=400 eye=120",
     "t430 work=1000 applied t120",
     "@340 balloon:one-minute @385 notice:15 @398 keys @400 -keys -notice cover rest@400/30 "
     "@430 uncover rested:30/time play:rest-end @430 -notice @550 eye-break:20"},
    {"a full-screen program holds it back", "work=1000 eye=60", "full t100 -full t1", "@101 eye-break:20"},
    {"an away period starts the count again", "work=1000 eye=60", "t50 lock t3 unlock t59 ? t1",
     "@50 save-work @112 ?work w109/1000 r0/30 @113 eye-break:20"},
    {"an absence restarts the eye-break count", "work=3120 eye=1200", "t1000 lock +10 unlock t1200",
     "@1000 save-work @2210 eye-break:20"},
    {"no eye break outside working hours", "eye=60 hours=mon_10:00-18:00", "t200", "@1 -notice"},
    // The long day (office mode only, once), the end of the run.
    {"office: the long day once", "office work=50000 day=40000", "t3", "@1 long-day"},
    {"office: not yet a long day", "office work=50000 day=32000", "t3", ""},
    {"home: no long day", "work=50000 day=40000", "t3", ""},
    {"the exit records the rest", "", "t110 exit",
     "@40 balloon:one-minute @85 notice:15 @98 keys @100 -keys -notice cover rest@100/30 "
     "@110 -notice end-run:10/exit"},
    {"an exit request is answered at once where it may be", "", "t10 exit-request", "@10 exit"},
    {"an exit request in a rest that may not end early waits for its end", "", "t101 exit-request-held t28 ? t1 t1",
     "@40 balloon:one-minute @85 notice:15 @98 keys @100 -keys -notice cover rest@100/30 @129 ?rest w0/100 r29/30 "
     "@130 uncover rested:30/time play:rest-end exit"},
    {"the end of the session writes a hold", "", "call t50 shutdown",
     "@40 -notice balloon:call tip @50 held@40:11/call end-run:0/shutdown -notice"},
    // The timed pause: nothing counted, no reminder, rest or eye break; afterwards a fresh
    // period. It is no rest, and never ends one.
    {"a pause, then a fresh period", "", "t30 pause-for=1 ? t60 ? t99",
     "@30 -notice pause@30/60 tip @30 ?work w30/100 r0/30 paused @90 pause-end@90/60 tip "
     "@90 ?work w1/100 r0/30 @129 balloon:one-minute @174 notice:15 @187 keys "
     "@189 -keys -notice cover rest@189/30"},
    {"resume ends it at once", "", "t30 pause-for=30 t10 unpause ? t1 ?",
     "@30 -notice pause@30/1800 tip @40 pause-end@40/10 tip @40 ?work w0/100 r0/30 "
     "@41 ?work w1/100 r0/30"},
    {"a pause in place of another ends it", "", "t10 pause-for=30 t5 pause-for=60 ?",
     "@10 -notice pause@10/1800 tip @15 -notice pause-end@15/5 pause@15/3600 tip "
     "@15 ?work w0/100 r0/30 paused"},
    {"a rest asked for ends the pause", "", "pause-for=30 t5 start ?",
     "@0 -notice pause@0/1800 tip @5 pause-end@5/5 -notice cover rest@5/30 @5 ?rest w0/100 r0/30"},
    {"no pause during a rest", "work=5", "t6 pause-for=30 ? unpause",
     "@3 keys @5 -keys -notice cover rest@5/30 @6 refused @6 ?rest w0/5 r1/30"},
    {"a pause during a hold writes the hold down", "", "call t45 pause-for=30 ? -call t10 ?",
     "@40 -notice balloon:call tip @45 -notice held@40:6/call pause@45/1800 tip "
     "@45 ?work w45/100 r0/30 paused @55 ?work w45/100 r0/30 paused"},
    {"a pause at the notice closes it", "", "t90 pause-for=30 ?",
     "@40 balloon:one-minute @85 notice:15 @90 -notice pause@90/1800 tip "
     "@90 ?work w90/100 r0/30 paused"},
    {"no eye break while paused", "work=1000 eye=60", "pause-for=2 t180",
     "@0 -notice pause@0/120 tip @120 pause-end@120/120 tip @179 eye-break:20"},
    {"outside working hours: entering them starts a period, the pause still holds",
     "start=07:59:00 hours=mon_08:00-18:00", "t10 pause-for=5 t60 ? t240 ? t1 ?",
     "@1 -notice @10 -notice pause@10/300 tip @60 rest@1/30 rested:59/schedule -notice "
     "@70 ?work w0/100 r0/30 paused @310 pause-end@310/300 tip @310 ?work w1/100 r0/30 "
     "@311 ?work w2/100 r0/30"},
    {"after a restart the same day it holds until its end", "", "restore-pause=08:50:00-09:10:00 t1 ? t599 ? t1",
     "@1 ?work w0/100 r0/30 paused @600 pause-end@600/1200 tip @600 ?work w1/100 r0/30"},
    {"after a restart its end passed: written down as ended then", "", "restore-pause=08:30:00-08:50:00 t1 ?",
     "@0 pause-end@-600/1200 @1 ?work w1/100 r0/30"},
    {"until tomorrow: midnight", "start=23:50:00", "pause-for=tomorrow t599 ? t1 ?",
     "@0 -notice pause@0/600 tip @599 ?work w0/100 r0/30 paused @600 pause-end@600/600 tip "
     "@600 ?work w1/100 r0/30"},
    {"no delay while paused: it would change nothing", "", "t10 pause-for=1 delay5 ?",
     "@10 -notice pause@10/60 tip @10 ?work w10/100 r0/30 paused"},
    {"locked past its end: no rest written inside the pause", "",
     "t10 pause-for=1 t5 session=locked lock t120 session=unlocked unlock t1 ?",
     "@10 -notice pause@10/60 tip @15 save-work @70 pause-end@70/60 tip @136 ?work w1/100 r0/30"},
    {"idle past its end: no rest written inside the pause", "idlerest", "t10 pause-for=1 t5 idling t120 -idling t1 ?",
     "@10 -notice pause@10/60 tip @70 pause-end@70/60 tip @136 ?work w1/100 r0/30"},
    {"asleep past its end: it ended at its planned end", "", "pause-for=1 suspend +300 resume t1 ?",
     "@0 -notice pause@0/60 tip @0 save-work @301 pause-end@60/60 tip @301 ?work w1/100 r0/30"},
};

class RestClockTable : public ::testing::TestWithParam<Row> {};

TEST_P(RestClockTable, Answers) {
    const Row& row = GetParam();
    Runner runner(row.start);
    EXPECT_EQ(runner.run(row.script), row.expected) << row.name;
}

INSTANTIATE_TEST_SUITE_P(Rows, RestClockTable, ::testing::ValuesIn(kRows));

// The plain tick asks the platform nothing: the hold signals only in the last minute of
// work, the last key only at the cover, the idle time only when it counts.
TEST(RestClock, PlainTicksAskNothing) {
    Runner runner("");
    EXPECT_EQ(runner.run("t39 asked t1 asked"), "@39 asked:h0k0s0i0r0 @40 balloon:one-minute @40 asked:h1k0s0i0r0");
}

}  // namespace
