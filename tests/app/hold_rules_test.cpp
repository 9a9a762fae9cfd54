// What holds a rest, as plain decisions: the signals in, held or not and why out; the
// holds of one work period tick by tick; and how long the cover waits for a pause in typing
// and for an administrator's window to leave the front.
#include <gtest/gtest.h>

#include <string>

#include "hold/cover_wait.h"
#include "hold/hold_rules.h"
#include "hold/typing_pause.h"

namespace {

using hold::HoldState;
using hold::Reason;
using Step = HoldState::Step;

TEST(HoldDecision, EverySignalCombination) {
    const struct {
        bool microphone, camera, presentation, enabled;
        Reason why;
    } rows[] = {
        {false, false, false, true, Reason::None},
        {true, false, false, true, Reason::Call},
        {false, true, false, true, Reason::Camera},
        {false, false, true, true, Reason::Presentation},
        {true, true, false, true, Reason::Call},          // a video call is a call
        {true, false, true, true, Reason::Call},          // a shared screen in a call
        {false, true, true, true, Reason::Camera},
        {true, true, true, true, Reason::Call},
        {true, true, true, false, Reason::None},          // the user turned it off
        {false, false, true, false, Reason::None},
    };
    for (const auto& row : rows) {
        hold::Signals signals;
        signals.microphone = row.microphone;
        signals.camera = row.camera;
        signals.presentation = row.presentation;
        EXPECT_EQ(hold::decide(signals, row.enabled), row.why)
            << row.microphone << row.camera << row.presentation << row.enabled;
    }
}

// A ConsentStore entry left at 0 by a crash, a kill or a power loss holds nothing: only a
// use that began while a copy of its program already ran, after the last boot, counts.
TEST(ConsentEntry, CountsOnlyAUseBegunByARunningCopySinceTheBoot) {
    const uint64_t s = hold::kFileTimeSecond;
    const uint64_t boot = 133500000000000000ull;
    const uint64_t program = boot + 600 * s;  // the running copy started ten minutes after the boot
    const struct {
        const char* what;
        uint64_t usedSince, stoppedAt;
        std::vector<uint64_t> processStarts;
        bool counts;
    } rows[] = {
        {"begun an hour after the program started", program + 3600 * s, 0, {program}, true},
        {"begun as the program started", program, 0, {program}, true},
        {"begun within the slack before it", program - 4 * s, 0, {program}, true},
        {"begun before the running copy started", program - 6 * s, 0, {program}, false},
        {"begun three hours before it started", program - 3 * 3600 * s, 0, {program + 3 * 3600 * s}, false},
        {"one of two copies ran already", program + 60 * s, 0, {program + 120 * s, program}, true},
        {"nothing runs", program + 60 * s, 0, {}, false},
        {"begun before the last boot", boot - 60 * s, 0, {0}, false},
        {"no start recorded", 0, 0, {program}, false},
        {"stopped", program + 60 * s, program + 120 * s, {program}, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(hold::entryCounts(row.usedSince, row.stoppedAt, row.processStarts, boot), row.counts) << row.what;
}

// Runs `ticks` ticks with one reason; the steps that were not None, with the tick number.
std::vector<std::pair<unsigned, Step>> run(HoldState& state, Reason reason, unsigned ticks) {
    std::vector<std::pair<unsigned, Step>> steps;
    for (unsigned i = 1; i <= ticks; ++i) {
        const Step step = state.tick(reason);
        if (step != Step::None) steps.push_back({i, step});
    }
    return steps;
}

TEST(HoldState, BeginsWithTheSignalAndEndsOnTheFirstTickWithout) {
    HoldState state;
    EXPECT_TRUE(run(state, Reason::None, 5).empty());
    EXPECT_FALSE(state.isHeld());
    EXPECT_EQ(run(state, Reason::Call, 30), (std::vector<std::pair<unsigned, Step>>{{1, Step::Began}}));
    EXPECT_TRUE(state.isHeld());
    EXPECT_EQ(state.reason(), Reason::Call);
    EXPECT_EQ(state.seconds(), 30u);
    // A presentation after the call goes on holding: still the one hold, begun by the call.
    EXPECT_TRUE(run(state, Reason::Presentation, 10).empty());
    EXPECT_EQ(state.tick(Reason::None), Step::Ended);
    EXPECT_FALSE(state.isHeld());
    EXPECT_EQ(state.reason(), Reason::Call);
    EXPECT_EQ(state.seconds(), 40u);
    // Another call in the same period is another hold.
    EXPECT_EQ(state.tick(Reason::Camera), Step::Began);
    EXPECT_EQ(state.reason(), Reason::Camera);
    EXPECT_EQ(state.seconds(), 1u);
}

TEST(HoldState, AllHoldsOfAPeriodTogetherLastAtMostTwoHours) {
    const struct {
        unsigned first;  // seconds of a first hold that ends by itself; 0: none
        unsigned timedOutAt;
    } rows[] = {{0, hold::kLongestHold},
                {600, hold::kLongestHold - 600},
                {hold::kLongestHold - 1, 2}};  // a hold that begins says so before it times out
    for (const auto& row : rows) {
        SCOPED_TRACE(row.first);
        HoldState state;
        if (row.first) {
            run(state, Reason::Call, row.first);
            ASSERT_EQ(state.tick(Reason::None), Step::Ended);
        }
        const auto steps = run(state, Reason::Presentation, row.timedOutAt + 100);
        ASSERT_EQ(steps.size(), 2u);
        EXPECT_EQ(steps[0], std::make_pair(1u, Step::Began));
        EXPECT_EQ(steps[1], std::make_pair(row.timedOutAt, Step::TimedOut));
        EXPECT_FALSE(state.isHeld()) << "the call still goes on, the rest no longer waits";
        EXPECT_EQ(state.reason(), Reason::Presentation);
        EXPECT_EQ(state.seconds(), row.timedOutAt);
        // Used up until a new work period.
        state.reset();
        EXPECT_EQ(state.tick(Reason::Call), Step::Began);
    }
}

TEST(TypingPause, TheCoverWaitsForAPauseOfOneAndAHalfSecondsAtMostTenSeconds) {
    const struct {
        long long sinceKey;
        uint32_t waited;
        uint32_t delay;
    } rows[] = {
        {-1, 0, 0},        // no key seen: cover now
        {1500, 0, 0},      // the pause is there
        {60000, 0, 0},
        {0, 0, 1500},      // typed this very moment
        {400, 0, 1100},    // typed just before: wait for the rest of the pause
        {1499, 0, 1},
        {200, 9000, 1000}, // the pause would end after the ten seconds: cut to them
        {0, 9999, 1},
        {0, 10000, 0},     // typed for longer than ten seconds: cover
        {100, 12000, 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(hold::coverDelay(row.sinceKey, row.waited), row.delay) << row.sinceKey << " " << row.waited;
}

TEST(FrontHoldsCover, AWindowOfAHigherLevelOrOfAnUnreadableOneHoldsTheCover) {
    const uint32_t low = 0x1000, medium = 0x2000, high = 0x3000, system = 0x4000;
    const struct {
        const char* name;
        hold::FrontFacts front;  // window, ours, levelKnown, level, ownKnown, ownLevel
        bool holds;
    } rows[] = {
        {"nothing in front", {false, false, false, 0, true, medium}, false},
        {"our own window", {true, true, false, 0, false, 0}, false},
        {"an elevated console", {true, false, true, high, true, medium}, true},
        {"a system process's window", {true, false, true, system, true, high}, true},
        {"an editor at our level", {true, false, true, medium, true, medium}, false},
        {"a sandboxed browser", {true, false, true, low, true, medium}, false},
        {"we run elevated", {true, false, true, medium, true, high}, false},
        {"its level could not be read", {true, false, false, 0, true, high}, true},
        {"ours unread counts as medium: high above it", {true, false, true, high, false, 0}, true},
        {"ours unread counts as medium: medium is not above", {true, false, true, medium, false, 0}, false},
    };
    for (const auto& row : rows) EXPECT_EQ(hold::frontHoldsCover(row.front), row.holds) << row.name;
}

TEST(CoverWait, TheFrontIsWaitedForUpToTwoMinutesWithOneBalloonThenTheTypingPause) {
    const struct {
        bool frontHolds;
        long long sinceKey;
        hold::CoverWait before;  // typing, front
        uint32_t delay;
        bool balloon;
        hold::CoverWait after;
    } rows[] = {
        {false, -1, {0, 0}, 0, false, {0, 0}},              // nothing holds it: cover now
        {true, -1, {0, 0}, 1000, true, {0, 1000}},          // the front: the balloon, a look each second
        {true, 0, {0, 1000}, 1000, false, {0, 2000}},       // typing does not count meanwhile; one balloon
        {true, -1, {0, 119500}, 500, false, {0, 120000}},   // cut to the two minutes
        {true, -1, {0, 120000}, 0, false, {0, 120000}},     // two minutes: cover as always
        {true, 400, {0, 120000}, 1100, false, {1100, 120000}},  // ... at a pause in typing
        {false, 400, {0, 5000}, 1100, false, {1100, 5000}}, // it left: the typing pause has its ten seconds
        {false, 0, {10000, 5000}, 0, false, {10000, 5000}},
    };
    for (const auto& row : rows) {
        hold::CoverWait waited = row.before;
        const hold::CoverStep step = hold::nextCoverStep(row.frontHolds, row.sinceKey, waited);
        const auto line = [](uint32_t delay, bool balloon, const hold::CoverWait& w) {
            return std::to_string(delay) + (balloon ? " balloon" : "") + " waited " + std::to_string(w.typingMs) +
                   "/" + std::to_string(w.frontMs);
        };
        EXPECT_EQ(line(step.delayMs, step.tellFront, waited), line(row.delay, row.balloon, row.after))
            << "front " << row.frontHolds << ", key " << row.sinceKey << ", waited " << row.before.typingMs << "/"
            << row.before.frontMs;
    }
}

}  // namespace
