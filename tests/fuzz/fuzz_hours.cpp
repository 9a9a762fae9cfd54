// Bytes (one text unit each) -> the working-hours value. A text that reads must write back
// to a text that reads to the same schedule, and every decision over it must stay in range:
// inside/outside agrees with the next change, and the dialog's check never reads outside
// the ranges.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "hours/working_hours.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text(data, data + size);
    hours::Schedule schedule;
    if (!hours::parse(text, schedule)) {
        if (schedule.set) std::abort();
        return 0;
    }
    hours::Schedule again;
    if (!hours::parse(hours::format(schedule), again) || !(again == schedule)) std::abort();
    hours::check(schedule);
    for (int day = 0; day < hours::kDaysInWeek; ++day) {
        for (int minute : {0, 1, 359, 720, 1439}) {
            const hours::LocalTime t{day, minute};
            const bool inside = hours::isInside(schedule, t);
            const int change = hours::minutesToChange(schedule, t);
            if (change == 0 || change >= hours::kMinutesInWeek) std::abort();
            if (change > 0) {
                // The decision holds until the change and is the other one there.
                const int later = minute + change;
                const hours::LocalTime there{(day + later / hours::kMinutesInDay) % hours::kDaysInWeek,
                                             later % hours::kMinutesInDay};
                const int before = later - 1;
                const hours::LocalTime last{(day + before / hours::kMinutesInDay) % hours::kDaysInWeek,
                                            before % hours::kMinutesInDay};
                if (hours::isInside(schedule, there) == inside || hours::isInside(schedule, last) != inside)
                    std::abort();
            }
            const int skip = hours::minutesToNextDaysStart(schedule, t);
            if (skip > 8 * hours::kMinutesInDay) std::abort();
        }
    }
    return 0;
}
