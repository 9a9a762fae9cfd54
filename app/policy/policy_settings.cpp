#include "policy/policy_settings.h"

namespace policy {
namespace {

using settings::Values;

// The value a set policy gives a setting of each type.
void assign(kiv::TimeCount& seconds, const Policies& policies, Id id) { seconds = policies.number(id) * 60; }
void assign(bool& flag, const Policies& policies, Id id) { flag = policies.number(id) != 0; }
void assign(kiv::String& text, const Policies& policies, Id id) { text = policies.text(id); }

bool same(const kiv::TimeCount& a, const kiv::TimeCount& b) { return a.size() == b.size(); }
bool same(bool a, bool b) { return a == b; }
bool same(const kiv::String& a, const kiv::String& b) { return a == b; }

// Each policy that sets a value, and the setting it sets: one line per setting.
template <typename Visit>
void forEachSetting(Visit&& visit) {
    visit(Id::WorkMinutes, &Values::workTime);
    visit(Id::RestMinutes, &Values::relaxTime);
    visit(Id::HomeMode, &Values::homeMode);
    visit(Id::RestAtFullScreen, &Values::relaxAtFullScreen);
    visit(Id::IdleIsRest, &Values::idleIsRest);
    visit(Id::HoldForCalls, &Values::holdForCalls);
    visit(Id::Language, &Values::language);
    visit(Id::WorkingHours, &Values::workingHours);
}

}  // namespace

Values inForce(const Values& own, const Policies& policies) {
    Values values = own;
    forEachSetting([&](Id id, auto member) {
        if (policies.isSet(id)) assign(values.*member, policies, id);
    });
    // Only a set floor or ceiling limits: the file may hold lengths in seconds below a minute.
    const Id ceiling = Id::MaximumWorkMinutes;
    if (policies.isSet(ceiling) && values.workTime.size() > policies.number(ceiling) * 60)
        values.workTime = policies.number(ceiling) * 60;
    const Id floor = Id::MinimumRestMinutes;
    if (policies.isSet(floor) && values.relaxTime.size() < policies.number(floor) * 60)
        values.relaxTime = policies.number(floor) * 60;
    return values;
}

Values toKeep(const Values& chosen, const Values& own, const Policies& policies) {
    const Values forced = inForce(own, policies);
    Values kept = chosen;
    forEachSetting([&](Id, auto member) {
        if (same(chosen.*member, forced.*member)) kept.*member = own.*member;
    });
    return kept;
}

MinuteRange workMinutesRange(const Policies& policies) {
    const Definition& def = definition(Id::WorkMinutes);
    const Id ceiling = Id::MaximumWorkMinutes;
    return {def.minimum, policies.isSet(ceiling) ? policies.number(ceiling) : def.maximum};
}

MinuteRange restMinutesRange(const Policies& policies) {
    const Definition& def = definition(Id::RestMinutes);
    const Id floor = Id::MinimumRestMinutes;
    return {policies.isSet(floor) ? policies.number(floor) : def.minimum, def.maximum};
}

}  // namespace policy
