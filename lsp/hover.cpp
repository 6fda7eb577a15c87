// What the name under the cursor is, as markdown: a location's coordinates,
// an area's style and lists, a force's teams, a team's force and members, a
// member's kind, equipment and skill.

#include <charconv>

#include "lsp/document_request.h"

namespace zeb::lsp {
namespace {

std::string number(float value) {
    char buffer[32];
    const auto done = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, done.ptr);
}

std::string quoted(std::string_view name) {
    return "\"" + std::string(name) + "\"";
}

std::string joined(const std::vector<Text>& labels) {
    std::string out;
    for (const Text label : labels) {
        if (!out.empty()) out += ", ";
        out += label;
    }
    return out;
}

std::string locationText(const Mission& mission, std::string_view label) {
    const Location* location = mission.findLocation(label);
    if (location == nullptr) return "location `" + std::string(label) + "` (not declared)";
    const Position& p = location->position;
    return "**location** `" + std::string(label) + "` at <" + number(p.x) + ", " + number(p.y) + ", " + number(p.z) +
           ">";
}

std::string areaStyle(AreaStyles styles) {
    std::string out;
    for (const auto& [style, word] : {std::pair{AreaStyle::Open, "open"}, std::pair{AreaStyle::Closed, "closed"},
                                      std::pair{AreaStyle::Roof, "roof"}}) {
        if (!styles.has(style)) continue;
        if (!out.empty()) out += ", ";
        out += word;
    }
    return out.empty() ? "none" : out;
}

std::string areaText(const Mission& mission, std::string_view label) {
    const Area* area = mission.findArea(label);
    if (area == nullptr) return "area `" + std::string(label) + "` (not declared)";
    std::string out = "**area** `" + std::string(label) + "`\n\n- style: " + areaStyle(area->style);
    out += "\n- locations: " + joined(area->locations);
    if (!area->entrances.empty()) out += "\n- entrances: " + joined(area->entrances);
    if (!area->exits.empty()) out += "\n- exits: " + joined(area->exits);
    if (!area->windows.empty()) out += "\n- windows: " + joined(area->windows);
    if (area->radius != 0) out += "\n- radius: " + std::to_string(area->radius);
    return out;
}

const Force* forceOf(const Mission& mission, const Team* team) {
    for (const auto& force : mission.forces) {
        for (const auto& member : force->teams) {
            if (member.get() == team) return force.get();
        }
    }
    return nullptr;
}

std::string forceText(const Mission& mission, std::string_view name) {
    const Force* force = mission.findForce(name);
    if (force == nullptr) return "force " + quoted(name) + " (not declared)";
    std::string out = "**force** " + quoted(name) + "\n\n- teams:";
    if (force->teams.empty()) out += " none";
    for (std::size_t i = 0; i < force->teams.size(); ++i) out += (i == 0 ? " " : ", ") + quoted(force->teams[i]->name);
    return out;
}

std::string teamText(const Mission& mission, std::string_view name) {
    const Team* team = mission.findTeam(name);
    if (team == nullptr) return "team " + quoted(name) + " (not declared)";
    std::string out = "**team** " + quoted(name);
    if (const Force* force = forceOf(mission, team)) out += " of force " + quoted(force->name);
    out += "\n\n- members:";
    if (team->members.empty()) out += " none";
    bool first = true;
    for (const Member& member : team->members) {
        out += (first ? " " : ", ") + quoted(member.name);
        first = false;
    }
    return out;
}

std::string equipmentText(const EquipmentEntry& entry) {
    switch (entry.kind) {
    case EquipmentKind::Weapon: return "weapon " + quoted(entry.name);
    case EquipmentKind::Ammo: return "ammo " + quoted(entry.name) + " = " + std::to_string(entry.count);
    case EquipmentKind::Item: return "item " + quoted(entry.name);
    }
    return {};
}

std::string memberText(const Mission& mission, std::string_view name) {
    const Member* member = mission.findMember(name);
    if (member == nullptr) return "member " + quoted(name) + " (not declared)";
    std::string out = std::string("**") + (member->kind == MemberKind::Npc ? "npc" : "player") + "** " + quoted(name);
    if (member->secondName) out += " " + quoted(*member->secondName);
    out += "\n\n- equipment:";
    if (member->equipment.empty()) out += " none";
    for (const EquipmentEntry& entry : member->equipment) out += "\n  - " + equipmentText(entry);
    out += "\n- skill: " + (member->skill == 0 ? std::string("not set") : number(member->skill));
    return out;
}

}  // namespace

nlohmann::json hover(const DocumentRequest& request) {
    const std::optional<std::size_t> at = request.cursor();
    if (!at) return nullptr;
    const PlacedName* name = request.snapshot.names().at(*at);
    const Mission* mission = request.snapshot.analysis().mission.get();
    if (name == nullptr || mission == nullptr) return nullptr;
    std::string text;
    switch (name->kind) {
    case NameKind::Location: text = locationText(*mission, name->name); break;
    case NameKind::Area: text = areaText(*mission, name->name); break;
    case NameKind::Force: text = forceText(*mission, name->name); break;
    case NameKind::Team: text = teamText(*mission, name->name); break;
    case NameKind::Member: text = memberText(*mission, name->name); break;
    }
    return {{"contents", {{"kind", "markdown"}, {"value", std::move(text)}}},
            {"range", request.positions.rangeJson(name->span)}};
}

}  // namespace zeb::lsp
