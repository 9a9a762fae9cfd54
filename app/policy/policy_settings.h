// The policies applied to the settings. The program keeps two sets: the user's own values
// (what the settings file holds) and the values in force (those with the policies on
// top). A policy never reaches the file: when it goes away, the user's values are back.
#pragma once

#include <cstdint>

#include "policy/policies.h"
#include "settings_store.h"

namespace policy {

// The user's values with every policy on top: a set value replaces the user's, then the
// rest is lengthened to MinimumRestMinutes and the work period shortened to
// MaximumWorkMinutes.
settings::Values inForce(const settings::Values& own, const Policies& policies);

// What the settings file keeps when the values in force were changed to `chosen`: each
// setting a policy governs whose chosen value is still the one the policies give keeps the
// user's own value; every other setting takes the chosen one. Without policies: `chosen`.
settings::Values toKeep(const settings::Values& chosen, const settings::Values& own, const Policies& policies);

// The minutes the settings dialog accepts, within the policies' floor and ceiling.
struct MinuteRange {
    std::uint32_t minimum;
    std::uint32_t maximum;
};
MinuteRange workMinutesRange(const Policies& policies);
MinuteRange restMinutesRange(const Policies& policies);

}  // namespace policy
