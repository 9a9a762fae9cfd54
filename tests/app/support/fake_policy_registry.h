// A registry of policy values in memory, installed as the policies' reader for one test;
// it also takes any policies the test put in force out of the application object again.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "kivtool_app.h"
#include "policy/policies.h"

namespace test {

class FakePolicyRegistry {
public:
    FakePolicyRegistry() {
        values().clear();
        m_previous = policy::setRegistryReader(&read);
    }
    ~FakePolicyRegistry() {
        policy::setRegistryReader(m_previous);
        values().clear();
        theApp.m_policies = policy::Policies();
    }
    FakePolicyRegistry(const FakePolicyRegistry&) = delete;
    FakePolicyRegistry& operator=(const FakePolicyRegistry&) = delete;

    void set(policy::Hive hive, const char16_t* name, const policy::RegistryValue& value) {
        values()[{hive, name}] = value;
    }
    void setNumber(policy::Hive hive, const char16_t* name, uint32_t number) { set(hive, name, dword(number)); }
    void remove(policy::Hive hive, const char16_t* name) { values().erase({hive, name}); }
    void clear() { values().clear(); }

    static policy::RegistryValue dword(uint32_t number) {
        policy::RegistryValue value;
        value.kind = policy::RegistryValue::Dword;
        value.number = number;
        return value;
    }
    static policy::RegistryValue text(const char16_t* text) {
        policy::RegistryValue value;
        value.kind = policy::RegistryValue::Text;
        value.text = kiv::String(text);
        return value;
    }
    static policy::RegistryValue other() {
        policy::RegistryValue value;
        value.kind = policy::RegistryValue::Other;
        return value;
    }

private:
    using Values = std::map<std::pair<policy::Hive, std::u16string>, policy::RegistryValue>;
    static Values& values() {
        static Values stored;
        return stored;
    }
    static policy::RegistryValue read(policy::Hive hive, const char16_t* name) {
        const auto found = values().find({hive, name});
        return found == values().end() ? policy::RegistryValue() : found->second;
    }

    policy::RegistryReader m_previous = nullptr;
};

}  // namespace test
