#include "bench/mission_generator.h"

#include <algorithm>
#include <cmath>

namespace zeb::bench {
namespace {

// Stays well inside the parser's stack limit of 10000 entries: a list item
// and its separator take two entries while the list is open, and the lists
// below are open at the same time when nested.
constexpr std::size_t kLongestFlatList = 3000;
constexpr std::size_t kMostPlans = 2000;
constexpr std::size_t kLongestPlan = 2000;

std::string num(std::size_t value) { return std::to_string(value); }

std::string locationLabel(std::size_t index, const MissionShape& shape) {
    return "loc" + num(index % shape.locations);
}

std::string areaLabel(std::size_t index, const MissionShape& shape) {
    return "area" + num(index % shape.areas);
}

std::string teamName(std::size_t force, std::size_t team, const MissionShape& shape) {
    return "t" + num(force * shape.teamsPerForce + team);
}

std::size_t teamCount(const MissionShape& shape) { return shape.forces * shape.teamsPerForce; }

void appendHeader(std::string& text) {
    text += "mission \"Generated operation\"\n{\n";
    text += "  author \"zebbench\";\n";
    text += "  description \"A mission made to measure the parser\";\n";
    text += "  rules { respawn = team; respawn = individual };\n";
}

void appendLocations(std::string& text, const MissionShape& shape) {
    for (std::size_t i = 0; i < shape.locations; ++i) {
        text += "    location " + locationLabel(i, shape) + " = <" + num(i % 1000) + ", -" +
                num(i % 500) + ", " + num(i % 64) + ">;\n";
    }
}

void appendAreas(std::string& text, const MissionShape& shape) {
    static constexpr const char* kStyles[] = {"open", "closed", "roof"};
    for (std::size_t i = 0; i < shape.areas; ++i) {
        text += "    area " + areaLabel(i, shape) + "\n    { style = ";
        text += kStyles[i % 3];
        text += ";\n      locations = " + locationLabel(i, shape) + ", " + locationLabel(i + 1, shape) +
                ", " + locationLabel(i + 2, shape) + ";\n";
        text += "      entrances = " + locationLabel(i, shape) + ";\n";
        text += "      radius = " + num(100 + i % 50) + "\n    };\n";
    }
}

void appendMap(std::string& text, const MissionShape& shape) {
    text += "  map \"Generated ground\"\n  {\n    style = urban, dark;\n";
    text += "    annotation = \"Made by zebbench\";\n";
    appendLocations(text, shape);
    appendAreas(text, shape);
    text += "  };\n";
}

void appendMember(std::string& text, const std::string& team, std::size_t index) {
    const std::string name = "m" + team.substr(1) + "_" + num(index);
    if (index % 3 == 2) {
        text += "      player \"" + name + "\" \"" + name + "x\" { item \"medkit\" }";
        return;
    }
    text += "      npc \"" + name + "\" \"" + name + "s\" { weapon \"rifle\"; ammo \"clip\" = 3; ";
    text += "item \"radio\"; skill = 2.5 }";
}

void appendForces(std::string& text, const MissionShape& shape) {
    for (std::size_t f = 0; f < shape.forces; ++f) {
        text += "  force \"f" + num(f) + "\"\n  {\n";
        for (std::size_t t = 0; t < shape.teamsPerForce; ++t) {
            const std::string team = teamName(f, t, shape);
            text += "    team \"" + team + "\"\n    {\n";
            for (std::size_t m = 0; m < shape.membersPerTeam; ++m) {
                if (m > 0) text += ";\n";
                appendMember(text, team, m);
            }
            text += "\n    };\n";
        }
        text += "  };\n";
    }
}

void appendObjective(std::string& text, std::size_t i, const MissionShape& shape) {
    const std::string team = "t" + num(i % teamCount(shape));
    if (i % 2 == 0) {
        text += "    success (\"" + team + "\", \"hold the ground\") = (reached (\"" + areaLabel(i, shape) +
                "\") && !(eliminated (\"m" + team.substr(1) + "_0\"))) -> { \"done\" }";
    } else {
        text += "    failure (\"f" + num(i % shape.forces) + "\", \"too late\") = (timeout (600) || alive (\"" +
                team + "\")) -> { \"retreat\", \"regroup\" }";
    }
}

void appendObjectives(std::string& text, const MissionShape& shape) {
    text += "  objectives\n  {\n";
    for (std::size_t i = 0; i < shape.objectives; ++i) {
        if (i > 0) text += ";\n";
        appendObjective(text, i, shape);
    }
    text += "\n  };\n";
}

// A round of the statements that check names, so the plans cost lookups
// as well as text.
void appendInstruction(std::string& text, std::size_t i, const MissionShape& shape) {
    const std::string here = locationLabel(i * 7, shape);
    const std::string there = locationLabel(i * 7 + 3, shape);
    text += "    ";
    switch (i % 13) {
    case 0: text += "advance towards " + here + " using \"stealth\""; break;
    case 1: text += "on (contact, code \"go\") { attack towards " + there + "; wait 5 }"; break;
    case 2: text += "patrol (" + areaLabel(i, shape) + ", " + areaLabel(i + 1, shape) + ")"; break;
    case 3: text += "defend towards " + here + " from " + there; break;
    case 4: text += "freeze towards " + here + " for 2.5"; break;
    case 5: text += "spread towards " + here + " within 30"; break;
    case 6: text += "signal towards " + here + " \"ready\""; break;
    case 7: text += "snipe from " + here + " towards " + there; break;
    case 8: text += "take cover from " + here; break;
    case 9: text += "wait until ready"; break;
    case 10: text += "radio \"contact\""; break;
    case 11: text += "split \"half\" 3"; break;
    case 12: text += "wait 7.5"; break;
    }
}

void appendPlans(std::string& text, const MissionShape& shape) {
    if (shape.plans == 0) text += "  ;\n";
    std::size_t statement = 0;
    for (std::size_t p = 0; p < shape.plans; ++p) {
        text += "  plan \"t" + num(p % teamCount(shape)) + "\"\n  {\n";
        for (std::size_t i = 0; i < shape.instructionsPerPlan; ++i) {
            if (i > 0) text += ";\n";
            appendInstruction(text, statement++, shape);
        }
        text += "\n  };\n";
    }
}

}  // namespace

MissionShape shapeForUnits(std::size_t units) {
    units = std::max<std::size_t>(units, 1);
    MissionShape shape;
    shape.locations = std::clamp<std::size_t>(units, 2, kLongestFlatList);
    shape.areas = std::clamp<std::size_t>(units / 2, 2, kLongestFlatList / 3);
    const std::size_t teams = 4 * units;
    // Forces and teams per force both grow as the square root, so neither
    // list nears the stack limit.
    shape.teamsPerForce = std::max<std::size_t>(4, static_cast<std::size_t>(std::ceil(std::sqrt(teams))));
    shape.forces = (teams + shape.teamsPerForce - 1) / shape.teamsPerForce;
    shape.membersPerTeam = 3;
    shape.objectives = std::min(units, kLongestFlatList / 2);
    shape.plans = std::min(teams, kMostPlans);
    shape.instructionsPerPlan = std::clamp<std::size_t>((6 * units + shape.plans - 1) / shape.plans, 1, kLongestPlan);
    return shape;
}

std::string generateMission(const MissionShape& shape) {
    std::string text;
    appendHeader(text);
    appendMap(text, shape);
    appendForces(text, shape);
    appendObjectives(text, shape);
    appendPlans(text, shape);
    text += "}\n";
    return text;
}

}  // namespace zeb::bench
