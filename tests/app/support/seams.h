// The seams the tests turn, held for a scope: a replaceable platform function (each setter
// installs the given one and returns the one it replaces), and the wall clock the scheduler
// reads, set and moved by the test.
#pragma once

#include <functional>

#include "kiv/string_kiv.h"
#include "kiv/time_kiv.h"
#include "wall_clock.h"

namespace test {

template <typename Fn>
class SeamHolder {
public:
    template <typename Setter>
    SeamHolder(Setter set, const Fn& standIn)
        : m_previous(set(standIn)), m_restore([set](const Fn& previous) { set(previous); }) {}
    ~SeamHolder() { m_restore(m_previous); }
    SeamHolder(const SeamHolder&) = delete;
    SeamHolder& operator=(const SeamHolder&) = delete;

private:
    Fn m_previous;
    std::function<void(const Fn&)> m_restore;
};

// The program's clock reads this one while it lives (one at a time).
class FakeClock {
public:
    // A local time, "%Y-%m-%d %H-%M-%S".
    explicit FakeClock(const char16_t* localTime) { set(localTime); }
    void set(const char16_t* localTime) { s_now = kiv::Time(kiv::String(localTime), kiv::String(u"%Y-%m-%d %H-%M-%S")); }
    void advance(int64_t seconds = 1) { s_now = kiv::Time(s_now.timeValue() + seconds); }
    static kiv::Time now() { return s_now; }

private:
    static inline kiv::Time s_now;
    SeamHolder<wallclock::NowFunction> m_seam{&wallclock::setNowFunction, &FakeClock::now};
};

}  // namespace test
