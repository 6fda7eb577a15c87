#include "model/mission.h"

namespace zeb {

void Mission::addForce(std::string_view name) {
    auto force = std::make_unique<Force>();
    force->name = copyText(name);
    currentForce = force.get();
    forces.push_back(std::move(force));
    forceIndex_.insert(currentForce->name, position(forces.size() - 1), forceNameAt());
}

bool Mission::isForceDeclared(std::string_view name) const {
    return forceIndex_.find(name, forceNameAt()) != NameIndex::kAbsent;
}

void Mission::addTeam(std::string_view name) {
    auto team = std::make_unique<Team>();
    team->name = copyText(name);
    currentTeam = team.get();
    teams.push_back(currentTeam);
    currentForce->teams.push_back(std::move(team));
    // Plans go to the first team of a name, as a scan in declaration order would find.
    teamIndex_.insert(currentTeam->name, position(teams.size() - 1), teamNameAt());
}

bool Mission::isTeamDeclared(std::string_view name) const {
    return teamIndex_.find(name, teamNameAt()) != NameIndex::kAbsent;
}

void Mission::addMember(std::int32_t kind, std::string_view name, OptionalText secondName) {
    Member& member = currentTeam->members.emplace_back(arena_);
    member.kind = kind;
    member.name = copyText(name);
    member.secondName = copyText(secondName);
    currentMember = &member;
    members.push_back(currentMember);
    memberIndex_.insert(member.name, position(members.size() - 1), memberNameAt());
}

bool Mission::isMemberDeclared(std::string_view name) const {
    return memberIndex_.find(name, memberNameAt()) != NameIndex::kAbsent;
}

void Mission::addWeapon(std::string_view name) {
    member().equipment.push_back(arena_, EquipmentEntry{copyText(name), 0, EquipmentKind::Weapon});
}

void Mission::addAmmo(std::string_view name, std::int32_t count) {
    member().equipment.push_back(arena_, EquipmentEntry{copyText(name), count, EquipmentKind::Ammo});
}

void Mission::addItem(std::string_view name) {
    member().equipment.push_back(arena_, EquipmentEntry{copyText(name), 0, EquipmentKind::Item});
}

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
