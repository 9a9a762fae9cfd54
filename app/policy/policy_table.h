// The table of every policy the program reads: its registry value, type and range, and the
// setting or command it governs. The program validates what it reads against this table,
// and the test of the administrative templates (policy/kivTool.admx) checks every policy
// there against it, so the two cannot drift apart.
#pragma once

#include <cstddef>
#include <cstdint>

namespace policy {

// The computer's and the user's policies live under this key of HKLM and HKCU.
constexpr char16_t kPolicyKey[] = u"SOFTWARE\\Policies\\Kelbrook\\kivTool";

enum class Id {
    WorkMinutes,
    RestMinutes,
    HomeMode,
    RestAtFullScreen,
    IdleIsRest,
    HoldForCalls,
    Language,
    WorkingHours,
    MinimumRestMinutes,
    MaximumWorkMinutes,
    AllowEarlyUnlock,
    AllowDelays,
    AllowSkipToday,
    AllowPause,
};
constexpr std::size_t kPolicyCount = 14;

enum class Type {
    Dword,  // REG_DWORD in [minimum, maximum]
    Text,   // REG_SZ, not empty; one of `choices` when there are any
};

struct Definition {
    Id id;
    const char16_t* valueName;
    Type type;
    std::uint32_t minimum;
    std::uint32_t maximum;
    const char16_t* const* choices;  // Text: null-terminated list, or null for any text
    const char16_t* governs;         // the settings key or the command it sets or limits
};

// Indexed by Id.
extern const Definition kPolicies[kPolicyCount];

inline const Definition& definition(Id id) { return kPolicies[static_cast<std::size_t>(id)]; }

}  // namespace policy
