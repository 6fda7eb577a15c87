#include "output/real_format.h"
#include "output/writers.h"

namespace zeb {
namespace {

// The record starts out as an npc (kind 0); only a player is treated as
// one, so a kind the language cannot produce is written like an npc.
bool isPlayer(const Member& member) {
    return member.kind == MemberKind::Player;
}

bool hasEquipmentBlock(const Member& member) {
    return !isPlayer(member) || !member.equipment.empty();
}

void writeMemberLine(OutputSink& out, const Member& member) {
    out.put(isPlayer(member) ? "player " : "npc ");
    writeQuoted(out, member.name);
    if (member.secondName) {
        out.put(' ');
        writeQuoted(out, member.secondName);
    }
}

void writeNamedEntry(OutputSink& out, std::string_view prefix, Text name) {
    out.put(prefix);
    writeQuoted(out, name);
    out.put(';');
    out.endLine();
}

void writeAmmo(OutputSink& out, const AmmoEntry& ammo) {
    out.put("          ammo   ");
    writeQuoted(out, ammo.name);
    out.put(" = ");
    writeInteger(out, ammo.count);
    out.put(';');
    out.endLine();
}

// All weapons, then all ammunition, then all items, then the skill: the
// source's interleaving is not kept.
void writeEquipmentBlock(OutputSink& out, const Member& member) {
    out.endLine();
    out.put("        { ");
    out.endLine();
    for (const EquipmentEntry& weapon : member.weapons()) writeNamedEntry(out, "          weapon ", weapon.name);
    for (const AmmoEntry& ammo : member.ammo()) writeAmmo(out, ammo);
    for (const EquipmentEntry& item : member.items()) writeNamedEntry(out, "          item   ", item.name);
    if (!isPlayer(member)) {
        out.put("          skill  = ");
        writeReal(out, member.skill);
        out.put(';');
        out.endLine();
    }
    out.put("        };");
    out.endLine();
}

void writeMember(OutputSink& out, const Member& member, bool first) {
    if (!first) out.put("      ");
    writeMemberLine(out, member);
    if (hasEquipmentBlock(member)) {
        writeEquipmentBlock(out, member);
        return;
    }
    out.put("      ;");
    out.endLine();
}

// The first member continues the "{ " line; an empty team closes on it.
void writeTeam(OutputSink& out, const Team& team) {
    out.put("    team ");
    writeQuoted(out, team.name);
    out.endLine();
    out.put("    { ");
    bool first = true;
    for (const Member& member : team.members) {
        writeMember(out, member, first);
        first = false;
    }
    out.put("    };");
    out.endLine();
}

void writeForce(OutputSink& out, const Force& force) {
    out.put("  force ");
    writeQuoted(out, force.name);
    out.endLine();
    out.put("  {");
    out.endLine();
    for (const auto& team : force.teams) writeTeam(out, *team);
    out.put("  };");
    out.endLine();
    out.endLine();
}

}  // namespace

void writeForces(OutputSink& out, const Mission& mission) {
    for (const auto& force : mission.forces) writeForce(out, *force);
}

}  // namespace zeb
