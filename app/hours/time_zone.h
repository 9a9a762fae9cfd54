// The C runtime reads the time zone once per process; the program takes a new one when
// Windows says the clock or the zone changed, so working hours, the day files' names and
// the first start of the day follow a journey or a change of the zone at once.
#pragma once

#include <windows.h>

namespace hours {

// WM_SETTINGCHANGE for the time zone or the regional settings: `area` is its lParam (the
// changed area's name, or null).
bool isTimeZoneArea(LPARAM area);
// The runtime reads the zone again (_tzset).
void takeNewTimeZone();

}  // namespace hours
