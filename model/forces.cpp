#include "model/mission.h"

namespace zeb {

void Mission::addForce(std::string_view name) {
    auto force = std::make_unique<Force>();
    force->name = copyText(name);
    forceNames_.insert(force->name);
    currentForce = force.get();
    forces.push_back(std::move(force));
}

bool Mission::isForceDeclared(std::string_view name) const { return forceNames_.contains(name); }

void Mission::addTeam(std::string_view name) {
    auto team = std::make_unique<Team>();
    team->name = copyText(name);
    currentTeam = team.get();
    // Plans go to the first team of a name, as a scan in declaration order would find.
    firstTeamByName_.tryEmplace(team->name, currentTeam);
    teams.push_back(currentTeam);
    currentForce->teams.push_back(std::move(team));
}

bool Mission::isTeamDeclared(std::string_view name) const {
    return firstTeamByName_.contains(name);
}

void Mission::addMember(std::int32_t kind, std::string_view name, OptionalText secondName) {
    auto member = std::make_unique<Member>();
    member->kind = kind;
    member->name = copyText(name);
    member->secondName = copyText(secondName);
    memberNames_.insert(member->name);
    currentMember = member.get();
    members.push_back(currentMember);
    currentTeam->members.push_back(std::move(member));
}

bool Mission::isMemberDeclared(std::string_view name) const { return memberNames_.contains(name); }

void Mission::addWeapon(std::string_view name) { currentMember->weapons.push_back(copyText(name)); }

void Mission::addAmmo(std::string_view name, std::int32_t count) {
    currentMember->ammo.push_back(AmmoEntry{copyText(name), count});
}

void Mission::addItem(std::string_view name) { currentMember->items.push_back(copyText(name)); }

void Mission::setSkill(float value) {
    // Written so that a NaN fails both tests and ends up as the lowest skill.
    float skill = 1;
    if (value > 5) {
        skill = 5;
    } else if (value >= 1) {
        skill = value;
    }
    currentMember->skill = skill;
}

}  // namespace zeb
