#include "model/mission_builder.h"

namespace zeb {

void MissionBuilder::addForce(std::string_view name) {
    auto force = std::make_unique<Force>();
    force->name = copyText(name);
    noteDeclaration(NameKind::Force, force->name);
    currentForce_ = force.get();
    auto& forces = mission_.forces;
    forces.push_back(std::move(force));
    mission_.forceIndex_.insert(currentForce_->name, position(forces.size() - 1), mission_.forceNameAt());
}

void MissionBuilder::addTeam(std::string_view name) {
    auto team = std::make_unique<Team>();
    team->name = copyText(name);
    noteDeclaration(NameKind::Team, team->name);
    currentTeam_ = team.get();
    auto& teams = mission_.teams;
    teams.push_back(currentTeam_);
    currentForce_->teams.push_back(std::move(team));
    // Plans go to the first team of a name, as a scan in declaration order would find.
    mission_.teamIndex_.insert(currentTeam_->name, position(teams.size() - 1), mission_.teamNameAt());
}

Member& MissionBuilder::appendMember(MemberKind kind, Text name, OptionalText secondName) {
    Member& member = currentTeam_->members.emplace_back(arena());
    member.kind = kind;
    member.name = name;
    noteDeclaration(NameKind::Member, name);
    member.secondName = copyText(secondName);
    currentMember_ = &member;
    mission_.members.push_back(currentMember_);
    return member;
}

void MissionBuilder::addMember(MemberKind kind, std::string_view name, OptionalText secondName) {
    const Member& member = appendMember(kind, copyText(name), secondName);
    const auto& members = mission_.members;
    mission_.memberIndex_.insert(member.name, position(members.size() - 1), mission_.memberNameAt());
}

bool MissionBuilder::addMemberIfNew(MemberKind kind, std::string_view name, OptionalText secondName) {
    const Text stored = copyText(name);
    // The new member's position is taken before it exists: the index never
    // reads the name at the position it stores.
    const std::uint32_t at = position(mission_.members.size());
    if (mission_.memberIndex_.insertIfAbsent(stored, at, mission_.memberNameAt()) != NameIndex::kAbsent) return false;
    appendMember(kind, stored, secondName);
    return true;
}

void MissionBuilder::addWeapon(std::string_view name) {
    currentMember_->equipment.push_back(arena(), EquipmentEntry{copyText(name), 0, EquipmentKind::Weapon});
}

void MissionBuilder::addAmmo(std::string_view name, std::int32_t count) {
    currentMember_->equipment.push_back(arena(), EquipmentEntry{copyText(name), count, EquipmentKind::Ammo});
}

void MissionBuilder::addItem(std::string_view name) {
    currentMember_->equipment.push_back(arena(), EquipmentEntry{copyText(name), 0, EquipmentKind::Item});
}

void MissionBuilder::setSkill(float value) {
    // Written so that a NaN fails both tests and ends up as the lowest skill.
    float skill = 1;
    if (value > 5) {
        skill = 5;
    } else if (value >= 1) {
        skill = value;
    }
    currentMember_->skill = skill;
}

}  // namespace zeb
