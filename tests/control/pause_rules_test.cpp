// The pause's own rules: when a pause ends, and a pause's life as rows of steps (start,
// the tick, resume, a restart the same day).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "control/pause_rules.h"
#include "os_kiv.h"
#include "shared/zone_test.h"

namespace {

using control::Duration;

using PauseRulesTest = test::ZoneTest;

TEST_F(PauseRulesTest, WhenAPauseEnds) {
    const struct {
        const char* zone;
        const char* now;
        Duration length;
        const char* end;
    } rows[] = {
        {"UTC0", "2027-03-15 10-00-00", {false, 30}, "2027-03-15 10-30-00"},
        {"UTC0", "2027-03-15 23-30-10", {false, 120}, "2027-03-16 01-30-10"},  // over midnight
        {"UTC0", "2027-03-15 10-00-00", {true, 0}, "2027-03-16 00-00-00"},
        {"UTC0", "2027-03-15 23-59-59", {true, 0}, "2027-03-16 00-00-00"},
        {"UTC0", "2027-03-15 00-00-00", {true, 0}, "2027-03-16 00-00-00"},     // a whole day
        {"UTC0", "2027-12-31 18-00-00", {true, 0}, "2028-01-01 00-00-00"},
        // Central Europe's spring-forward day is 23 hours long: midnight is still midnight.
        {"CET-1CEST,M3.5.0,M10.5.0/3", "2027-03-28 01-00-00", {true, 0}, "2027-03-29 00-00-00"},
    };
    for (const auto& row : rows) {
        kiv::os::setTimeZone(row.zone);
        EXPECT_EQ(text(control::pauseEnd(local(row.now), row.length)), row.end) << row.zone << " " << row.now;
    }
}

TEST_F(PauseRulesTest, APauseStartsRunsOutResumesAndSurvivesARestart) {
    enum Step { Start30, Start60, Tick, Resume, Restore };
    struct Row {
        const char* name;
        std::vector<std::pair<Step, const char*>> steps;  // what happens, at what time
        bool paused;                // afterwards
        const char* until;          // while paused
        bool ended;                 // the last step ended a pause
        control::PauseRecord record;       // ... and wrote this
    };
    const char* t0 = "2027-03-15 10-00-00";
    const Row rows[] = {
        {"a started pause holds", {{Start30, t0}, {Tick, "2027-03-15 10-29-59"}}, true, "2027-03-15 10-30-00", false, {}},
        {"it runs out at its end",
         {{Start30, t0}, {Tick, "2027-03-15 10-30-00"}},
         false, nullptr, true,
         {local(t0), local("2027-03-15 10-30-00"), local("2027-03-15 10-30-00")}},
        {"a late tick (after sleep) ends it at its planned end",
         {{Start30, t0}, {Tick, "2027-03-15 12-00-00"}},
         false, nullptr, true,
         {local(t0), local("2027-03-15 10-30-00"), local("2027-03-15 10-30-00")}},
        {"resume ends it now",
         {{Start30, t0}, {Resume, "2027-03-15 10-10-00"}},
         false, nullptr, true,
         {local(t0), local("2027-03-15 10-30-00"), local("2027-03-15 10-10-00")}},
        {"resume without a pause does nothing", {{Resume, t0}}, false, nullptr, false, {}},
        {"a second pause ends the first",
         {{Start30, t0}, {Start60, "2027-03-15 10-20-00"}},
         true, "2027-03-15 11-20-00", true,
         {local(t0), local("2027-03-15 10-30-00"), local("2027-03-15 10-20-00")}},
        {"... and is ended on its own",
         {{Start30, t0}, {Start60, "2027-03-15 10-20-00"}, {Resume, "2027-03-15 10-40-00"}},
         false, nullptr, true,
         {local("2027-03-15 10-20-00"), local("2027-03-15 11-20-00"), local("2027-03-15 10-40-00")}},
        {"after a restart before its end it holds",
         {{Restore, "2027-03-15 10-05-00"}}, true, "2027-03-15 10-30-00", false, {}},
        {"after a restart past its end it is over",
         {{Restore, "2027-03-15 10-30-00"}}, false, nullptr, false, {}},
    };
    for (const Row& row : rows) {
        control::PauseState state;
        bool ended = false;
        control::PauseRecord record;
        for (const auto& step : row.steps) {
            const kiv::Time at = local(step.second);
            ended = false;
            switch (step.first) {
            case Start30: ended = state.start(at, {false, 30}, record); break;
            case Start60: ended = state.start(at, {false, 60}, record); break;
            case Tick: ended = state.look(at, record); break;
            case Resume: ended = state.resume(at, record); break;
            case Restore: state.restore(local(t0), local("2027-03-15 10-30-00"), at); break;
            }
        }
        EXPECT_EQ(state.isPaused(), row.paused) << row.name;
        if (row.paused) {
            EXPECT_EQ(text(state.until()), row.until) << row.name;
        }
        EXPECT_EQ(ended, row.ended) << row.name;
        if (row.ended) {
            EXPECT_EQ(record, row.record) << row.name;
        }
    }
}

// After a restart: a day file, read on the day `now` falls on unless another is named; a
// pause whose end passed meanwhile ended then.
TEST_F(PauseRulesTest, APauseInTodaysFileHoldsAfterARestartUntilItsEnd) {
    const uint32_t h = 3600, m = 60;
    const struct {
        const char* name;
        std::vector<history::Pause> pauses;
        const char* now;
        const char* until;            // null: not paused
        const char* ended = nullptr;  // when one that ran out ended
        const char* day = nullptr;    // of the file, when not today's
    } rows[] = {
        {"running, its end still to come", {{14 * h, 14 * h + 30 * m, false, 0}}, "2027-03-15 14-10-00",
         "2027-03-15 14-30-00"},
        {"running, its end passed while the program was not", {{14 * h, 14 * h + 30 * m, false, 0}},
         "2027-03-15 14-30-00", nullptr, "2027-03-15 14-30-00"},
        {"ended by a resume", {{14 * h, 14 * h + 30 * m, true, 14 * h + 5 * m}}, "2027-03-15 14-10-00", nullptr},
        {"only the last one counts",
         {{9 * h, 17 * h, false, 0}, {14 * h, 14 * h + 30 * m, true, 14 * h + 5 * m}}, "2027-03-15 14-10-00",
         nullptr},
        {"over midnight: its end is tomorrow's", {{23 * h + 30 * m, 1 * h + 30 * m, false, 0}},
         "2027-03-15 23-45-00", "2027-03-16 01-30-00"},
        {"until tomorrow: midnight", {{10 * h, 0, false, 0}}, "2027-03-15 20-00-00", "2027-03-16 00-00-00"},
        {"yesterday's, over midnight, still running", {{23 * h + 30 * m, 1 * h + 30 * m, false, 0}},
         "2027-03-15 00-45-00", "2027-03-15 01-30-00", nullptr, "2027-03-14 12-00-00"},
        {"yesterday's until tomorrow", {{17 * h, 0, false, 0}}, "2027-03-15 08-00-00", nullptr,
         "2027-03-15 00-00-00", "2027-03-14 12-00-00"},
        {"begun later than now (the clock went back)", {{14 * h, 14 * h + 30 * m, false, 0}},
         "2027-03-15 13-00-00", nullptr},
        {"no pause", {}, "2027-03-15 14-10-00", nullptr},
    };
    for (const auto& row : rows) {
        control::PauseState state;
        control::PauseRecord ranOut;
        const kiv::Time day = local(row.day ? row.day : row.now);
        const auto restored = state.restoreFromDay(row.pauses, day, local(row.now), ranOut);
        EXPECT_EQ(restored == control::PauseState::Restored::Holds, row.until != nullptr) << row.name;
        EXPECT_EQ(state.isPaused(), row.until != nullptr) << row.name;
        if (row.until) {
            EXPECT_EQ(text(state.until()), row.until) << row.name;
        }
        const bool ranOutMeanwhile = restored == control::PauseState::Restored::RanOut;
        EXPECT_EQ(ranOutMeanwhile ? text(ranOut.ended) : "", row.ended ? row.ended : "") << row.name;
    }
}

// The day before, also next to the days Central Europe's clocks change (23 and 25 hours).
TEST_F(PauseRulesTest, TheDayBeforeIsTheCalendarsDayBefore) {
    kiv::os::setTimeZone("CET-1CEST,M3.5.0,M10.5.0/3");
    const std::pair<const char*, const char*> rows[] = {
        {"2027-03-15 00-00-00", "2027-03-14"}, {"2027-03-15 23-59-59", "2027-03-14"},
        {"2027-03-28 23-30-00", "2027-03-27"}, {"2027-03-29 00-30-00", "2027-03-28"},
        {"2027-10-31 23-30-00", "2027-10-30"}, {"2027-11-01 00-30-00", "2027-10-31"},
    };
    for (const auto& row : rows) EXPECT_EQ(text(control::dayBefore(local(row.first))).substr(0, 10), row.second);
}

}  // namespace
