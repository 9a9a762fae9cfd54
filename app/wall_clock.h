// The calendar clock as the main dialog reads it: the tick's time and the times of the
// history. Tests put a fixed clock in its place to drive a day across midnight; the
// scheduler still counts ticks, never this clock.
#pragma once

#include "kiv/time_kiv.h"

namespace wallclock {

using NowFunction = kiv::Time (*)();

// Installs `fn` (null restores kiv::Time::now) and returns the one it replaces.
NowFunction setNowFunction(NowFunction fn);
kiv::Time now();

}  // namespace wallclock
