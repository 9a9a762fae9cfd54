// The away detector on its own: events and ticks with the clock's time, no window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "away/away_detector.h"

namespace {

using State = AwayReport::State;

// One event: L lock, U unlock, D remote disconnect, C remote connect, S suspend, R resume,
// T tick (with `idle` seconds of no input, negative when not watched, limit 480).
struct Step {
    char event;
    int64_t at;
    State state;       // the report after it (lock, disconnect and suspend: not checked)
    uint32_t seconds;  // the report's seconds; for R, the seconds asleep
    int64_t idle = -1;
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
        case 'D': detector.remoteDisconnected(s.at); continue;
        case 'S': detector.suspended(s.at); continue;
        case 'U': report = detector.sessionUnlocked(s.at); break;
        case 'C': report = detector.remoteConnected(s.at); break;
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
};

INSTANTIATE_TEST_SUITE_P(Sequences, AwayDetectorTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DetectorCase>& info) { return std::string(info.param.name); });

}  // namespace
