#include "hours/time_zone.h"

#include <time.h>

namespace hours {

bool isTimeZoneArea(LPARAM area) {
    const auto* name = reinterpret_cast<const wchar_t*>(area);
    if (!name) return false;
    // Windows names the area "intl" for regional settings; "TimeZone" where a tool names
    // the zone itself. WM_TIMECHANGE comes with a change of the zone as well.
    return ::lstrcmpiW(name, L"intl") == 0 || ::lstrcmpiW(name, L"TimeZone") == 0;
}

void takeNewTimeZone() { _tzset(); }

}  // namespace hours
