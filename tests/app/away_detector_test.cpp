// The away detector on its own: events and ticks with the clock's time, no window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "away/away_detector.h"
#include "away/session_calls.h"
#include "platform_calls.h"

namespace {

using State = AwayReport::State;
using Connection = SessionState::Connection;
using Lock = SessionState::Lock;

// One event: L lock, U unlock, D disconnect, C connect (console or remote: the same to the
// detector), S suspend, R resume, T tick (with `idle` seconds of no input, negative when
// not watched, limit 480), Q the session's state as the session service reads it (`real`).
struct Step {
    char event;
    int64_t at;
    State state;       // the report after it (lock, disconnect and suspend: not checked)
    uint32_t seconds;  // the report's seconds; for R, the seconds asleep
    int64_t idle = -1;
    SessionState real = {};
};

struct DetectorCase {
    const char* name;
    std::vector<Step> steps;
};

class AwayDetectorTest : public ::testing::TestWithParam<DetectorCase> {};

TEST_P(AwayDetectorTest, ReportsAwayAndBackWithTheirLengths) {
    AwayDetector detector;
    const std::vector<Step>& steps = GetParam().steps;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        SCOPED_TRACE("step " + std::to_string(i) + " " + s.event);
        AwayReport report;
        uint32_t asleep = 0;
        switch (s.event) {
        case 'L': detector.sessionLocked(s.at); continue;
        case 'D': detector.disconnected(s.at); continue;
        case 'S': detector.suspended(s.at); continue;
        case 'U': report = detector.sessionUnlocked(s.at); break;
        case 'C': report = detector.connected(s.at); break;
        case 'Q': report = detector.session(s.at, s.real); break;
        case 'R': asleep = detector.resumed(s.at, report); break;
        default: report = detector.tick(s.at, s.idle, 480); break;
        }
        EXPECT_EQ(static_cast<int>(s.state), static_cast<int>(report.state));
        if (s.event == 'R') {
            EXPECT_EQ(s.seconds, asleep);
        } else {
            EXPECT_EQ(s.seconds, report.seconds);
        }
    }
}

const SessionState kUnlocked{Connection::Connected, Lock::Unlocked};
const SessionState kLocked{Connection::Connected, Lock::Locked};
const SessionState kDisconnected{Connection::Disconnected, Lock::Unknown};

const DetectorCase kCases[] = {
    {"Lock", {{'T', 90, State::Present, 0}, {'L', 100, {}, 0}, {'T', 150, State::Away, 50},
              {'U', 700, State::Back, 600}, {'T', 701, State::Present, 0}}},
    {"IdleFromTheLastInput", {{'T', 1000, State::Present, 0, 479}, {'T', 1001, State::Away, 480, 480},
                              {'T', 1100, State::Away, 579, 579}, {'T', 1101, State::Back, 580, 0},
                              {'T', 1102, State::Present, 0, 1}}},
    {"IdleNoLongerWatched", {{'T', 1000, State::Away, 500, 500}, {'T', 1001, State::Back, 501, -1}}},
    {"SleepTwiceResumed", {{'S', 1000, {}, 0}, {'S', 1010, {}, 0}, {'R', 1600, State::Back, 600},
                           {'R', 1601, State::Present, 0}}},
    {"SleepWhileLocked", {{'L', 1000, {}, 0}, {'S', 1100, {}, 0}, {'R', 1700, State::Away, 600},
                          {'T', 1750, State::Away, 750}, {'U', 1800, State::Back, 800}}},
    {"DisconnectedThenLocked", {{'D', 100, {}, 0}, {'L', 110, {}, 0}, {'C', 200, State::Away, 100},
                                {'U', 300, State::Back, 200}}},
    {"IdleWhileLockedStartsAtTheEarlier", {{'L', 1000, {}, 0}, {'T', 1600, State::Away, 700, 700},
                                           {'U', 1700, State::Away, 800}, {'T', 1701, State::Back, 801, 0}}},
    {"ClockSetBack", {{'L', 1000, {}, 0}, {'T', 900, State::Away, 0}, {'U', 900, State::Back, 0}}},
    {"UnlockWithoutLock", {{'U', 100, State::Present, 0}, {'R', 100, State::Present, 0}}},
    // The session service's answer is trusted over the events; what it cannot tell is kept.
    {"LostUnlockFoundByReading", {{'L', 100, {}, 0}, {'Q', 160, State::Back, 60, -1, kUnlocked},
                                  {'T', 161, State::Present, 0}}},
    {"LostLockFoundByReading", {{'Q', 100, State::Away, 0, -1, kLocked},
                                {'T', 150, State::Away, 50}, {'U', 200, State::Back, 100}}},
    {"UnknownReadingKeepsTheEvents", {{'L', 100, {}, 0}, {'Q', 160, State::Away, 60, -1, {}},
                                      {'U', 200, State::Back, 100}}},
    {"ConnectedButStillLocked", {{'D', 100, {}, 0}, {'Q', 200, State::Away, 100, -1, kLocked},
                                 {'Q', 300, State::Back, 200, -1, kUnlocked}}},
    {"DisconnectedWithoutEvent", {{'Q', 100, State::Away, 0, -1, kDisconnected},
                                  {'C', 400, State::Back, 300}}},
    {"ReadingLeavesSleepAndIdle", {{'S', 100, {}, 0}, {'Q', 110, State::Away, 10, -1, kUnlocked},
                                   {'R', 700, State::Back, 600}}},
};

INSTANTIATE_TEST_SUITE_P(Sequences, AwayDetectorTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DetectorCase>& info) { return std::string(info.param.name); });

// A resume that never came: the ticks tell the machine is awake; a late resume counts nothing.
TEST(AwayDetectorSleep, AMinuteOfTicksAfterASuspendEndsIt) {
    AwayDetector detector;
    detector.suspended(1000);
    for (int64_t t = 1001; t < 1000 + AwayDetector::kLostResumeTicks; ++t)
        ASSERT_EQ(static_cast<int>(State::Away), static_cast<int>(detector.tick(t, -1, 480).state)) << t;
    const AwayReport woke = detector.tick(1060, -1, 480);
    EXPECT_EQ(static_cast<int>(State::Back), static_cast<int>(woke.state));
    EXPECT_EQ(60u, woke.seconds);
    AwayReport report;
    EXPECT_EQ(0u, detector.resumed(1100, report));
    EXPECT_EQ(static_cast<int>(State::Present), static_cast<int>(report.state));
}

// The two answers of the session service into a state; a failed query tells nothing.
struct ReadingCase {
    const char* name;
    bool connectRead;
    WTS_CONNECTSTATE_CLASS connectState;
    bool infoRead;
    DWORD level;
    LONG flags;
    bool windows7;
    SessionState expected;
};

class SessionReadingTest : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(SessionReadingTest, GivesTheStateTheAnswersTell) {
    const ReadingCase c = GetParam();
    const away::SessionInfoExHead info{c.level, 1, c.connectState, c.flags};
    const SessionState got =
        away::sessionStateFrom(c.connectRead ? &c.connectState : nullptr, c.infoRead ? &info : nullptr, c.windows7);
    EXPECT_EQ(static_cast<int>(c.expected.connection), static_cast<int>(got.connection));
    EXPECT_EQ(static_cast<int>(c.expected.lock), static_cast<int>(got.lock));
}

const ReadingCase kReadings[] = {
    {"ActiveUnlocked", true, WTSActive, true, 1, 1, false, kUnlocked},
    {"ActiveLocked", true, WTSActive, true, 1, 0, false, kLocked},
    {"ConnectedNotSignedIn", true, WTSConnected, false, 0, 0, false, {Connection::Connected, Lock::Unknown}},
    {"Disconnected", true, WTSDisconnected, true, 1, 0, false, {Connection::Disconnected, Lock::Locked}},
    {"ServiceStates", true, WTSListen, true, 1, -1, false, {Connection::Unknown, Lock::Unknown}},
    {"NothingRead", false, WTSActive, false, 1, 0, false, {Connection::Unknown, Lock::Unknown}},
    {"OtherLevel", true, WTSActive, true, 2, 0, false, {Connection::Connected, Lock::Unknown}},
    {"Windows7Reversed", true, WTSActive, true, 1, 1, true, kLocked},
    {"Windows7Unlocked", true, WTSActive, true, 1, 0, true, kUnlocked},
};

INSTANTIATE_TEST_SUITE_P(Answers, SessionReadingTest, ::testing::ValuesIn(kReadings),
                         [](const ::testing::TestParamInfo<ReadingCase>& info) { return std::string(info.param.name); });

// The display wake-up's own mouse move is not the user coming back.
TEST(OwnInput, TheWakeUpMoveLeavesTheUsersLastInput) {
    struct Row {
        DWORD lastInput;
        platform::OwnInput own;
        DWORD expected;
    };
    const Row rows[] = {
        {5000, {}, 5000},                                      // no move made
        {10000, {true, 10000, 3000}, 3000},                    // the move, stamped at once
        {12000, {true, 10000, 3000}, 3000},                    // stamped late
        {12001, {true, 10000, 3000}, 12001},                   // the user, after the move
        {3000, {true, 10000, 3000}, 3000},                     // the move not stamped yet
        {0x00000100, {true, 0xFFFFFF00, 7}, 7},                // across the counter's wrap
        {0x00001000, {true, 0xFFFFFF00, 7}, 0x00001000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "last input " << row.lastInput << ", move at " << row.own.at);
        EXPECT_EQ(row.expected, platform::userLastInput(row.lastInput, row.own));
    }
}

}  // namespace
