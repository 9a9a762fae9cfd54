// The policies in force, read from the registry through a replaceable reader: the
// computer's value (HKLM) wins over the user's (HKCU); a value that is not of its type,
// out of its range or unreadable counts as not set, so a wrong value never does more than
// no value. Nothing here writes anywhere.
#pragma once

#include <cstdint>

#include "kiv/string_kiv.h"
#include "policy/policy_table.h"

namespace policy {

enum class Hive { Machine, User };

// One registry value as read.
struct RegistryValue {
    enum Kind { Missing, Dword, Text, Other } kind = Missing;  // Other: any other type, or unreadable
    std::uint32_t number = 0;  // Dword
    kiv::String text;          // Text (REG_SZ), without its terminator
};

// Reads `valueName` under kPolicyKey of `hive`.
using RegistryReader = RegistryValue (*)(Hive hive, const char16_t* valueName);

// Installs `reader` (null: the real registry) and returns the one it replaces.
RegistryReader setRegistryReader(RegistryReader reader);
// Reads through the installed reader (policy_registry.cpp).
RegistryValue readRegistryValue(Hive hive, const char16_t* valueName);

// Whether `value` is a valid setting of the policy `def`.
bool accepts(const Definition& def, const RegistryValue& value);

class Policies {
public:
    bool isSet(Id id) const { return m_set[index(id)]; }
    // The value of a set Dword policy (0 when not set).
    std::uint32_t number(Id id) const { return m_number[index(id)]; }
    // The value of a set Text policy (empty when not set).
    const kiv::String& text(Id id) const { return m_text[index(id)]; }
    // For the Allow... policies: false only when the policy is set to 0.
    bool allows(Id id) const { return !isSet(id) || number(id) != 0; }
    // Whether any policy is in force.
    bool any() const;

    void setNumber(Id id, std::uint32_t value);
    void setText(Id id, const kiv::String& value);

    bool operator==(const Policies& other) const;
    bool operator!=(const Policies& other) const { return !(*this == other); }

private:
    static std::size_t index(Id id) { return static_cast<std::size_t>(id); }
    bool m_set[kPolicyCount] = {};
    std::uint32_t m_number[kPolicyCount] = {};
    kiv::String m_text[kPolicyCount];
};

// Every policy of the table, through the installed reader.
Policies readPolicies();

}  // namespace policy
