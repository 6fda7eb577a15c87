#include "output/source_writers.h"
#include "output/writers.h"

namespace zeb {
namespace {

bool isPlayer(const Member& member) {
    return member.kind == MemberKind::Player;
}

void writeEntry(SourceWriter& w, const EquipmentEntry& entry) {
    writeCommentedLine(w.out, w.find(&entry), 10, [&] {
        switch (entry.kind) {
        case EquipmentKind::Weapon: w.out.put("          weapon "); break;
        case EquipmentKind::Ammo: w.out.put("          ammo   "); break;
        case EquipmentKind::Item: w.out.put("          item   "); break;
        }
        writeQuoted(w.out, entry.name);
        if (entry.kind == EquipmentKind::Ammo) {
            w.out.put(" = ");
            writeInteger(w.out, entry.count);
        }
        w.out.put(';');
    });
}

// An npc always has a skill; a player has one only when the source gave it
// (the record holds 0 until then), and it is kept although the listing
// leaves it out.
void writeSkill(SourceWriter& w, const Member& member) {
    if (isPlayer(member) && member.skill == 0) return;
    writeCommentedLine(w.out, w.find(&member, CommentedPart::Skill), 10, [&] {
        w.out.put("          skill  = ");
        writeSourceReal(w.out, member.skill);
        w.out.put(';');
    });
}

// Weapons, then ammunition, then items, then the skill, as the listing
// has them; every member has its braces, a player without equipment too.
void writeMember(SourceWriter& w, const Member& member, bool onBraceLine) {
    const CommentPlaces* places = w.find(&member);
    if (!onBraceLine) {
        writeBefore(w.out, places, 6);
        w.out.put("      ");
    }
    w.out.put(isPlayer(member) ? "player " : "npc ");
    writeQuoted(w.out, member.name);
    if (member.secondName) {
        w.out.put(' ');
        writeQuoted(w.out, member.secondName);
    }
    endHeadLine(w.out, places, 8);
    w.out.put("        {");
    w.out.endLine();
    for (const EquipmentEntry& entry : member.weapons()) writeEntry(w, entry);
    for (const EquipmentEntry& entry : member.ammo()) writeEntry(w, entry);
    for (const EquipmentEntry& entry : member.items()) writeEntry(w, entry);
    writeSkill(w, member);
    writeInside(w.out, places, 10);
    w.out.put("        };");
    endLastLine(w.out, places, 6);
    writeAfter(w.out, places, 6);
}

bool hasCommentsBefore(const CommentPlaces* places) {
    return places != nullptr && !places->before.empty();
}

// The first member continues the brace's line, unless comments stand
// before it; an empty team closes on that line.
void writeTeam(SourceWriter& w, const Team& team) {
    const CommentPlaces* places = w.find(&team);
    writeBefore(w.out, places, 4);
    w.out.put("    team ");
    writeQuoted(w.out, team.name);
    endHeadLine(w.out, places, 6);
    const bool empty = team.members.begin() == team.members.end();
    const bool hasInside = places != nullptr && !places->inside.empty();
    if (empty && !hasInside) {
        w.out.put("    {     };");
    } else {
        bool first = true;
        for (const Member& member : team.members) {
            const bool onBraceLine = first && !hasCommentsBefore(w.find(&member));
            if (first) {
                w.out.put(onBraceLine ? "    { " : "    {");
                if (!onBraceLine) w.out.endLine();
            }
            writeMember(w, member, onBraceLine);
            first = false;
        }
        if (empty) {
            w.out.put("    {");
            w.out.endLine();
        }
        writeInside(w.out, places, 6);
        w.out.put("    };");
    }
    endLastLine(w.out, places, 4);
    writeAfter(w.out, places, 4);
}

void writeForce(SourceWriter& w, const Force& force) {
    writeSection(
        w.out, w.find(&force),
        [&] {
            w.out.put("  force ");
            writeQuoted(w.out, force.name);
        },
        [&] {
            for (const auto& team : force.teams) writeTeam(w, *team);
        });
}

}  // namespace

void writeSourceForces(SourceWriter& w, const Mission& mission) {
    for (const auto& force : mission.forces) writeForce(w, *force);
}

}  // namespace zeb
