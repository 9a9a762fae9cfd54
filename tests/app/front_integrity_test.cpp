// Reading the window in front for the cover: the calls that tell its process's integrity
// level and ours, in order, against a made-up desktop (Wine runs every process at one level).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desktop/front_integrity.h"
#include "hold_fakes.h"

namespace {

TEST(FrontIntegrity, TheLevelsAreReadWithTheLeastAccessAndOnlyForAnotherProgramsWindow) {
    using Calls = std::vector<std::string>;
    const Calls both = {"token own", "integrity", "open 4242", "token front", "integrity"};
    const struct {
        const char* name;
        bool nothingInFront, ours, openRefused, frontTokenRefused, ownTokenRefused;
        DWORD level;
        Calls calls;
        bool holds;
    } rows[] = {
        {"nothing in front", true, false, false, false, false, test::FakeFront::kHigh, {}, false},
        {"our own window", false, true, false, false, false, test::FakeFront::kHigh, {}, false},
        {"an elevated program", false, false, false, false, false, test::FakeFront::kHigh, both, true},
        {"a program at our level", false, false, false, false, false, test::FakeFront::kMedium, both, false},
        {"the process cannot be opened", false, false, true, false, false, test::FakeFront::kMedium,
         {"token own", "integrity", "open 4242"}, true},
        {"its token cannot be opened", false, false, false, true, false, test::FakeFront::kMedium,
         {"token own", "integrity", "open 4242", "token front"}, true},
        {"our token cannot be opened", false, false, false, false, true, test::FakeFront::kHigh,
         {"token own", "open 4242", "token front", "integrity"}, true},
    };
    for (const auto& row : rows) {
        test::FakeFront front;
        if (row.nothingInFront) front.window = nullptr;
        if (row.ours) front.process = ::GetCurrentProcessId();
        front.openRefused = row.openRefused;
        front.frontTokenRefused = row.frontTokenRefused;
        front.ownTokenRefused = row.ownTokenRefused;
        front.level = row.level;
        const bool holds = hold::frontHoldsCover(rest::readFront());
        EXPECT_EQ(front.calls, row.calls) << row.name;
        EXPECT_EQ(holds, row.holds) << row.name;
    }
}

}  // namespace
