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
class Seam {
public:
    template <typename Setter>
    Seam(Setter set, const Fn& fake) : m_old(set(fake)), m_restore([set](const Fn& old) { set(old); }) {}
    ~Seam() { m_restore(m_old); }
    Seam(const Seam&) = delete;
    Seam& operator=(const Seam&) = delete;

private:
    Fn m_old;
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
    Seam<wallclock::NowFunction> m_seam{&wallclock::setNowFunction, &FakeClock::now};
};

}  // namespace test
