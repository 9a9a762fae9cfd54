#include "desktop/monitor_layout.h"

namespace rest {

namespace {

BOOL CALLBACK collectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(monitor, &info)) return TRUE;
    reinterpret_cast<std::vector<Monitor>*>(param)->push_back({info.rcMonitor, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    return TRUE;
}

std::vector<Monitor> systemMonitors() {
    std::vector<Monitor> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, &collectMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

MonitorFunction g_monitorFunction = &systemMonitors;

bool isPrimary(const Monitor& monitor, bool anyFlagged) {
    if (anyFlagged) return monitor.primary;
    return monitor.rect.left == 0 && monitor.rect.top == 0;
}

}  // namespace

std::vector<Monitor> currentMonitors() { return g_monitorFunction(); }

std::vector<RECT> extraMonitorRects(const std::vector<Monitor>& monitors) {
    bool anyFlagged = false;
    for (const Monitor& m : monitors) anyFlagged = anyFlagged || m.primary;
    std::vector<RECT> extra;
    for (const Monitor& m : monitors) {
        if (!isPrimary(m, anyFlagged) && !::IsRectEmpty(&m.rect)) extra.push_back(m.rect);
    }
    return extra;
}

MonitorFunction setMonitorFunction(MonitorFunction function) {
    const MonitorFunction previous = g_monitorFunction;
    g_monitorFunction = function ? function : &systemMonitors;
    return previous;
}

}  // namespace rest
