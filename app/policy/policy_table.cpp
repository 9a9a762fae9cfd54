#include "policy/policy_table.h"

namespace policy {
namespace {

const char16_t* const kLanguages[] = {u"zh", u"en", nullptr};

// The ranges the settings dialog accepts, in minutes.
constexpr std::uint32_t kMaxWorkMinutes = 1000000;
constexpr std::uint32_t kMaxRestMinutes = 100000;

}  // namespace

const Definition kPolicies[kPolicyCount] = {
    {Id::WorkMinutes, u"WorkMinutes", Type::Dword, 1, kMaxWorkMinutes, nullptr, u"workTime"},
    {Id::RestMinutes, u"RestMinutes", Type::Dword, 1, kMaxRestMinutes, nullptr, u"relaxTime"},
    {Id::HomeMode, u"HomeMode", Type::Dword, 0, 1, nullptr, u"homeMode"},
    {Id::RestAtFullScreen, u"RestAtFullScreen", Type::Dword, 0, 1, nullptr, u"relaxAtFullScreen"},
    {Id::IdleIsRest, u"IdleIsRest", Type::Dword, 0, 1, nullptr, u"idleIsRest"},
    {Id::HoldForCalls, u"HoldForCalls", Type::Dword, 0, 1, nullptr, u"holdForCalls"},
    {Id::Language, u"Language", Type::Text, 0, 0, kLanguages, u"language"},
    // In the settings file's form; checked for more than being there where it is applied.
    {Id::WorkingHours, u"WorkingHours", Type::Text, 0, 0, nullptr, u"workingHours"},
    {Id::MinimumRestMinutes, u"MinimumRestMinutes", Type::Dword, 1, kMaxRestMinutes, nullptr, u"relaxTime"},
    {Id::MaximumWorkMinutes, u"MaximumWorkMinutes", Type::Dword, 1, kMaxWorkMinutes, nullptr, u"workTime"},
    {Id::AllowEarlyUnlock, u"AllowEarlyUnlock", Type::Dword, 0, 1, nullptr, u"Ctrl+Alt+U"},
    {Id::AllowDelays, u"AllowDelays", Type::Dword, 0, 1, nullptr, u"delay commands"},
    {Id::AllowSkipToday, u"AllowSkipToday", Type::Dword, 0, 1, nullptr, u"no more breaks today"},
    {Id::AllowPause, u"AllowPause", Type::Dword, 0, 1, nullptr, u"pause commands"},
};

}  // namespace policy
