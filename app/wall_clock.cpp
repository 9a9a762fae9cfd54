#include "wall_clock.h"

namespace wallclock {
namespace {

NowFunction g_now = &kiv::Time::now;

}  // namespace

NowFunction setNowFunction(NowFunction fn) {
    const NowFunction old = g_now;
    g_now = fn ? fn : &kiv::Time::now;
    return old;
}

kiv::Time now() { return g_now(); }

}  // namespace wallclock
