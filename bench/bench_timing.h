// Timing shared by the benchmarks: the best of several rounds, so that a round slowed by
// something else on the machine does not count.
#pragma once

#include <chrono>

namespace kivbench {

template <class F>
double millisecondsOf(F&& work, int rounds = 5) {
    using Clock = std::chrono::steady_clock;
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        work();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (ms < best) best = ms;
    }
    return best;
}

}  // namespace kivbench
