// The monitors a rest covers. They are read in one place (EnumDisplayMonitors); what to do
// with them is decided by plain functions over rectangles, so tests can lay out any desk.
#pragma once

#include <windows.h>

#include <vector>

namespace rest {

struct Monitor {
    RECT rect;     // in virtual-screen pixels; the primary monitor starts at 0,0
    bool primary;
};

// Every monitor of the desktop in the system's order, the primary one flagged; what the
// installed monitor function (below) answers.
std::vector<Monitor> currentMonitors();

// The monitors besides the primary one: each gets a cover of its own, while the rest
// window itself lies over the primary. With no monitor flagged primary, the one at 0,0 is.
std::vector<RECT> extraMonitorRects(const std::vector<Monitor>& monitors);

// Where the monitors come from; tests put in a desk of their own. Returns the previous one.
using MonitorFunction = std::vector<Monitor> (*)();
MonitorFunction setMonitorFunction(MonitorFunction function);

}  // namespace rest
