// The policies: each value read from a fake registry and checked against the table, the
// computer's over the user's, the real registry reader, and the policies applied to the
// user's settings (set values, the rest's floor, the work period's ceiling) with what the
// settings file keeps.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "fake_policy_registry.h"
#include "policy/policies.h"
#include "policy/policy_settings.h"
#include "policy/policy_table.h"
#include "settings_store.h"

namespace {

using policy::Hive;
using policy::Id;
using policy::RegistryValue;
using test::FakePolicyRegistry;

std::u16string u16(const kiv::String& text) { return std::u16string(text.wstr(), text.length()); }

TEST(PolicyTable, IsIndexedByIdAndNamesEachValueOnce) {
    for (std::size_t i = 0; i < policy::kPolicyCount; ++i) {
        const policy::Definition& def = policy::kPolicies[i];
        EXPECT_EQ(static_cast<std::size_t>(def.id), i) << "row " << i;
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_NE(kiv::String(def.valueName), kiv::String(policy::kPolicies[j].valueName)) << "row " << i;
    }
}

// One value in the registry, and what the program makes of it.
struct ReadRow {
    const char* name;
    Id id;
    RegistryValue value;
    bool set;
    uint32_t number;       // a set Dword policy
    const char16_t* text;  // a set Text policy
};

const ReadRow kReadRows[] = {
    {"WorkInRange", Id::WorkMinutes, FakePolicyRegistry::dword(45), true, 45, nullptr},
    {"WorkLongest", Id::WorkMinutes, FakePolicyRegistry::dword(1000000), true, 1000000, nullptr},
    {"WorkZero", Id::WorkMinutes, FakePolicyRegistry::dword(0), false, 0, nullptr},
    {"WorkTooLong", Id::WorkMinutes, FakePolicyRegistry::dword(1000001), false, 0, nullptr},
    {"WorkAsText", Id::WorkMinutes, FakePolicyRegistry::text(u"45"), false, 0, nullptr},
    {"WorkOtherType", Id::WorkMinutes, FakePolicyRegistry::other(), false, 0, nullptr},
    {"RestLongest", Id::RestMinutes, FakePolicyRegistry::dword(100000), true, 100000, nullptr},
    {"RestTooLong", Id::RestMinutes, FakePolicyRegistry::dword(100001), false, 0, nullptr},
    {"HomeOff", Id::HomeMode, FakePolicyRegistry::dword(0), true, 0, nullptr},
    {"HomeTwo", Id::HomeMode, FakePolicyRegistry::dword(2), false, 0, nullptr},
    {"FullScreenOn", Id::RestAtFullScreen, FakePolicyRegistry::dword(1), true, 1, nullptr},
    {"IdleOn", Id::IdleIsRest, FakePolicyRegistry::dword(1), true, 1, nullptr},
    {"HoldsOn", Id::HoldForCalls, FakePolicyRegistry::dword(1), true, 1, nullptr},
    {"HoldsOff", Id::HoldForCalls, FakePolicyRegistry::dword(0), true, 0, nullptr},
    {"HoldsTwo", Id::HoldForCalls, FakePolicyRegistry::dword(2), false, 0, nullptr},
    {"LanguageEnglish", Id::Language, FakePolicyRegistry::text(u"en"), true, 0, u"en"},
    {"LanguageChinese", Id::Language, FakePolicyRegistry::text(u"zh"), true, 0, u"zh"},
    {"LanguageOther", Id::Language, FakePolicyRegistry::text(u"fr"), false, 0, nullptr},
    {"LanguageCase", Id::Language, FakePolicyRegistry::text(u"EN"), false, 0, nullptr},
    {"LanguageEmpty", Id::Language, FakePolicyRegistry::text(u""), false, 0, nullptr},
    {"LanguageAsNumber", Id::Language, FakePolicyRegistry::dword(1), false, 0, nullptr},
    {"HoursText", Id::WorkingHours, FakePolicyRegistry::text(u"mon-fri 09:00-17:00"), true, 0, u"mon-fri 09:00-17:00"},
    {"HoursTwoEntries", Id::WorkingHours, FakePolicyRegistry::text(u"mon-fri 08:30-12:00 13:00-18:00; sat 09:00-12:00"),
     true, 0, u"mon-fri 08:30-12:00 13:00-18:00; sat 09:00-12:00"},
    // Hours the program does not read would leave the user with none: as if not set.
    {"HoursUnreadable", Id::WorkingHours, FakePolicyRegistry::text(u"1-5 09:00-17:00"), false, 0, nullptr},
    {"HoursNoRange", Id::WorkingHours, FakePolicyRegistry::text(u"mon-fri"), false, 0, nullptr},
    {"HoursEmpty", Id::WorkingHours, FakePolicyRegistry::text(u""), false, 0, nullptr},
    {"HoursAsNumber", Id::WorkingHours, FakePolicyRegistry::dword(9), false, 0, nullptr},
    // The value's limits hold for the policy too: more than 8 ranges on a weekday.
    {"HoursNineRanges", Id::WorkingHours,
     FakePolicyRegistry::text(u"mon 00:00-00:30 01:00-01:30 02:00-02:30 03:00-03:30 04:00-04:30 05:00-05:30 "
                              u"06:00-06:30 07:00-07:30 08:00-08:30"),
     false, 0, nullptr},
    {"FloorInRange", Id::MinimumRestMinutes, FakePolicyRegistry::dword(5), true, 5, nullptr},
    {"FloorZero", Id::MinimumRestMinutes, FakePolicyRegistry::dword(0), false, 0, nullptr},
    {"CeilingInRange", Id::MaximumWorkMinutes, FakePolicyRegistry::dword(45), true, 45, nullptr},
    {"NoEarlyUnlock", Id::AllowEarlyUnlock, FakePolicyRegistry::dword(0), true, 0, nullptr},
    {"EarlyUnlockTwo", Id::AllowEarlyUnlock, FakePolicyRegistry::dword(2), false, 0, nullptr},
    {"NoDelays", Id::AllowDelays, FakePolicyRegistry::dword(0), true, 0, nullptr},
    {"NoSkipToday", Id::AllowSkipToday, FakePolicyRegistry::dword(0), true, 0, nullptr},
};

class PolicyReadTest : public ::testing::TestWithParam<ReadRow> {};

TEST_P(PolicyReadTest, AValueOutsideItsRangeOrTypeCountsAsUnset) {
    const ReadRow& row = GetParam();
    for (Hive hive : {Hive::Machine, Hive::User}) {
        SCOPED_TRACE(hive == Hive::Machine ? "computer" : "user");
        FakePolicyRegistry registry;
        registry.set(hive, policy::definition(row.id).valueName, row.value);
        const policy::Policies read = policy::readPolicies();
        EXPECT_EQ(read.isSet(row.id), row.set);
        EXPECT_EQ(read.any(), row.set) << "no other policy is in force";
        if (!row.set) continue;
        if (row.text)
            EXPECT_EQ(u16(read.text(row.id)), std::u16string(row.text));
        else
            EXPECT_EQ(read.number(row.id), row.number);
    }
}

INSTANTIATE_TEST_SUITE_P(EachValue, PolicyReadTest, ::testing::ValuesIn(kReadRows),
                         [](const ::testing::TestParamInfo<ReadRow>& info) { return std::string(info.param.name); });

TEST(PolicyRead, NothingInTheRegistryIsNoPolicyAndAllowsEverything) {
    FakePolicyRegistry registry;
    const policy::Policies read = policy::readPolicies();
    EXPECT_FALSE(read.any());
    EXPECT_TRUE(read.allows(Id::AllowEarlyUnlock));
    EXPECT_TRUE(read.allows(Id::AllowDelays));
    EXPECT_TRUE(read.allows(Id::AllowSkipToday));
}

TEST(PolicyRead, TheComputersValueWinsAndAnInvalidOneLeavesTheUsers) {
    FakePolicyRegistry registry;
    registry.setNumber(Hive::Machine, u"WorkMinutes", 45);
    registry.setNumber(Hive::User, u"WorkMinutes", 30);
    registry.setNumber(Hive::Machine, u"RestMinutes", 0);  // out of range: as if not there
    registry.setNumber(Hive::User, u"RestMinutes", 12);
    registry.set(Hive::Machine, u"Language", FakePolicyRegistry::other());
    registry.set(Hive::User, u"Language", FakePolicyRegistry::text(u"zh"));
    registry.setNumber(Hive::User, u"AllowDelays", 0);
    const policy::Policies read = policy::readPolicies();
    EXPECT_EQ(read.number(Id::WorkMinutes), 45u);
    EXPECT_EQ(read.number(Id::RestMinutes), 12u);
    EXPECT_EQ(u16(read.text(Id::Language)), u"zh");
    EXPECT_FALSE(read.allows(Id::AllowDelays));
}

// The real reader on the test prefix's own registry (HKCU, removed again).
class RealRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, reinterpret_cast<const wchar_t*>(policy::kPolicyKey), 0, nullptr,
                                    0, KEY_SET_VALUE, nullptr, &m_key, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        ::RegCloseKey(m_key);
        ::RegDeleteKeyW(HKEY_CURRENT_USER, reinterpret_cast<const wchar_t*>(policy::kPolicyKey));
    }
    void put(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(::RegSetValueExW(m_key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
    HKEY m_key = nullptr;
};

TEST_F(RealRegistryTest, ReadsNumbersTextsAndTellsOtherTypesApart) {
    const DWORD work = 45;
    put(L"WorkMinutes", REG_DWORD, &work, sizeof(work));
    const wchar_t english[] = L"en";
    put(L"Language", REG_SZ, english, sizeof(english));
    const wchar_t unterminated[] = {L'z', L'h'};  // stored without its terminator
    put(L"WorkingHours", REG_SZ, unterminated, sizeof(unterminated));
    const BYTE bytes[] = {1, 0, 0, 0};
    put(L"RestMinutes", REG_BINARY, bytes, sizeof(bytes));
    put(L"HomeMode", REG_EXPAND_SZ, english, sizeof(english));

    const RegistryValue number = policy::readRegistryValue(Hive::User, u"WorkMinutes");
    EXPECT_EQ(number.kind, RegistryValue::Dword);
    EXPECT_EQ(number.number, 45u);
    const RegistryValue text = policy::readRegistryValue(Hive::User, u"Language");
    EXPECT_EQ(text.kind, RegistryValue::Text);
    EXPECT_EQ(u16(text.text), u"en");
    EXPECT_EQ(u16(policy::readRegistryValue(Hive::User, u"WorkingHours").text), u"zh");
    EXPECT_EQ(policy::readRegistryValue(Hive::User, u"RestMinutes").kind, RegistryValue::Other);
    EXPECT_EQ(policy::readRegistryValue(Hive::User, u"HomeMode").kind, RegistryValue::Other);
    EXPECT_EQ(policy::readRegistryValue(Hive::User, u"IdleIsRest").kind, RegistryValue::Missing);
    EXPECT_EQ(policy::readRegistryValue(Hive::Machine, u"WorkMinutes").kind, RegistryValue::Missing);

    const policy::Policies read = policy::readPolicies();
    EXPECT_EQ(read.number(Id::WorkMinutes), 45u);
    EXPECT_FALSE(read.isSet(Id::RestMinutes));
    EXPECT_FALSE(read.isSet(Id::HomeMode));
}

// --- Applied to the user's settings ------------------------------------------------------

settings::Values ownValues(uint32_t workSeconds, uint32_t restSeconds) {
    settings::Values values;
    values.workTime = workSeconds;
    values.relaxTime = restSeconds;
    values.homeMode = true;
    values.relaxAtFullScreen = false;
    values.idleIsRest = false;
    return values;
}

struct LengthRow {
    const char* name;
    uint32_t work, rest, floor, ceiling;  // 0: the policy is not set
    uint32_t ownWork, ownRest;            // seconds
    uint32_t wantWork, wantRest;          // seconds
};

const LengthRow kLengthRows[] = {
    {"NoPolicy", 0, 0, 0, 0, 3120, 480, 3120, 480},
    // A regression: the dialog's own range must not act as a floor, or a hand-set rest of a
    // few seconds would last a minute.
    {"NoPolicyKeepsSeconds", 0, 0, 0, 0, 3, 4, 3, 4},
    {"CeilingKeepsSecondsBelow", 0, 0, 10, 45, 3, 700, 3, 700},
    {"SetLengths", 45, 5, 0, 0, 3120, 480, 2700, 300},
    {"CeilingShortensWork", 0, 0, 0, 45, 3120, 480, 2700, 480},
    {"CeilingLeavesShorterWork", 0, 0, 0, 45, 1800, 480, 1800, 480},
    {"CeilingCutsSecondsAbove", 0, 0, 0, 52, 3125, 480, 3120, 480},
    {"FloorLengthensRest", 0, 0, 10, 0, 3120, 480, 3120, 600},
    {"FloorLeavesLongerRest", 0, 0, 10, 0, 3120, 900, 3120, 900},
    {"CeilingBelowASetWork", 60, 0, 0, 45, 3120, 480, 2700, 480},
    {"FloorAboveASetRest", 0, 5, 10, 0, 3120, 480, 3120, 600},
};

class PolicyLengthTest : public ::testing::TestWithParam<LengthRow> {};

TEST_P(PolicyLengthTest, SetValuesThenTheFloorAndTheCeiling) {
    const LengthRow& row = GetParam();
    policy::Policies policies;
    if (row.work) policies.setNumber(Id::WorkMinutes, row.work);
    if (row.rest) policies.setNumber(Id::RestMinutes, row.rest);
    if (row.floor) policies.setNumber(Id::MinimumRestMinutes, row.floor);
    if (row.ceiling) policies.setNumber(Id::MaximumWorkMinutes, row.ceiling);
    const settings::Values own = ownValues(row.ownWork, row.ownRest);
    const settings::Values forced = policy::inForce(own, policies);
    EXPECT_EQ(forced.workTime.size(), row.wantWork);
    EXPECT_EQ(forced.relaxTime.size(), row.wantRest);
    // Unchanged in the dialog, the file keeps the user's own lengths.
    const settings::Values kept = policy::toKeep(forced, own, policies);
    EXPECT_EQ(kept.workTime.size(), row.ownWork);
    EXPECT_EQ(kept.relaxTime.size(), row.ownRest);
}

INSTANTIATE_TEST_SUITE_P(Lengths, PolicyLengthTest, ::testing::ValuesIn(kLengthRows),
                         [](const ::testing::TestParamInfo<LengthRow>& info) { return std::string(info.param.name); });

TEST(PolicySettings, SetSwitchesAndLanguageReplaceTheUsersAndTheFileKeepsTheUsers) {
    policy::Policies policies;
    policies.setNumber(Id::HomeMode, 0);
    policies.setNumber(Id::RestAtFullScreen, 1);
    policies.setNumber(Id::IdleIsRest, 1);
    policies.setText(Id::Language, kiv::String(u"en"));
    policies.setNumber(Id::HoldForCalls, 0);
    policies.setText(Id::WorkingHours, kiv::String(u"mon-fri 09:00-17:00"));
    settings::Values own = ownValues(3120, 480);
    own.relaxMusic = kiv::String(u"D:\\rain.mp3");
    own.workingHours = kiv::String(u"sat 10:00-11:00");
    const settings::Values forced = policy::inForce(own, policies);
    EXPECT_FALSE(forced.homeMode);
    EXPECT_TRUE(forced.relaxAtFullScreen);
    EXPECT_TRUE(forced.idleIsRest);
    EXPECT_EQ(u16(forced.language), u"en");
    EXPECT_FALSE(forced.holdForCalls);
    EXPECT_EQ(u16(forced.workingHours), u"mon-fri 09:00-17:00");
    EXPECT_EQ(u16(forced.relaxMusic), u"D:\\rain.mp3");

    const settings::Values kept = policy::toKeep(forced, own, policies);
    EXPECT_TRUE(kept.homeMode);
    EXPECT_FALSE(kept.relaxAtFullScreen);
    EXPECT_FALSE(kept.idleIsRest);
    EXPECT_TRUE(kept.language.isEmpty());
    EXPECT_TRUE(kept.holdForCalls);
    EXPECT_EQ(u16(kept.workingHours), u"sat 10:00-11:00");
}

TEST(PolicySettings, WhatTheUserChangesIsKeptAndWithoutPoliciesEverything) {
    policy::Policies policies;
    policies.setNumber(Id::MinimumRestMinutes, 10);
    const settings::Values own = ownValues(3120, 300);
    settings::Values chosen = policy::inForce(own, policies);
    chosen.relaxTime = 720;   // lengthened above the floor
    chosen.workTime = 2400;   // not governed at all
    chosen.homeMode = false;
    const settings::Values kept = policy::toKeep(chosen, own, policies);
    EXPECT_EQ(kept.relaxTime.size(), 720u);
    EXPECT_EQ(kept.workTime.size(), 2400u);
    EXPECT_FALSE(kept.homeMode);

    const settings::Values plain = policy::toKeep(chosen, own, policy::Policies());
    EXPECT_EQ(plain.relaxTime.size(), 720u);
    EXPECT_EQ(plain.workTime.size(), 2400u);
}

TEST(PolicySettings, TheDialogsRangesFollowTheFloorAndTheCeiling) {
    policy::Policies policies;
    EXPECT_EQ(policy::workMinutesRange(policies).maximum, 1000000u);
    EXPECT_EQ(policy::restMinutesRange(policies).minimum, 1u);
    policies.setNumber(Id::MaximumWorkMinutes, 45);
    policies.setNumber(Id::MinimumRestMinutes, 10);
    EXPECT_EQ(policy::workMinutesRange(policies).minimum, 1u);
    EXPECT_EQ(policy::workMinutesRange(policies).maximum, 45u);
    EXPECT_EQ(policy::restMinutesRange(policies).minimum, 10u);
    EXPECT_EQ(policy::restMinutesRange(policies).maximum, 100000u);
}

}  // namespace
