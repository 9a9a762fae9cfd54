#include "policy/policies.h"

#include <initializer_list>

#include "hours/hours_clock.h"

namespace policy {

bool accepts(const Definition& def, const RegistryValue& value) {
    switch (def.type) {
    case Type::Dword:
        return value.kind == RegistryValue::Dword && value.number >= def.minimum && value.number <= def.maximum;
    case Type::Text:
        if (value.kind != RegistryValue::Text || value.text.isEmpty()) return false;
        if (def.id == Id::WorkingHours) {
            // Only hours the program reads: others would leave the user's hours for none at all.
            hours::Schedule schedule;
            return hours::parseValue(value.text, schedule);
        }
        if (!def.choices) return true;
        for (const char16_t* const* choice = def.choices; *choice; ++choice)
            if (value.text == *choice) return true;
        return false;
    }
    return false;
}

bool Policies::any() const {
    for (bool set : m_set)
        if (set) return true;
    return false;
}

void Policies::setNumber(Id id, std::uint32_t value) {
    m_set[index(id)] = true;
    m_number[index(id)] = value;
}

void Policies::setText(Id id, const kiv::String& value) {
    m_set[index(id)] = true;
    m_text[index(id)] = value;
}

bool Policies::operator==(const Policies& other) const {
    for (std::size_t i = 0; i < kPolicyCount; ++i) {
        if (m_set[i] != other.m_set[i] || m_number[i] != other.m_number[i] || m_text[i] != other.m_text[i])
            return false;
    }
    return true;
}

Policies readPolicies() {
    Policies policies;
    for (const Definition& def : kPolicies) {
        // The computer's value first; an invalid one is as good as none, so the user's counts then.
        for (Hive hive : {Hive::Machine, Hive::User}) {
            const RegistryValue value = readRegistryValue(hive, def.valueName);
            if (!accepts(def, value)) continue;
            if (def.type == Type::Dword)
                policies.setNumber(def.id, value.number);
            else
                policies.setText(def.id, value.text);
            break;
        }
    }
    return policies;
}

}  // namespace policy
