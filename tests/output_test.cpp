#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "model/mission.h"
#include "output/mission_printer.h"
#include "output/output_sink.h"
#include "output/writers.h"

namespace zeb {
namespace {

// ---- building records by hand --------------------------------------------

std::string printed(const Mission& mission) {
    std::string text;
    OutputSink out(&text);
    print(out, mission);
    return text;
}

template <typename Write>
std::string captured(Write write) {
    std::string text;
    OutputSink out(&text);
    write(out);
    return text;
}

// Pieces of a line reach the capture only when the line ends.
template <typename Write>
std::string piece(Write write) {
    std::string text = captured([&](OutputSink& out) {
        write(out);
        out.endLine();
    });
    text.pop_back();
    return text;
}

// Lists and blocks built by hand need storage that outlives each test's
// records; one arena for the whole test program is enough.
Arena& testArena() {
    static Arena arena;
    return arena;
}

// A patrol's list points at texts kept elsewhere: here, the test arena.
ArenaRefList<Text> textRefs(std::initializer_list<Text> items) {
    ArenaRefList<Text> refs;
    for (Text item : items) refs.push_back(testArena(), *testArena().make<Text>(item));
    return refs;
}

EquipmentEntry weapon(Text name) {
    return EquipmentEntry{name, 0, EquipmentKind::Weapon};
}
EquipmentEntry ammo(Text name, std::int32_t count) {
    return EquipmentEntry{name, count, EquipmentKind::Ammo};
}
EquipmentEntry item(Text name) {
    return EquipmentEntry{name, 0, EquipmentKind::Item};
}

void equip(Member& member, std::initializer_list<EquipmentEntry> entries) {
    for (const EquipmentEntry& entry : entries) member.equipment.push_back(testArena(), entry);
}

Location location(Text label, float x, float y, float z) {
    return Location{label, {x, y, z}};
}

Area& addArea(Mission& mission, Text label, AreaStyles style) {
    mission.areas.push_back(std::make_unique<Area>());
    mission.areas.back()->label = label;
    mission.areas.back()->style = style;
    return *mission.areas.back();
}

Force& addForce(Mission& mission, Text name) {
    mission.forces.push_back(std::make_unique<Force>());
    mission.forces.back()->name = name;
    return *mission.forces.back();
}

Team& addTeam(Mission& mission, Force& force, Text name) {
    force.teams.push_back(std::make_unique<Team>());
    force.teams.back()->name = name;
    mission.teams.push_back(force.teams.back().get());
    return *force.teams.back();
}

Member& addMember(Team& team, MemberKind kind, Text name, OptionalText secondName, float skill = 0) {
    Member& member = team.members.emplace_back(testArena());
    member.kind = kind;
    member.name = name;
    member.secondName = secondName;
    member.skill = skill;
    return member;
}

Instruction ins(InstructionKind kind, OptionalText first = std::nullopt, OptionalText second = std::nullopt,
                float value = 0) {
    Instruction instruction;
    instruction.kind = kind;
    instruction.owner = "Blue";
    instruction.first = first;
    instruction.second = second;
    instruction.value = value;
    return instruction;
}

Instruction withValue(InstructionKind kind, float value) {
    Instruction instruction = ins(kind, std::nullopt, std::nullopt, value);
    instruction.owner = std::nullopt;
    return instruction;
}

Instruction phase(Text name) {
    Instruction instruction = ins(InstructionKind::Phase);
    instruction.owner = name;
    return instruction;
}

Instruction patrol(std::initializer_list<Text> areas) {
    Instruction instruction = ins(InstructionKind::Patrol);
    instruction.hasAreaList = true;
    instruction.areas = textRefs(areas);
    return instruction;
}

Instruction unknown(std::int32_t kind) {
    Instruction instruction;
    instruction.kind = static_cast<InstructionKind>(kind);
    return instruction;
}

template <typename... Instructions>
InstructionList list(Instructions&&... instructions) {
    InstructionList result;
    (result.push_back(testArena(), std::forward<Instructions>(instructions)), ...);
    return result;
}

Instruction on(TriggerEvents events, OptionalText code, InstructionList block) {
    Instruction instruction = ins(InstructionKind::On, code);
    instruction.events = events;
    instruction.block = testArena().make<InstructionList>(std::move(block));
    return instruction;
}

std::string statements(const InstructionList& instructions, int indent = 6) {
    return captured([&](OutputSink& out) { writeInstructions(out, instructions, indent); });
}

using Node = std::unique_ptr<ConditionNode>;

Node leaf(ConditionKind kind, Text name) {
    auto node = std::make_unique<ConditionNode>();
    node->kind = kind;
    node->name = name;
    return node;
}

Node timeout(std::int32_t count) {
    auto node = std::make_unique<ConditionNode>();
    node->kind = ConditionKind::Timeout;
    node->count = count;
    return node;
}

Node op(ConditionKind kind, Node left, Node right = nullptr) {
    auto node = std::make_unique<ConditionNode>();
    node->kind = kind;
    if (left) left->parent = node.get();
    if (right) right->parent = node.get();
    node->left = std::move(left);
    node->right = std::move(right);
    return node;
}

std::string condition(const Node& node) {
    return piece([&](OutputSink& out) { writeCondition(out, node.get()); });
}

Objective& addObjective(Mission& mission, Outcome outcome, Text subject, Text description, Node root,
                        std::vector<Text> results) {
    mission.objectives.emplace_back();
    Objective& objective = mission.objectives.back();
    objective.outcome = outcome;
    objective.subject = subject;
    objective.description = description;
    objective.root = std::move(root);
    objective.condition = objective.root.get();
    objective.results = std::move(results);
    return objective;
}

// ---- header, rules and the whole frame -----------------------------------

TEST(MissionPrint, EmptyMissionGivesEveryFixedSection) {
    Mission mission;
    EXPECT_EQ(printed(mission),
              "mission \"\"\n"
              "{\n"
              "  author\n"
              "    \"\";\n"
              "\n"
              "  description\n"
              "    \"\";\n"
              "\n"
              "  rules\n"
              "  {\n"
              "  };\n"
              "\n"
              "  map \"\"\n"
              "  {\n"
              "    style = none;\n"
              "\n"
              "  };\n"
              "\n"
              "  objectives\n"
              "  {\n"
              "  };\n"
              "\n"
              "}\n");
}

TEST(MissionPrint, HeaderAndOneRule) {
    Mission mission;
    mission.missionName = "Night raid";
    mission.author = "Planning cell";
    mission.description = "Clear the warehouse";
    mission.rules.push_back(Rule{RuleKind::Respawn, RespawnMode::Team});
    EXPECT_EQ(captured([&](OutputSink& out) {
                  writeHeader(out, mission);
                  writeRules(out, mission);
              }),
              "mission \"Night raid\"\n"
              "{\n"
              "  author\n"
              "    \"Planning cell\";\n"
              "\n"
              "  description\n"
              "    \"Clear the warehouse\";\n"
              "\n"
              "  rules\n"
              "  {\n"
              "    respawn = team;\n"
              "  };\n"
              "\n");
}

TEST(MissionPrint, RulesKeepTheirOrderAndSkipOtherKinds) {
    Mission mission;
    mission.rules.push_back(Rule{RuleKind::Respawn, RespawnMode::None});
    mission.rules.push_back(Rule{static_cast<RuleKind>(2), RespawnMode::Team});
    mission.rules.push_back(Rule{RuleKind::Respawn, RespawnMode::Team});
    mission.rules.push_back(Rule{RuleKind::Respawn, RespawnMode::Individual});
    EXPECT_EQ(captured([&](OutputSink& out) { writeRules(out, mission); }),
              "  rules\n"
              "  {\n"
              "    respawn = none;\n"
              "    respawn = team;\n"
              "    respawn = individual;\n"
              "  };\n"
              "\n");
}

TEST(MissionPrint, TextsAreWrittenAsStored) {
    Mission mission;
    mission.missionName = "a\\b";
    mission.author = " ";
    mission.description = "it's C:\\maps\\";
    EXPECT_EQ(captured([&](OutputSink& out) { writeHeader(out, mission); }),
              "mission \"a\\b\"\n"
              "{\n"
              "  author\n"
              "    \" \";\n"
              "\n"
              "  description\n"
              "    \"it's C:\\maps\\\";\n"
              "\n");
}

TEST(MissionPrint, SectionsComeInOrderAndTheMissionCloses) {
    Mission mission;
    Force& red = addForce(mission, "Red");
    Team& alpha = addTeam(mission, red, "Alpha");
    alpha.instructions = list(ins(InstructionKind::Abort));
    std::string text = printed(mission);
    std::size_t map = text.find("  map ");
    std::size_t force = text.find("  force ");
    std::size_t objectives = text.find("  objectives\n");
    std::size_t plan = text.find("  plan ");
    ASSERT_NE(plan, std::string::npos);
    EXPECT_LT(text.find("  rules\n"), map);
    EXPECT_LT(map, force);
    EXPECT_LT(force, objectives);
    EXPECT_LT(objectives, plan);
    const std::string ending = "  plan \"Alpha\"\n  {\n      abort;\n  };\n\n}\n";
    ASSERT_GE(text.size(), ending.size());
    EXPECT_EQ(text.substr(text.size() - ending.size()), ending);
}

// ---- map ------------------------------------------------------------------

std::string map(const Mission& mission) {
    return captured([&](OutputSink& out) { writeMap(out, mission); });
}

TEST(MapOutput, Example) {
    Mission mission;
    mission.mapName = "Warehouse";
    mission.mapStyle = MapStyle::Urban | MapStyle::Dark;
    mission.annotation = "Night map";
    mission.locations.push_back(location("door", 100, 250, 0));
    mission.locations.push_back(location("window", -20, 30, 64));
    Area& hall = addArea(mission, "hall", AreaStyle::Closed);
    hall.locations = {"door", "window"};
    hall.entrances = {"door"};
    hall.radius = 300;
    EXPECT_EQ(map(mission),
              "  map \"Warehouse\"\n"
              "  {\n"
              "    style = urban, dark;\n"
              "\n"
              "    annotation = \"Night map\";\n"
              "\n"
              "    location door   = <  100,   250,     0>;\n"
              "    location window = <  -20,    30,    64>;\n"
              "\n"
              "    area hall\n"
              "    { style     = closed;\n"
              "      locations = door, window;\n"
              "      entrances = door;\n"
              "      radius    = 300;\n"
              "    };\n"
              "  };\n"
              "\n");
}

TEST(MapOutput, EmptyMap) {
    Mission mission;
    mission.mapName = "Empty";
    EXPECT_EQ(map(mission),
              "  map \"Empty\"\n"
              "  {\n"
              "    style = none;\n"
              "\n"
              "  };\n"
              "\n");
}

TEST(MapOutput, StyleWordsInFixedOrder) {
    Mission mission;
    mission.mapStyle = MapStyle::Indoor | MapStyle::Open | MapStyle::Dark | MapStyle::Urban;
    EXPECT_NE(map(mission).find("    style = urban, dark, open, indoor;\n\n"), std::string::npos);
    mission.mapStyle = MapStyle::Indoor | MapStyle::Urban;
    EXPECT_NE(map(mission).find("    style = urban, indoor;\n\n"), std::string::npos);
}

TEST(MapOutput, AnnotationAfterStyleWithoutLocations) {
    Mission mission;
    mission.annotation = "first part, second part";
    EXPECT_EQ(map(mission),
              "  map \"\"\n"
              "  {\n"
              "    style = none;\n"
              "\n"
              "    annotation = \"first part, second part\";\n"
              "\n"
              "  };\n"
              "\n");
}

TEST(MapOutput, AnnotationKeepsItsLineBreaks) {
    Mission mission;
    mission.annotation = "line one\nline two";
    EXPECT_NE(map(mission).find("    annotation = \"line one\nline two\";\n\n"), std::string::npos);
}

TEST(MapOutput, LabelsAlignAndWideCoordinatesAreWrittenWhole) {
    Mission mission;
    mission.locations.push_back(location("a", 0, -32768, 32767));
    mission.locations.push_back(location("gatehouse", 1, -1, 12345));
    mission.locations.push_back(location("yard", -2000, 0, 0));
    EXPECT_EQ(map(mission),
              "  map \"\"\n"
              "  {\n"
              "    style = none;\n"
              "\n"
              "    location a         = <    0, -32768, 32767>;\n"
              "    location gatehouse = <    1,    -1, 12345>;\n"
              "    location yard      = <-2000,     0,     0>;\n"
              "  };\n"
              "\n");
}

TEST(MapOutput, DuplicateLabelsGiveTwoLines) {
    Mission mission;
    mission.locations.push_back(location("gate", 1, 2, 3));
    mission.locations.push_back(location("gate", 4, 5, 6));
    std::string text = map(mission);
    EXPECT_NE(text.find("    location gate = <    1,     2,     3>;\n"
                        "    location gate = <    4,     5,     6>;\n"
                        "  };\n"),
              std::string::npos);
}

TEST(MapOutput, AreaWithOnlyStyleAndLocations) {
    Mission mission;
    mission.locations.push_back(location("x", 1, 1, 1));
    addArea(mission, "yard", AreaStyle::Open).locations = {"x", "x"};
    EXPECT_EQ(map(mission),
              "  map \"\"\n"
              "  {\n"
              "    style = none;\n"
              "\n"
              "    location x = <    1,     1,     1>;\n"
              "\n"
              "    area yard\n"
              "    { style     = open;\n"
              "      locations = x, x;\n"
              "    };\n"
              "  };\n"
              "\n");
}

TEST(MapOutput, AreasAreSeparatedByBlankLinesAndEveryListEndsWithSemicolon) {
    Mission mission;
    Area& roof = addArea(mission, "roof", AreaStyle::Roof);
    roof.locations = {"a", "b"};
    roof.entrances = {"a"};
    roof.exits = {"b", "a"};
    roof.windows = {"c"};
    roof.radius = -5;
    addArea(mission, "bare", {});
    addArea(mission, "odd", AreaStyle::Open | AreaStyle::Closed);
    EXPECT_EQ(map(mission),
              "  map \"\"\n"
              "  {\n"
              "    style = none;\n"
              "\n"
              "\n"
              "    area roof\n"
              "    { style     = roof;\n"
              "      locations = a, b;\n"
              "      entrances = a;\n"
              "      exits     = b, a;\n"
              "      windows   = c;\n"
              "      radius    = -5;\n"
              "    };\n"
              "\n"
              "    area bare\n"
              "    { style     = none;\n"
              "      locations = ;\n"
              "    };\n"
              "\n"
              "    area odd\n"
              "    { style     = none;\n"
              "      locations = ;\n"
              "    };\n"
              "  };\n"
              "\n");
}

TEST(MapOutput, RadiusZeroHasNoLine) {
    Mission mission;
    addArea(mission, "hall", AreaStyle::Closed).radius = 0;
    EXPECT_EQ(map(mission).find("radius"), std::string::npos);
}

// ---- forces ---------------------------------------------------------------

std::string forces(const Mission& mission) {
    return captured([&](OutputSink& out) { writeForces(out, mission); });
}

TEST(ForcesOutput, Example) {
    Mission mission;
    Force& red = addForce(mission, "Red");
    Team& alpha = addTeam(mission, red, "Alpha");
    Member& hawk = addMember(alpha, MemberKind::Npc, "Hawk", "grunt", 3);
    equip(hawk, {item("vest"), ammo("shells", 20), weapon("shotgun")});
    addMember(alpha, MemberKind::Player, "Lynx", "leader");
    addTeam(mission, red, "Bravo");
    EXPECT_EQ(forces(mission),
              "  force \"Red\"\n"
              "  {\n"
              "    team \"Alpha\"\n"
              "    { npc \"Hawk\" \"grunt\"\n"
              "        { \n"
              "          weapon \"shotgun\";\n"
              "          ammo   \"shells\" = 20;\n"
              "          item   \"vest\";\n"
              "          skill  = 3;\n"
              "        };\n"
              "      player \"Lynx\" \"leader\"      ;\n"
              "    };\n"
              "    team \"Bravo\"\n"
              "    {     };\n"
              "  };\n"
              "\n");
}

TEST(ForcesOutput, NoForcesWritesNothing) {
    EXPECT_EQ(forces(Mission{}), "");
}

TEST(ForcesOutput, NpcWithoutEquipmentStillHasItsSkill) {
    Mission mission;
    Team& team = addTeam(mission, addForce(mission, "F"), "T");
    addMember(team, MemberKind::Npc, "Solo", std::nullopt, 2.5f);
    EXPECT_EQ(forces(mission),
              "  force \"F\"\n"
              "  {\n"
              "    team \"T\"\n"
              "    { npc \"Solo\"\n"
              "        { \n"
              "          skill  = 2.5;\n"
              "        };\n"
              "    };\n"
              "  };\n"
              "\n");
}

TEST(ForcesOutput, PlayerWithItemHasNoSkillLine) {
    Mission mission;
    Team& team = addTeam(mission, addForce(mission, "F"), "T");
    addMember(team, MemberKind::Npc, "First", std::nullopt, 5);
    equip(addMember(team, MemberKind::Player, "Lynx", std::nullopt, 4), {item("radio")});
    EXPECT_EQ(forces(mission),
              "  force \"F\"\n"
              "  {\n"
              "    team \"T\"\n"
              "    { npc \"First\"\n"
              "        { \n"
              "          skill  = 5;\n"
              "        };\n"
              "      player \"Lynx\"\n"
              "        { \n"
              "          item   \"radio\";\n"
              "        };\n"
              "    };\n"
              "  };\n"
              "\n");
}

TEST(ForcesOutput, PlayerWithoutEquipmentFirstInTeam) {
    Mission mission;
    Team& team = addTeam(mission, addForce(mission, "F"), "T");
    addMember(team, MemberKind::Player, "Lynx", std::nullopt, 3);
    addMember(team, MemberKind::Player, "Wolf", "x");
    EXPECT_EQ(forces(mission),
              "  force \"F\"\n"
              "  {\n"
              "    team \"T\"\n"
              "    { player \"Lynx\"      ;\n"
              "      player \"Wolf\" \"x\"      ;\n"
              "    };\n"
              "  };\n"
              "\n");
}

TEST(ForcesOutput, EquipmentGroupedByKindWithNegativeCount) {
    Mission mission;
    Team& team = addTeam(mission, addForce(mission, "F"), "T");
    Member& member = addMember(team, MemberKind::Npc, "M", "", 1.25f);
    equip(member, {item("x"), ammo("a", -3), weapon("rifle"), item("y"), ammo("b", 0), weapon("rifle")});
    EXPECT_EQ(forces(mission),
              "  force \"F\"\n"
              "  {\n"
              "    team \"T\"\n"
              "    { npc \"M\" \"\"\n"
              "        { \n"
              "          weapon \"rifle\";\n"
              "          weapon \"rifle\";\n"
              "          ammo   \"a\" = -3;\n"
              "          ammo   \"b\" = 0;\n"
              "          item   \"x\";\n"
              "          item   \"y\";\n"
              "          skill  = 1.25;\n"
              "        };\n"
              "    };\n"
              "  };\n"
              "\n");
}

TEST(ForcesOutput, TeamsWithoutBlankLinesForcesWithOne) {
    Mission mission;
    Force& red = addForce(mission, "Red");
    addTeam(mission, red, "A");
    addTeam(mission, red, "B");
    addTeam(mission, addForce(mission, "Blue"), "C");
    EXPECT_EQ(forces(mission),
              "  force \"Red\"\n"
              "  {\n"
              "    team \"A\"\n"
              "    {     };\n"
              "    team \"B\"\n"
              "    {     };\n"
              "  };\n"
              "\n"
              "  force \"Blue\"\n"
              "  {\n"
              "    team \"C\"\n"
              "    {     };\n"
              "  };\n"
              "\n");
}

TEST(ForcesOutput, ForceWithoutTeams) {
    Mission mission;
    addForce(mission, "Empty");
    EXPECT_EQ(forces(mission), "  force \"Empty\"\n  {\n  };\n\n");
}

// ---- objectives and plans ---------------------------------------------------

std::string objectivesAndPlans(const Mission& mission) {
    return captured([&](OutputSink& out) {
        writeObjectives(out, mission);
        writePlans(out, mission);
    });
}

TEST(ObjectivesOutput, Example) {
    Mission mission;
    Team& blue = addTeam(mission, addForce(mission, "F"), "Blue");
    addObjective(mission, Outcome::Success, "Blue", "Take the hall",
                 op(ConditionKind::And, leaf(ConditionKind::Reached, "hall"),
                    op(ConditionKind::Not, leaf(ConditionKind::Eliminated, "Leader"))),
                 {"Blue hold", "Red retreat"});
    addObjective(mission, Outcome::Failure, "Blue", "Out of time",
                 op(ConditionKind::Or, timeout(600), leaf(ConditionKind::Occupied, "gate")), {"Blue retreat"});
    blue.instructions = list(ins(InstructionKind::Advance, "gate", "fast"), withValue(InstructionKind::Wait, 30));
    EXPECT_EQ(objectivesAndPlans(mission),
              "  objectives\n"
              "  {\n"
              "    success\n"
              "      ( \"Blue\",\n"
              "        \"Take the hall\"\n"
              "      )\n"
              "      =  ( reached(\"hall\") && !( eliminated(\"Leader\") ) )\n"
              "      -> {\"Blue hold\", \"Red retreat\"};\n"
              "\n"
              "    failure\n"
              "      ( \"Blue\",\n"
              "        \"Out of time\"\n"
              "      )\n"
              "      =  ( timeout(600) || occupied(gate) )\n"
              "      -> {\"Blue retreat\"};\n"
              "  };\n"
              "\n"
              "  plan \"Blue\"\n"
              "  {\n"
              "      advance towards gate using \"fast\";\n"
              "      wait 30;\n"
              "  };\n"
              "\n");
}

TEST(ObjectivesOutput, NoObjectives) {
    EXPECT_EQ(objectivesAndPlans(Mission{}), "  objectives\n  {\n  };\n\n");
}

TEST(ObjectivesOutput, SingleObjectiveWithSingleLeafAndEmptyDescription) {
    Mission mission;
    addObjective(mission, Outcome::Failure, "Red", "", leaf(ConditionKind::Alive, "Hawk"), {"done"});
    EXPECT_EQ(objectivesAndPlans(mission),
              "  objectives\n"
              "  {\n"
              "    failure\n"
              "      ( \"Red\",\n"
              "        \"\"\n"
              "      )\n"
              "      =  alive(\"Hawk\")\n"
              "      -> {\"done\"};\n"
              "  };\n"
              "\n");
}

TEST(ConditionOutput, Leaves) {
    EXPECT_EQ(condition(leaf(ConditionKind::Reached, "hall")), "reached(\"hall\")");
    EXPECT_EQ(condition(leaf(ConditionKind::Eliminated, "Red")), "eliminated(\"Red\")");
    EXPECT_EQ(condition(leaf(ConditionKind::Alive, "Hawk")), "alive(\"Hawk\")");
    EXPECT_EQ(condition(leaf(ConditionKind::Occupied, "yard")), "occupied(yard)");
    EXPECT_EQ(condition(timeout(-30)), "timeout(-30)");
    EXPECT_EQ(condition(timeout(0)), "timeout(0)");
}

TEST(ConditionOutput, EveryOperatorAddsItsOwnParentheses) {
    Node tree =
        op(ConditionKind::Or, op(ConditionKind::And, leaf(ConditionKind::Alive, "A"), leaf(ConditionKind::Alive, "B")),
           leaf(ConditionKind::Reached, "C"));
    EXPECT_EQ(condition(tree), "( ( alive(\"A\") && alive(\"B\") ) || reached(\"C\") )");
    Node negated = op(ConditionKind::Not, op(ConditionKind::And, timeout(1), timeout(2)));
    EXPECT_EQ(condition(negated), "!( ( timeout(1) && timeout(2) ) )");
    Node doubleNot = op(ConditionKind::Not, op(ConditionKind::Not, leaf(ConditionKind::Occupied, "x")));
    EXPECT_EQ(condition(doubleNot), "!( !( occupied(x) ) )");
}

TEST(ConditionOutput, DamagedTreesStillPrint) {
    EXPECT_EQ(condition(nullptr), "");
    auto node = [](std::int32_t kind) {
        Node result = leaf(ConditionKind::Alive, "ignored");
        result->kind = static_cast<ConditionKind>(kind);
        return result;
    };
    EXPECT_EQ(condition(node(0)), "()");
    EXPECT_EQ(condition(node(3)), "()");
    EXPECT_EQ(condition(node(256)), "()");
    EXPECT_EQ(condition(node(-128)), "()");
    EXPECT_EQ(condition(op(ConditionKind::And, nullptr)), "(  &&  )");
    EXPECT_EQ(condition(op(ConditionKind::Not, nullptr)), "!(  )");
    Node nameless = leaf(ConditionKind::Reached, "x");
    nameless->name = std::nullopt;
    EXPECT_EQ(condition(nameless), "reached(\"\")");
}

TEST(PlansOutput, EveryTeamGetsABlockInTeamOrder) {
    Mission mission;
    Force& red = addForce(mission, "Red");
    addTeam(mission, red, "One");
    Team& two = addTeam(mission, red, "Two");
    addTeam(mission, addForce(mission, "Blue"), "Three");
    two.instructions = list(ins(InstructionKind::Join));
    EXPECT_EQ(captured([&](OutputSink& out) { writePlans(out, mission); }),
              "  plan \"One\"\n"
              "  {\n"
              "  };\n"
              "\n"
              "  plan \"Two\"\n"
              "  {\n"
              "      join ;\n"
              "  };\n"
              "\n"
              "  plan \"Three\"\n"
              "  {\n"
              "  };\n"
              "\n");
}

TEST(PlansOutput, PhaseFirstInPlan) {
    Mission mission;
    Team& team = addTeam(mission, addForce(mission, "F"), "T");
    team.instructions = list(phase("one"), ins(InstructionKind::Abort));
    EXPECT_EQ(captured([&](OutputSink& out) { writePlans(out, mission); }),
              "  plan \"T\"\n"
              "  {\n"
              "\n"
              "    phase \"one\";\n"
              "      abort;\n"
              "  };\n"
              "\n");
}

// ---- instructions -------------------------------------------------------------

TEST(InstructionOutput, Example) {
    InstructionList plan =
        list(ins(InstructionKind::Advance, "gate", "fast"), ins(InstructionKind::Assemble, "yard", "line"),
             ins(InstructionKind::Attack, "hall"), ins(InstructionKind::Continue, "two"),
             ins(InstructionKind::Defend, "hall", "gate"), ins(InstructionKind::Freeze, "hall", std::nullopt, 2.5f),
             ins(InstructionKind::Join), ins(InstructionKind::Observe, "gate"),
             ins(InstructionKind::Radio, "in position"), ins(InstructionKind::SignalTowards, "gate", "go"),
             ins(InstructionKind::SignalCode, "north"), ins(InstructionKind::Snipe, "roof", "gate"),
             ins(InstructionKind::Spread, "yard", std::nullopt, 10), ins(InstructionKind::TakeCover, "wall"),
             on(TriggerEvent::Contact | TriggerEvent::Code, "north",
                list(ins(InstructionKind::WaitUntilReady), ins(InstructionKind::Abort))),
             phase("two"), patrol({"hall", "yard"}), ins(InstructionKind::WaitUntilCode, "north"),
             withValue(InstructionKind::Wait, 100000));
    EXPECT_EQ(statements(plan),
              "      advance towards gate using \"fast\";\n"
              "      assemble at yard using \"line\";\n"
              "      attack towards hall;\n"
              "      continue with phase \"two\";\n"
              "      defend towards hall from gate;\n"
              "      freeze towards hall for 2.5;\n"
              "      join ;\n"
              "      observe gate;\n"
              "      radio \"in position\";\n"
              "      signal towards gate \"go\";\n"
              "      signal code \"north\";\n"
              "      snipe from roof towards gate;\n"
              "      spread towards yard within 10;\n"
              "      take cover from wall;\n"
              "      on (contact, code \"north\")\n"
              "      {\n"
              "        wait until ready;\n"
              "        abort;\n"
              "      };\n"
              "\n"
              "    phase \"two\";\n"
              "      patrol (hall, yard);\n"
              "      wait until code (\"north\");\n"
              "      wait forever;\n");
}

TEST(InstructionOutput, EmptyListWritesNothing) {
    EXPECT_EQ(statements({}), "");
}

TEST(InstructionOutput, KindsNotInTheExample) {
    InstructionList plan =
        list(ins(InstructionKind::Insert, "door", "rope"), ins(InstructionKind::Moveup, "gate", "quiet"),
             ins(InstructionKind::Pullback, "yard", "fast"), ins(InstructionKind::Spawn),
             ins(InstructionKind::WaitUntilAssembled), ins(InstructionKind::Patrol));
    EXPECT_EQ(statements(plan, 4),
              "    insert at door using \"rope\";\n"
              "    moveup to gate using \"quiet\";\n"
              "    pullback to yard using \"fast\";\n"
              "    spawn ;\n"
              "    wait until assembled ;\n"
              "    patrol;\n");
}

TEST(InstructionOutput, PhaseInsideOnBlockStandsTwoToTheLeft) {
    InstructionList plan = list(on(TriggerEvent::Casualty, std::nullopt,
                                   list(ins(InstructionKind::Join), phase("late"), ins(InstructionKind::Abort))));
    EXPECT_EQ(statements(plan),
              "      on (casualty)\n"
              "      {\n"
              "        join ;\n"
              "\n"
              "      phase \"late\";\n"
              "        abort;\n"
              "      };\n");
}

TEST(InstructionOutput, OnInsideOn) {
    InstructionList plan =
        list(on(TriggerEvent::Contact, std::nullopt,
                list(on(TriggerEvent::UnderFire, std::nullopt, list(ins(InstructionKind::Attack, "gate"))),
                     ins(InstructionKind::Spawn))),
             ins(InstructionKind::Abort));
    EXPECT_EQ(statements(plan),
              "      on (contact)\n"
              "      {\n"
              "        on (under fire)\n"
              "        {\n"
              "          attack towards gate;\n"
              "        };\n"
              "        spawn ;\n"
              "      };\n"
              "      abort;\n");
}

TEST(InstructionOutput, EmptyOnBlock) {
    Instruction noBlock = on(TriggerEvent::Contact, std::nullopt, {});
    noBlock.block = nullptr;
    InstructionList plan = list(on(TriggerEvent::Contact, std::nullopt, {}), std::move(noBlock));
    EXPECT_EQ(statements(plan),
              "      on (contact)\n"
              "      {\n"
              "      };\n"
              "      on (contact)\n"
              "      {\n"
              "      };\n");
}

TEST(InstructionOutput, EventsInFixedOrder) {
    auto events = [](TriggerEvents set, OptionalText code) {
        return piece([&](OutputSink& out) { writeEvents(out, set, code); });
    };
    EXPECT_EQ(
        events(TriggerEvent::Code | TriggerEvent::Casualty | TriggerEvent::UnderFire | TriggerEvent::Contact, "x"),
        "contact, under fire, casualty, code \"x\"");
    EXPECT_EQ(events(TriggerEvent::Code, "b"), "code \"b\"");
    EXPECT_EQ(events(TriggerEvent::Casualty | TriggerEvent::Contact, std::nullopt), "contact, casualty");
    EXPECT_EQ(events(TriggerEvent::Code, std::nullopt), "code \"\"");
    EXPECT_EQ(events(TriggerEvents::fromBits(1), std::nullopt), "");
}

TEST(InstructionOutput, WaitForeverThreshold) {
    InstructionList plan = list(withValue(InstructionKind::Wait, 9999.89f), withValue(InstructionKind::Wait, 9999.9f),
                                withValue(InstructionKind::Wait, 9999.91f), withValue(InstructionKind::Wait, 10000),
                                withValue(InstructionKind::Wait, 30), withValue(InstructionKind::Wait, 2.5f),
                                withValue(InstructionKind::Wait, -1));
    // 9999.9f is 9999.900390625, which is above the double 9999.9.
    EXPECT_EQ(statements(plan),
              "      wait 9999.89;\n"
              "      wait forever;\n"
              "      wait forever;\n"
              "      wait forever;\n"
              "      wait 30;\n"
              "      wait 2.5;\n"
              "      wait -1;\n");
}

TEST(InstructionOutput, ValuesUseTheRealFormat) {
    InstructionList plan = list(ins(InstructionKind::Freeze, "a", std::nullopt, 1500000),
                                ins(InstructionKind::Spread, "b", std::nullopt, 0.5f));
    EXPECT_EQ(statements(plan),
              "      freeze towards a for 1.5e+006;\n"
              "      spread towards b within 0.5;\n");
}

TEST(InstructionOutput, SignalTowardsWithoutMessage) {
    EXPECT_EQ(statements(list(ins(InstructionKind::SignalTowards, "gate"))), "      signal towards gate;\n");
}

TEST(InstructionOutput, SplitWritesTextAndWholeCount) {
    InstructionList plan = list(
        ins(InstructionKind::Split, "left", std::nullopt, 3), ins(InstructionKind::Split, "", std::nullopt, -4),
        ins(InstructionKind::Split, "a b", std::nullopt, 2.7f), ins(InstructionKind::Split, "c", std::nullopt, -2.7f),
        ins(InstructionKind::Split, "d", std::nullopt, 32767));
    EXPECT_EQ(statements(plan),
              "      split \"left\" 3;\n"
              "      split \"\" -4;\n"
              "      split \"a b\" 2;\n"
              "      split \"c\" -2;\n"
              "      split \"d\" 32767;\n");
}

TEST(InstructionOutput, OwnerIsWrittenOnlyForPhase) {
    Instruction attack = ins(InstructionKind::Attack, "gate");
    attack.owner = "Somebody";
    EXPECT_EQ(statements(list(std::move(attack))), "      attack towards gate;\n");
}

TEST(InstructionOutput, UnknownKind) {
    EXPECT_EQ(statements(list(unknown(kInstructionKindCount), unknown(-1))),
              "      UNKNOWN INSTRUCTION\n"
              ";\n"
              "      UNKNOWN INSTRUCTION\n"
              ";\n");
}

TEST(InstructionOutput, UnknownKindInsideOnBlock) {
    EXPECT_EQ(statements(list(on(TriggerEvent::Contact, std::nullopt, list(unknown(99))))),
              "      on (contact)\n"
              "      {\n"
              "        UNKNOWN INSTRUCTION\n"
              ";\n"
              "      };\n");
}

TEST(InstructionOutput, PhaseAtSmallIndentDoesNotUnderflow) {
    EXPECT_EQ(statements(list(phase("p")), 0), "\nphase \"p\";\n");
}

TEST(InstructionOutput, Names) {
    const char* expected[] = {"wait ",
                              "advance ",
                              "abort",
                              "assemble ",
                              "attack ",
                              "continue ",
                              "defend ",
                              "freeze ",
                              "insert ",
                              "join ",
                              "moveup ",
                              "observe ",
                              "patrol",
                              "phase ",
                              "pullback ",
                              "radio ",
                              "on ",
                              "signal ",
                              "signal ",
                              "snipe ",
                              "spawn ",
                              "split ",
                              "spread ",
                              "take cover ",
                              "wait until ready",
                              "wait until assembled ",
                              "wait until code "};
    // The kinds of the list as it stands; a kind added later brings its own name.
    ASSERT_LE(static_cast<std::int32_t>(std::size(expected)), kInstructionKindCount);
    for (std::int32_t kind = 0; kind < static_cast<std::int32_t>(std::size(expected)); ++kind) {
        EXPECT_EQ(piece([&](OutputSink& out) { writeInstructionName(out, static_cast<InstructionKind>(kind)); }),
                  expected[kind])
            << "kind " << kind;
    }
}

}  // namespace
}  // namespace zeb
