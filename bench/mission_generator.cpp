#include "bench/mission_generator.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace zeb::bench {
namespace {

// The parser's stack holds a whole list until the list ends, two entries an
// item. Locations: 5000 entries at most. Teams: about 2000, in about 45
// forces of 45, so the force and team lists take about 200 entries and a
// team's members (5000 at most; about 4600 at 500 MB) fit beside them. The
// plans list (one plan per team, about 4100 entries) and the longest plan
// (2200 entries at 500 MB; 3600 at most) are open together. A dozen more
// hold the mission's frame.
constexpr std::size_t kMostLocations = 2500;
constexpr std::size_t kMostAreas = 800;
constexpr std::size_t kMostTeams = 2000;
constexpr std::size_t kMostMembers = 2500;
constexpr std::size_t kMostObjectives = 1500;
constexpr std::size_t kLongestPlan = 1800;

// The other kinds. Plan: up to 2000 forces of one team, each team's plan
// (4000 entries) beside its longest list of statements (1800, 3600 entries)
// and the lists of the `on` blocks open inside it (4 deep, 6 entries each).
// Map: 4000 locations (8000 entries), closed before the areas open; 2500
// areas (5000) beside one label list of at most 1700 (3400). Past those the
// map grows by its plans, as the member kind's: about 2000 plans beside the
// longest (7700 entries), with a patrol list of at most 64 areas (128) on
// top. Text: teams and plans as the member kind's; the annotation's lines are
// one list, kept to 400.
constexpr std::size_t kMostMapLocations = 4000;
constexpr std::size_t kMostMapAreas = 2500;
constexpr std::size_t kMostLabelsPerList = 1700;
constexpr std::size_t kLongestPatrol = 64;
constexpr std::size_t kMostAnnotationLines = 400;
constexpr std::size_t kDeepestOn = 4;

constexpr std::size_t kPieceSize = std::size_t{1} << 20;

// splitmix64: small, fast, and the same sequence on every platform.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }

    // A number from 0 to bound - 1 (bound > 0).
    std::size_t below(std::size_t bound) { return static_cast<std::size_t>(next() % bound); }
    std::size_t between(std::size_t low, std::size_t high) { return low + below(high - low + 1); }

private:
    std::uint64_t state_;
};

// Pieces of text the writer knows how to spell.
struct Loc {
    std::size_t index;
};
struct AreaLabel {
    std::size_t index;
};
struct Tenths {
    std::size_t value;  // 25 is written 2.5
};

constexpr std::string_view kWeapons[] = {"rifle", "pistol", "shotgun", "carbine", "sniper rifle"};
constexpr std::string_view kAmmo[] = {"clip", "shells", "belt", "magazine"};
constexpr std::string_view kItems[] = {"medkit", "radio", "flare", "binoculars", "rope", "map case"};
constexpr std::string_view kAreaStyles[] = {"open", "closed", "roof"};
constexpr std::string_view kTactics[] = {"stealth", "speed", "cover", "noise"};
constexpr std::string_view kCodes[] = {"go", "hold", "red", "blue", "fallback"};

constexpr std::string_view kWords[] = {"the",   "north",  "ridge", "holds", "until", "dawn",  "smoke", "over",
                                       "river", "bridge", "(see",  "map)",  "radio", "quiet", "east:", "now!",
                                       "it's",  "clear",  "pass",  "the/",  "road",  "-",     "go?",   "fall_back"};

template <std::size_t N>
std::string_view pick(Random& random, const std::string_view (&choices)[N]) {
    return choices[random.below(N)];
}

class MissionWriter {
public:
    MissionWriter(const MissionShape& shape, std::uint64_t seed, const TextSink& sink)
        : shape_(shape), random_(seed ^ 0x5eed0f2eb0a7c0deULL), sink_(sink), crlf_(shape.kind == ShapeKind::Text) {
        text_.reserve(kPieceSize + 4096);
    }

    void write() {
        const bool member = shape_.kind == ShapeKind::Member;
        writeHeader();
        if (member) {
            writeMap();
        } else {
            writeOtherMap();
        }
        writeForces(member ? &MissionWriter::writeMember : &MissionWriter::writeOtherMember);
        writeObjectives();
        writePlans();
        put("}\n");
        if (!text_.empty()) sink_(text_);
    }

private:
    template <typename... Pieces>
    void put(const Pieces&... pieces) {
        (add(pieces), ...);
        if (text_.size() >= kPieceSize) {
            sink_(text_);
            text_.clear();
        }
    }

    void add(std::string_view piece) {
        if (!crlf_) {
            text_.append(piece);
            return;
        }
        for (char c : piece) {
            if (c == '\n') text_.push_back('\r');
            text_.push_back(c);
        }
    }
    void add(std::size_t number) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
        text_.append(digits, end);
    }
    void add(Loc location) {
        add("loc");
        add(location.index);
    }
    void add(AreaLabel area) {
        add("area");
        add(area.index);
    }
    void add(Tenths real) {
        add(real.value / 10);
        add(".");
        add(real.value % 10);
    }

    std::size_t teams() const { return shape_.forces * shape_.teamsPerForce; }
    Loc anyLocation() { return {random_.below(shape_.locations)}; }

    void writeHeader() {
        put("mission \"Generated operation\"\n{\n", "  author \"zebbench\";\n",
            "  description \"A mission made to measure the parser\";\n",
            "  rules { respawn = team; respawn = individual };\n");
    }

    void writeMap() {
        put("  map \"Generated ground\"\n  {\n    style = urban, dark;\n", "    annotation = \"Made by zebbench\";\n");
        for (std::size_t i = 0; i < shape_.locations; ++i) {
            put("    location ", Loc{i}, " = <", random_.below(1000), ", -", random_.below(500), ", ",
                random_.below(64), ">;\n");
        }
        for (std::size_t i = 0; i < shape_.areas; ++i) {
            const std::size_t first = random_.below(shape_.locations);
            put("    area ", AreaLabel{i}, "\n    { style = ", pick(random_, kAreaStyles),
                ";\n      locations = ", Loc{first}, ", ", Loc{(first + 1) % shape_.locations}, ", ",
                Loc{(first + 2) % shape_.locations}, ";\n      entrances = ", Loc{first},
                ";\n      radius = ", random_.between(10, 999), "\n    };\n");
        }
        put("  };\n");
    }

    void writeMember(std::size_t team, std::size_t index) {
        if (random_.below(3) == 0) {
            put("      player \"m", team, "_", index, "\" \"m", team, "_", index, "x\" { item \"",
                pick(random_, kItems), "\" }");
            return;
        }
        put("      npc \"m", team, "_", index, "\" \"m", team, "_", index, "s\" { weapon \"", pick(random_, kWeapons),
            "\"; ammo \"", pick(random_, kAmmo), "\" = ", random_.between(1, 99), "; item \"", pick(random_, kItems),
            "\"; skill = ", Tenths{random_.between(10, 50)}, " }");
    }

    using MemberWriter = void (MissionWriter::*)(std::size_t team, std::size_t index);

    void writeForces(MemberWriter writeOne) {
        for (std::size_t f = 0; f < shape_.forces; ++f) {
            if (shape_.kind == ShapeKind::Plan && f % 16 == 0) writeComment("  ");
            put("  force \"f", f, "\"\n  {\n");
            for (std::size_t t = 0; t < shape_.teamsPerForce; ++t) {
                const std::size_t team = f * shape_.teamsPerForce + t;
                put("    team \"t", team, "\"\n    {\n");
                for (std::size_t m = 0; m < shape_.membersPerTeam; ++m) {
                    if (m > 0) put(";\n");
                    (this->*writeOne)(team, m);
                }
                put("\n    };\n");
            }
            put("  };\n");
        }
    }

    void writeObjective() {
        const std::size_t team = random_.below(teams());
        if (random_.below(2) == 0) {
            put("    success (\"t", team, "\", \"hold the ground\") = (reached (\"",
                AreaLabel{random_.below(shape_.areas)}, "\") && !(eliminated (\"m", team, "_",
                random_.below(shape_.membersPerTeam), "\"))) -> { \"done\" }");
        } else {
            put("    failure (\"f", random_.below(shape_.forces), "\", \"too late\") = (timeout (",
                random_.between(60, 3600), ") || alive (\"t", team, "\")) -> { \"retreat\", \"regroup\" }");
        }
    }

    // Mix draws each objective's kind; the other kinds draw nothing here, so
    // the member kind's text is what it always was.
    void writeObjectives() {
        put("  objectives\n  {\n");
        for (std::size_t i = 0; i < shape_.objectives; ++i) {
            if (i > 0) put(";\n");
            if (kindHere() == ShapeKind::Text) {
                writeTextObjective();
            } else {
                writeObjective();
            }
        }
        put("\n  };\n");
    }

    // The statements that check labels come most often, so plans cost
    // lookups as well as text.
    void writeInstruction() {
        put("    ");
        switch (random_.below(20)) {
        case 0:
        case 1: put("advance towards ", anyLocation(), " using \"", pick(random_, kTactics), "\""); break;
        case 2:
            put("on (contact, code \"", pick(random_, kCodes), "\") { attack towards ", anyLocation(), "; wait ",
                random_.between(1, 60), " }");
            break;
        case 3: {
            const std::size_t first = random_.below(shape_.areas);
            put("patrol (", AreaLabel{first}, ", ", AreaLabel{(first + 1) % shape_.areas}, ")");
            break;
        }
        case 4:
        case 5: put("defend towards ", anyLocation(), " from ", anyLocation()); break;
        case 6: put("freeze towards ", anyLocation(), " for ", Tenths{random_.between(1, 300)}); break;
        case 7: put("spread towards ", anyLocation(), " within ", random_.between(5, 500)); break;
        case 8: put("signal towards ", anyLocation(), " \"ready\""); break;
        case 9: put("snipe from ", anyLocation(), " towards ", anyLocation()); break;
        case 10: put("take cover from ", anyLocation()); break;
        case 11: put("wait until ready"); break;
        case 12: put("radio \"contact\""); break;
        case 13: put("split \"half\" ", random_.between(1, 9)); break;
        case 14: put("wait ", Tenths{random_.between(1, 600)}); break;
        case 15: put("assemble at ", anyLocation(), " using \"", pick(random_, kTactics), "\""); break;
        case 16: put("observe ", anyLocation()); break;
        case 17: put("moveup to ", anyLocation(), " using \"", pick(random_, kTactics), "\""); break;
        case 18:
            put("on (under fire, casualty) { take cover from ", anyLocation(), "; signal code \"",
                pick(random_, kCodes), "\" }");
            break;
        case 19: put("pullback to ", anyLocation(), " using \"", pick(random_, kTactics), "\""); break;
        }
    }

    void writePlans() {
        if (shape_.plans == 0) {
            put("  ;\n");
            return;
        }
        // Plan p belongs to team (p + offset) mod teams: one plan per team.
        const std::size_t offset = random_.below(teams());
        for (std::size_t p = 0; p < shape_.plans; ++p) {
            put("  plan \"t", (p + offset) % teams(), "\"\n  {\n");
            const std::size_t count =
                shape_.instructions / shape_.plans + (p < shape_.instructions % shape_.plans ? 1 : 0);
            for (std::size_t i = 0; i < count; ++i) {
                if (i > 0) put(";\n");
                writeStatement();
            }
            put("\n  };\n");
        }
    }

    // One statement of the kind at hand (Mix draws it; the others draw
    // nothing here).
    void writeStatement() {
        switch (kindHere()) {
        case ShapeKind::Member: writeInstruction(); break;
        case ShapeKind::Plan:
            if (random_.below(9) == 0) writeComment("    ");
            writePlanInstruction(0);
            break;
        case ShapeKind::Map: writeMapInstruction(); break;
        case ShapeKind::Text: writeTextInstruction(); break;
        case ShapeKind::Mix: writeInstruction(); break;  // not drawn: kindHere() gives one of the others
        }
    }

    // ---- the other kinds ----------------------------------------------------
    // Mix draws each piece from one of the other kinds in turn.
    ShapeKind kindHere() {
        if (shape_.kind != ShapeKind::Mix) return shape_.kind;
        constexpr ShapeKind kinds[] = {ShapeKind::Member, ShapeKind::Plan, ShapeKind::Map, ShapeKind::Text};
        return kinds[random_.below(4)];
    }

    // Words from the quoted-text alphabet, `count` of them.
    void writeWords(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0) put(" ");
            put(pick(random_, kWords));
        }
    }

    void writeLongText(std::size_t low, std::size_t high) {
        put("\"");
        writeWords(random_.between(low, high));
        put(" #", random_.below(1000), " = 100% & more|^@+\"");
    }

    void writeComment(const char* indent) {
        if (random_.below(3) == 0) {
            put(indent, "/* ");
            writeWords(random_.between(3, 12));
            put("\n", indent, "   ");
            writeWords(random_.between(3, 12));
            put(" */\n");
        } else {
            put(indent, "// ");
            writeWords(random_.between(2, 14));
            put("\n");
        }
    }

    void writeLabelList(std::size_t count) {
        const std::size_t first = random_.below(shape_.locations);
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0) put(i % 8 == 0 ? ",\n        " : ", ");
            put(Loc{(first + i * 7) % shape_.locations});
        }
    }

    void writeOtherMap() {
        put("  map \"Generated ground\"\n  {\n    style = urban, dark;\n", "    annotation = \"Made by zebbench\"");
        if (shape_.kind == ShapeKind::Text || shape_.kind == ShapeKind::Mix) {
            const std::size_t lines = std::min(shape_.annotationLines, kMostAnnotationLines / 2);
            for (std::size_t i = 0; i < lines; ++i) {
                // A quoted text over two lines is two lines of the annotation.
                put("\n      ");
                writeLongText(4, 20);
                if (i % 2 == 0) {
                    put("\n      \"");
                    writeWords(random_.between(2, 10));
                    put("\n");
                    writeWords(random_.between(2, 10));
                    put("\"");
                }
            }
        }
        put(";\n");
        for (std::size_t i = 0; i < shape_.locations; ++i) {
            if (shape_.kind == ShapeKind::Text && i % 4 == 0) writeComment("    ");
            put("    location ", Loc{i}, " = <", random_.below(1000), ", -", random_.below(500), ", ",
                random_.below(64), ">;\n");
        }
        for (std::size_t i = 0; i < shape_.areas; ++i) {
            const bool longLists = kindHere() == ShapeKind::Map || shape_.kind == ShapeKind::Map;
            const std::size_t labels = longLists ? shape_.labelsPerArea : 3;
            put("    area ", AreaLabel{i}, "\n    { style = ", pick(random_, kAreaStyles), ";\n      locations = ");
            writeLabelList(labels);
            put(";\n      entrances = ");
            writeLabelList(std::max<std::size_t>(1, labels / 3));
            put(";\n");
            if (longLists) {
                put("      exits = ");
                writeLabelList(std::max<std::size_t>(1, labels / 3));
                // No radius after windows: the tool prints a ";" after the
                // windows, and "windows = ...; radius" does not read back.
                put(";\n      windows = ");
                writeLabelList(std::max<std::size_t>(1, labels / 4));
                put("\n    };\n");
                continue;
            }
            put("      radius = ", random_.between(10, 999), "\n    };\n");
        }
        put("  };\n");
    }

    void writeOtherMember(std::size_t team, std::size_t index) {
        if (kindHere() != ShapeKind::Text) {
            writeMember(team, index);
            return;
        }
        put("      npc \"m", team, "_", index, "\" \"m", team, "_", index, "s\" { weapon ");
        writeLongText(2, 8);
        put("; item ");
        writeLongText(4, 16);
        put("; skill = ", random_.between(1, 5), " }");
    }

    void writeTextObjective() {
        writeComment("    ");
        put("    success (\"t", random_.below(teams()), "\", ");
        writeLongText(6, 30);
        put(") = (occupied (", AreaLabel{random_.below(shape_.areas)}, ") || timeout (", random_.between(1, 999),
            ")) -> { ");
        writeLongText(3, 12);
        put(",\n        ");
        writeLongText(3, 12);
        put(" }");
    }

    std::string_view anyTactic() { return pick(random_, kTactics); }

    void writeTriggers() {
        // Different kinds each: a second code trigger would replace the first.
        const std::size_t first = random_.below(4);
        const std::size_t count = random_.between(1, 3);
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0) put(", ");
            switch ((first + i) % 4) {
            case 0: put("contact"); break;
            case 1: put("under fire"); break;
            case 2: put("casualty"); break;
            default: put("code \"", pick(random_, kCodes), "\""); break;
            }
        }
    }

    void writeIndent(std::size_t depth) {
        for (std::size_t i = 0; i < depth; ++i) put("  ");
    }

    // Every form of the language; `on` blocks nest up to kDeepestOn.
    void writePlanInstruction(std::size_t depth) {
        writeIndent(depth + 2);
        const std::size_t r = random_.below(100);
        if (r < 19 && depth < kDeepestOn) {
            put("on (");
            writeTriggers();
            put(")\n");
            writeIndent(depth + 2);
            put("{\n");
            const std::size_t count = random_.between(1, 3);
            for (std::size_t i = 0; i < count; ++i) {
                if (i > 0) put(";\n");
                writePlanInstruction(depth + 1);
            }
            put("\n");
            writeIndent(depth + 2);
            put("}");
            return;
        }
        if (r < 38) {
            if (r == 37) {
                put("patrol");
                return;
            }
            writePatrol();
            return;
        }
        if (r < 67) {
            switch (random_.below(6)) {
            case 0: put("wait ", random_.between(1, 600)); break;
            case 1: put("wait ", Tenths{random_.between(1, 600)}); break;
            case 2: put("wait forever"); break;
            case 3: put("wait until ready"); break;
            case 4: put("wait until assembled"); break;
            default: put("wait until code (\"", pick(random_, kCodes), "\")"); break;
            }
            return;
        }
        if (r < 77) {
            put("advance towards ", anyLocation(), " using \"", anyTactic(), "\"");
            return;
        }
        switch (random_.below(23)) {
        case 0: put("abort"); break;
        case 1: put("assemble at ", anyLocation(), " using \"", anyTactic(), "\""); break;
        case 2: put("attack towards ", anyLocation()); break;
        case 3: put("continue with phase \"p", random_.below(9), "\""); break;
        case 4: put("defend towards ", anyLocation(), " from ", anyLocation()); break;
        case 5: put("freeze towards ", anyLocation(), " for ", random_.between(1, 300)); break;
        case 6: put("freeze towards ", anyLocation(), " for ", Tenths{random_.between(1, 300)}); break;
        case 7: put("insert at ", anyLocation(), " using \"", anyTactic(), "\""); break;
        case 8: put("join"); break;
        case 9: put("moveup to ", anyLocation(), " using \"", anyTactic(), "\""); break;
        case 10: put("observe ", anyLocation()); break;
        case 11: put("phase \"p", random_.below(9), "\""); break;
        case 12: put("pullback to ", anyLocation(), " using \"", anyTactic(), "\""); break;
        case 13: put("radio \"contact\""); break;
        case 14: put("signal towards ", anyLocation()); break;
        case 15: put("signal towards ", anyLocation(), " \"ready\""); break;
        case 16: put("signal code \"", pick(random_, kCodes), "\""); break;
        case 17: put("snipe from ", anyLocation(), " towards ", anyLocation()); break;
        case 18: put("spawn"); break;
        case 19: put("split \"half\" ", random_.between(1, 9)); break;
        case 20: put("spread towards ", anyLocation(), " within ", random_.between(5, 500)); break;
        case 21: put("spread towards ", anyLocation(), " within ", Tenths{random_.between(5, 500)}); break;
        default: put("take cover from ", anyLocation()); break;
        }
    }

    // The areas of one patrol are two or more, and all different.
    void writePatrol() {
        const std::size_t first = random_.below(shape_.areas);
        const std::size_t count = random_.between(2, std::min(kLongestPatrol, shape_.areas));
        put("patrol (");
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0) put(", ");
            put(AreaLabel{(first + i) % shape_.areas});
        }
        put(")");
    }

    // Past its caps the map grows by statements, so they name the map: a
    // third are patrols over many areas, the rest mostly name locations.
    void writeMapInstruction() {
        if (random_.below(3) != 0) {
            writeInstruction();
            return;
        }
        put("    ");
        writePatrol();
    }

    void writeTextInstruction() {
        writeComment("    ");
        put("    ");
        switch (random_.below(4)) {
        case 0: put("radio "); break;
        case 1: put("signal code "); break;
        case 2: put("signal towards ", anyLocation(), " "); break;
        default: put("continue with phase "); break;
        }
        writeLongText(8, 40);
    }

    const MissionShape& shape_;
    Random random_;
    const TextSink& sink_;
    std::string text_;
    bool crlf_;
};

// The smallest mission the writer can make: a base to grow from by statements.
MissionShape smallestShape() {
    MissionShape shape;
    shape.locations = 2;
    shape.areas = 2;
    shape.forces = 1;
    shape.teamsPerForce = 1;
    shape.membersPerTeam = 1;
    shape.objectives = 1;
    shape.plans = 1;
    shape.instructions = 0;
    return shape;
}

// Forces and teams per force both grow as the square root of the teams, so
// neither list nears the stack limit.
void spreadTeams(MissionShape& shape, std::size_t teams) {
    shape.teamsPerForce = std::max<std::size_t>(4, static_cast<std::size_t>(std::ceil(std::sqrt(teams))));
    shape.forces = (teams + shape.teamsPerForce - 1) / shape.teamsPerForce;
}

std::size_t distance(std::size_t a, std::size_t b) {
    return a > b ? a - b : b - a;
}

// The proportions of the kinds other than Member, per unit of about 1.3 KB
// as far as the sizes allow; statements are the part that is tuned to size.
MissionShape otherShapeForUnits(std::size_t units, ShapeKind kind) {
    MissionShape shape;
    shape.kind = kind;
    shape.objectives = std::clamp<std::size_t>(units / 4, 1, kMostObjectives);
    switch (kind) {
    case ShapeKind::Plan:
        shape.locations = std::clamp<std::size_t>(units, 2, kMostLocations);
        shape.areas = std::clamp<std::size_t>(units / 2, 2, kMostAreas);
        shape.forces = std::clamp<std::size_t>(units / 13, 1, kMostTeams);
        shape.teamsPerForce = 1;
        shape.membersPerTeam = 2;
        shape.instructions = 12 * units;
        break;
    case ShapeKind::Map:
        // The areas' lists grow first (the text as the square of the units
        // until the caps); the statements, which name the map, take the
        // growth past them.
        shape.locations = std::clamp<std::size_t>(4 * units, 2, kMostMapLocations);
        shape.areas = std::clamp<std::size_t>(units / 2, 2, kMostMapAreas);
        shape.labelsPerArea = std::clamp<std::size_t>(units / 8, 3, kMostLabelsPerList);
        spreadTeams(shape, std::clamp<std::size_t>(units / 16, 4, kMostTeams));
        shape.membersPerTeam = 3;
        shape.instructions = 12 * units;
        break;
    case ShapeKind::Text:
        shape.annotationLines = std::min<std::size_t>(units, kMostAnnotationLines / 2);
        shape.locations = std::clamp<std::size_t>(units, 2, kMostLocations);
        shape.areas = std::clamp<std::size_t>(units / 4, 2, kMostAreas);
        spreadTeams(shape, std::clamp<std::size_t>(units / 16, 4, kMostTeams));
        // Two members a unit, however many the teams.
        shape.membersPerTeam =
            std::clamp<std::size_t>(2 * units / (shape.forces * shape.teamsPerForce), 2, kMostMembers);
        shape.instructions = 3 * units;
        break;
    default:
        shape.locations = std::clamp<std::size_t>(units, 2, kMostLocations);
        shape.areas = std::clamp<std::size_t>(units / 2, 2, kMostAreas);
        shape.labelsPerArea = std::clamp<std::size_t>(units / 16, 3, kMostLabelsPerList);
        shape.teamsPerForce = 8;
        shape.forces = std::clamp<std::size_t>(units / 32, 1, kMostTeams / 8);
        shape.membersPerTeam = std::clamp<std::size_t>(units / 256, 3, kMostMembers);
        shape.instructions = 5 * units;
        shape.annotationLines = 8;
        break;
    }
    shape.plans = shape.forces * shape.teamsPerForce;
    shape.instructions = std::min(shape.instructions, shape.plans * kLongestPlan);
    return shape;
}

}  // namespace

bool shapeKindFromName(std::string_view name, ShapeKind& kind) {
    constexpr std::pair<std::string_view, ShapeKind> kNames[] = {{"member", ShapeKind::Member},
                                                                 {"plan", ShapeKind::Plan},
                                                                 {"map", ShapeKind::Map},
                                                                 {"text", ShapeKind::Text},
                                                                 {"mix", ShapeKind::Mix}};
    for (const auto& [spelled, named] : kNames) {
        if (name == spelled) {
            kind = named;
            return true;
        }
    }
    return false;
}

MissionShape shapeForUnits(std::size_t units, ShapeKind kind) {
    units = std::max<std::size_t>(units, 1);
    if (kind != ShapeKind::Member) return otherShapeForUnits(units, kind);
    MissionShape shape;
    shape.locations = std::clamp<std::size_t>(units, 2, kMostLocations);
    shape.areas = std::clamp<std::size_t>(units / 2, 2, kMostAreas);
    // Past 2000 teams the members grow instead.
    spreadTeams(shape, std::min(4 * units, kMostTeams));
    const std::size_t allTeams = shape.forces * shape.teamsPerForce;
    shape.membersPerTeam = std::clamp<std::size_t>((12 * units + allTeams - 1) / allTeams, 3, kMostMembers);
    shape.objectives = std::min(units, kMostObjectives);
    // Every team gets its plan: the written mission lists a plan for every
    // team, so the text stays a fixed point of the formatter at any size.
    shape.plans = allTeams;
    shape.instructions = std::min(6 * units, shape.plans * kLongestPlan);
    return shape;
}

MissionShape shapeForBytes(std::size_t bytes, std::uint64_t seed, ShapeKind kind) {
    const std::size_t tolerance = std::max<std::size_t>(bytes / 400, 48);
    MissionShape shape = smallestShape();
    shape.kind = kind;
    std::size_t size = generatedSize(shape, seed);
    if (size >= bytes) return shape;
    // Coarse: whole units while the text is more than 3% away, keeping the
    // proportions of shapeForUnits.
    if (bytes > generatedSize(shapeForUnits(1, kind), seed)) {
        std::size_t units = std::max<std::size_t>(1, bytes / 1300);
        // The other kinds grow faster than linearly until their caps (an
        // area's lists grow with the areas): smaller steps, more of them.
        const bool member = kind == ShapeKind::Member;
        for (int pass = 0; pass < (member ? 4 : 12); ++pass) {
            shape = shapeForUnits(units, kind);
            size = generatedSize(shape, seed);
            if (distance(size, bytes) * 100 <= 3 * bytes) break;
            const double factor = static_cast<double>(bytes) / static_cast<double>(size);
            const double scaled = static_cast<double>(units) * (member ? factor : std::pow(factor, 0.6));
            units = std::max<std::size_t>(1, static_cast<std::size_t>(scaled));
        }
    }
    // Fine: the number of statements, by the secant, from about 40 bytes each.
    const std::size_t most = shape.plans * kLongestPlan;
    double bytesPerStatement = 40.0;
    for (int pass = 0; pass < 6 && distance(size, bytes) > tolerance; ++pass) {
        const double wanted = static_cast<double>(shape.instructions) +
                              (static_cast<double>(bytes) - static_cast<double>(size)) / bytesPerStatement;
        const std::size_t before = shape.instructions;
        const std::size_t previousSize = size;
        shape.instructions = static_cast<std::size_t>(std::clamp(wanted, 0.0, static_cast<double>(most)));
        if (shape.instructions == before) break;
        size = generatedSize(shape, seed);
        const double moved = static_cast<double>(distance(shape.instructions, before));
        bytesPerStatement = std::max(8.0, static_cast<double>(distance(size, previousSize)) / moved);
    }
    // Small texts: the secant can stop a statement or two away from the best.
    if (bytes < (std::size_t{1} << 20)) {
        MissionShape best = shape;
        std::size_t bestDistance = distance(size, bytes);
        const std::size_t middle = shape.instructions;
        for (std::size_t count = middle > 3 ? middle - 3 : 0; count <= std::min(middle + 3, most); ++count) {
            MissionShape trial = shape;
            trial.instructions = count;
            const std::size_t away = distance(generatedSize(trial, seed), bytes);
            if (away < bestDistance) {
                best = trial;
                bestDistance = away;
            }
        }
        shape = best;
    }
    return shape;
}

void generateMission(const MissionShape& shape, std::uint64_t seed, const TextSink& sink) {
    MissionWriter(shape, seed, sink).write();
}

std::string generateMission(const MissionShape& shape, std::uint64_t seed) {
    std::string text;
    generateMission(shape, seed, [&](std::string_view piece) { text.append(piece); });
    return text;
}

std::size_t generatedSize(const MissionShape& shape, std::uint64_t seed) {
    std::size_t size = 0;
    generateMission(shape, seed, [&](std::string_view piece) { size += piece.size(); });
    return size;
}

}  // namespace zeb::bench
