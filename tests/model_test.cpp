#include "model/mission_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace zeb {
namespace {

constexpr InstructionKind kPatrol = InstructionKind::Patrol;
constexpr InstructionKind kOn = InstructionKind::On;
constexpr InstructionKind kAbort = InstructionKind::Abort;
constexpr InstructionKind kJoin = InstructionKind::Join;
constexpr InstructionKind kSpawn = InstructionKind::Spawn;
constexpr InstructionKind kRadio = InstructionKind::Radio;

// ---- header and rules ------------------------------------------------------

TEST(MissionRecord, InstanceIsOneEmptyRecord) {
    Mission& first = Mission::instance();
    EXPECT_EQ(&first, &Mission::instance());
    EXPECT_FALSE(first.missionName);
    EXPECT_TRUE(first.forces.empty());
    EXPECT_TRUE(first.mapStyle.empty());
}

TEST(MissionRecord, FreshRecordIsEmpty) {
    Mission m;
    MissionBuilder b(m);
    EXPECT_FALSE(m.missionName);
    EXPECT_FALSE(m.author);
    EXPECT_FALSE(m.annotation);
    EXPECT_TRUE(m.mapStyle.empty());
    EXPECT_TRUE(m.rules.empty());
    EXPECT_TRUE(m.locations.empty());
    EXPECT_EQ(b.currentInstructions(), nullptr);
}

TEST(MissionRecord, SetterReplacesEarlierText) {
    Mission m;
    MissionBuilder b(m);
    b.setAuthor("first");
    b.setAuthor("second");
    EXPECT_EQ(m.author, "second");
}

TEST(MissionRecord, RuleNamesFoldCaseAndUnknownNamesAreIgnored) {
    struct Case {
        const char* name;
        bool added;
    };
    const std::vector<Case> cases = {
        {"respawn", true}, {"RESPAWN", true}, {"ReSpAwN", true}, {"respawns", false}, {"respaw", false}, {"", false},
    };
    for (const Case& c : cases) {
        Mission m;
        MissionBuilder b(m);
        b.addRule(c.name, RespawnMode::Team);
        ASSERT_EQ(m.rules.size(), c.added ? 1u : 0u) << c.name;
        if (c.added) {
            EXPECT_EQ(m.rules[0].kind, RuleKind::Respawn);
            EXPECT_EQ(m.rules[0].value, RespawnMode::Team);
        }
    }
}

TEST(MissionRecord, RulesAreNeverMerged) {
    Mission m;
    MissionBuilder b(m);
    b.addRule("respawn", RespawnMode::None);
    b.addRule("respawn", RespawnMode::Team);
    ASSERT_EQ(m.rules.size(), 2u);
    EXPECT_EQ(m.rules[0].value, RespawnMode::None);
    EXPECT_EQ(m.rules[1].value, RespawnMode::Team);
}

// ---- texts are owned copies ----------------------------------------------------

TEST(MissionTexts, RecordKeepsItsOwnCopiesOfGivenTexts) {
    Mission m;
    MissionBuilder b(m);
    std::string buffer = "Alpha";
    b.setMissionName(buffer);
    b.addLocation(buffer, 1, 2, 3);
    b.addArea(buffer);
    b.addForce(buffer);
    b.addTeam(buffer);
    b.addMember(MemberKind::Npc, buffer, std::optional<std::string_view>(buffer));
    b.addWeapon(buffer);
    b.addObjective(Outcome::Success, buffer, buffer);
    b.addConditionLeaf(ConditionKind::Alive, buffer);
    b.addObjectiveResult(buffer);
    b.selectPlan("Alpha");
    b.addInstructionWithLabels(InstructionKind::Advance, std::optional<std::string_view>(buffer), buffer,
                               std::optional<std::string_view>(buffer));

    buffer.assign("XXXXX");
    buffer.shrink_to_fit();
    buffer = std::string(1000, 'y');

    EXPECT_EQ(m.missionName, "Alpha");
    EXPECT_EQ(m.locations[0].label, "Alpha");
    EXPECT_EQ(m.areas[0]->label, "Alpha");
    EXPECT_EQ(m.forces[0]->name, "Alpha");
    EXPECT_EQ(m.teams[0]->name, "Alpha");
    EXPECT_EQ(m.members[0]->name, "Alpha");
    EXPECT_EQ(m.members[0]->secondName, "Alpha");
    EXPECT_EQ(m.members[0]->weapons().begin()->name, "Alpha");
    EXPECT_EQ(m.objectives[0].subject, "Alpha");
    EXPECT_EQ(m.objectives[0].root->name, "Alpha");
    EXPECT_EQ(m.objectives[0].results[0], "Alpha");
    const Instruction& added = m.teams[0]->instructions[0];
    EXPECT_EQ(added.owner, "Alpha");
    EXPECT_EQ(added.first, "Alpha");
    EXPECT_EQ(added.second, "Alpha");
    EXPECT_TRUE(m.isLocationDeclared("Alpha"));
    EXPECT_TRUE(m.isTeamDeclared("Alpha"));
}

TEST(MissionTexts, CopiesSurviveTheCallersBufferBeingFreed) {
    Mission m;
    MissionBuilder b(m);
    auto buffer = std::make_unique<std::string>("gate");
    b.addLocation(*buffer, 0, 0, 0);
    b.addPatrolArea(*buffer);
    buffer.reset();
    EXPECT_EQ(m.locations[0].label, "gate");
    EXPECT_EQ(b.patrolAreas()[0], "gate");
}

// A large mission's names are not stored twice: texts that lie in a retained
// source stay views of it, and every other text is still copied.
TEST(MissionTexts, TextsOfTheRetainedSourceAreKeptAndOthersCopied) {
    Mission m;
    MissionBuilder b(m);
    auto first = std::make_shared<const std::string>("Blue Alpha Bob");
    auto second = std::make_shared<const std::string>("Eve");
    m.retainSource(first);
    m.retainSource(second);
    b.addForce(std::string_view(first->data(), 4));
    b.addTeam(std::string_view(first->data() + 5, 5));
    b.addMember(MemberKind::Npc, std::string_view(first->data() + 11, 3), std::string_view(second->data(), 3));
    auto weapon = std::make_unique<std::string>("rifle");
    b.addWeapon(*weapon);
    const char* weaponData = weapon->data();
    weapon.reset();
    const Member& bob = *m.members[0];
    EXPECT_EQ(m.forces[0]->name.data(), first->data());
    EXPECT_EQ(bob.name.data(), first->data() + 11);
    EXPECT_EQ((*bob.secondName).data(), second->data());
    const EquipmentEntry& rifle = *bob.weapons().begin();
    EXPECT_NE(rifle.name.data(), weaponData);
    EXPECT_EQ(rifle.name, "rifle");
}

TEST(MissionTexts, AreaLabelListsKeepTheCallersStorage) {
    Mission m;
    MissionBuilder b(m);
    auto source = std::make_shared<const std::string>("gate hall");
    m.retainSource(source);
    std::string_view gate(source->data(), 4);
    std::string_view hall(source->data() + 5, 4);
    b.addLocation("gate", 0, 0, 0);
    b.addLocation("hall", 0, 0, 0);
    b.addArea("yard");
    b.addAreaLocation(gate);
    b.addAreaEntrance(hall);
    b.addAreaExit(gate);
    b.addAreaWindow(hall);
    const Area& area = *m.areas[0];
    EXPECT_EQ(area.locations[0].data(), gate.data());
    EXPECT_EQ(area.entrances[0].data(), hall.data());
    EXPECT_EQ(area.exits[0].data(), gate.data());
    EXPECT_EQ(area.windows[0].data(), hall.data());
}

TEST(MissionTexts, RetainedSourceOutlivesTheCaller) {
    Mission m;
    MissionBuilder b(m);
    std::string_view label;
    {
        auto source = std::make_shared<const std::string>("gate");
        m.retainSource(source);
        label = *source;
    }
    b.addLocation("gate", 0, 0, 0);
    b.addArea("yard");
    b.addAreaLocation(label);
    EXPECT_EQ(m.areas[0]->locations[0], "gate");
}

// ---- map -------------------------------------------------------------------

TEST(MissionMap, DuplicateLocationsAreKeptAndTheFirstIsFound) {
    Mission m;
    MissionBuilder b(m);
    b.addLocation("gate", 1, 2, 3);
    b.addLocation("hall", 4, 5, 6);
    b.addLocation("gate", 7, 8, 9);
    ASSERT_EQ(m.locations.size(), 3u);
    EXPECT_EQ(m.locations[0].label, "gate");
    EXPECT_EQ(m.locations[1].label, "hall");
    EXPECT_EQ(m.locations[2].label, "gate");
    EXPECT_EQ(m.locations[2].position.z, 9);
    const Location* found = m.findLocation("gate");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found, &m.locations[0]);
    EXPECT_EQ(found->position.x, 1);
}

TEST(MissionMap, LookupsRespectLetterCase) {
    Mission m;
    MissionBuilder b(m);
    b.addLocation("Gate", 0, 0, 0);
    b.addArea("Yard");
    struct Case {
        const char* text;
        bool location;
        bool area;
    };
    const std::vector<Case> cases = {
        {"Gate", true, false}, {"gate", false, false}, {"GATE", false, false},
        {"Yard", false, true}, {"yard", false, false}, {"Gat", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(m.isLocationDeclared(c.text), c.location) << c.text;
        EXPECT_EQ(m.findLocation(c.text) != nullptr, c.location) << c.text;
        EXPECT_EQ(m.isAreaDeclared(c.text), c.area) << c.text;
    }
}

TEST(MissionMap, StylesAreBitSets) {
    Mission m;
    MissionBuilder b(m);
    b.addMapStyle(MapStyle::Indoor);
    b.addMapStyle(MapStyle::Urban);
    b.addMapStyle(MapStyle::Urban);
    EXPECT_EQ(m.mapStyle, MapStyles(MapStyle::Indoor) | MapStyle::Urban);
    b.addArea("yard");
    b.addAreaStyle(AreaStyle::Roof);
    EXPECT_EQ(m.areas[0]->style, AreaStyles(AreaStyle::Roof));
}

TEST(MissionMap, AnnotationJoinsItsPiecesWithNothingBetween) {
    Mission m;
    MissionBuilder b(m);
    b.appendAnnotation("first part");
    b.appendAnnotation(", second part");
    b.appendAnnotation("\n");
    EXPECT_EQ(m.annotation, "first part, second part\n");
}

TEST(MissionMap, AreaListsKeepRepeatsAndSkipUndeclaredLocations) {
    Mission m;
    MissionBuilder b(m);
    b.addLocation("gate", 0, 0, 0);
    b.addArea("yard");
    b.addAreaLocation("gate");
    b.addAreaLocation("nowhere");
    b.addAreaLocation("gate");
    EXPECT_EQ(m.areas[0]->locations, (std::vector<Text>{"gate", "gate"}));
}

TEST(MissionMap, OperationsActOnTheLastArea) {
    Mission m;
    MissionBuilder b(m);
    b.addArea("one");
    b.addArea("two");
    b.setAreaRadius(-4);
    EXPECT_EQ(m.areas[0]->radius, 0);
    EXPECT_EQ(m.areas[1]->radius, -4);
    EXPECT_EQ(m.getAreas().size(), 2u);
}

// ---- forces ------------------------------------------------------------------

TEST(MissionForces, NamesAreUniquePerKindAcrossForces) {
    Mission m;
    MissionBuilder b(m);
    b.addForce("Blue");
    b.addTeam("Alpha");
    b.addMember(MemberKind::Npc, "Bob", std::nullopt);
    b.addForce("Red");
    b.addTeam("Bravo");
    b.addMember(MemberKind::Player, "Eve", std::nullopt);
    struct Case {
        const char* name;
        bool force, team, member;
    };
    const std::vector<Case> cases = {
        {"Blue", true, false, false},   {"Red", true, false, false},   {"Alpha", false, true, false},
        {"Bravo", false, true, false},  {"Bob", false, false, true},   {"Eve", false, false, true},
        {"alpha", false, false, false}, {"blue", false, false, false}, {"BOB", false, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(m.isForceDeclared(c.name), c.force) << c.name;
        EXPECT_EQ(m.isTeamDeclared(c.name), c.team) << c.name;
        EXPECT_EQ(m.isMemberDeclared(c.name), c.member) << c.name;
    }
}

TEST(MissionForces, RecordsHangUnderTheLastForceAndTeam) {
    Mission m;
    MissionBuilder b(m);
    b.addForce("Blue");
    b.addTeam("Alpha");
    b.addMember(MemberKind::Npc, "Bob", std::nullopt);
    b.addTeam("Bravo");
    b.addMember(MemberKind::Player, "Eve", std::optional<std::string_view>("E"));
    b.addForce("Red");
    b.addTeam("Charlie");
    ASSERT_EQ(m.forces.size(), 2u);
    ASSERT_EQ(m.forces[0]->teams.size(), 2u);
    EXPECT_EQ(m.forces[0]->teams[1]->members[0].name, "Eve");
    EXPECT_EQ(m.forces[0]->teams[1]->members[0].kind, MemberKind::Player);
    EXPECT_EQ(m.forces[0]->teams[1]->members[0].secondName, "E");
    EXPECT_FALSE(m.forces[0]->teams[0]->members[0].secondName);
    EXPECT_EQ(m.forces[1]->teams[0]->name, "Charlie");
    ASSERT_EQ(m.teams.size(), 3u);
    EXPECT_EQ(m.teams[2], m.forces[1]->teams[0].get());
    ASSERT_EQ(m.members.size(), 2u);
    EXPECT_EQ(m.members[1], b.currentMember());
}

TEST(MissionForces, EquipmentIsKeptPerKindInOrder) {
    Mission m;
    MissionBuilder b(m);
    b.addForce("Blue");
    b.addTeam("Alpha");
    b.addMember(MemberKind::Npc, "Bob", std::nullopt);
    b.addWeapon("rifle");
    b.addItem("map");
    b.addAmmo("9mm", 30);
    b.addWeapon("pistol");
    b.addAmmo("5.56", -2);
    b.addItem("radio");
    b.addWeapon("rifle");
    const Member& bob = *m.members[0];
    const auto names = [](const auto& entries) {
        std::vector<std::string> result;
        for (const EquipmentEntry& entry : entries)
            result.push_back(std::string(entry.name) + "=" + std::to_string(entry.count));
        return result;
    };
    EXPECT_EQ(names(bob.weapons()), (std::vector<std::string>{"rifle=0", "pistol=0", "rifle=0"}));
    EXPECT_EQ(names(bob.items()), (std::vector<std::string>{"map=0", "radio=0"}));
    EXPECT_EQ(names(bob.ammo()), (std::vector<std::string>{"9mm=30", "5.56=-2"}));
    EXPECT_EQ(bob.ammo().size(), 2u);
    EXPECT_EQ(bob.equipment.size(), 7u);
}

TEST(MissionForces, SkillIsLimitedToOneToFive) {
    struct Case {
        float given;
        float stored;
    };
    const std::vector<Case> cases = {
        {7, 5},
        {5, 5},
        {5.5f, 5},
        {2.5f, 2.5f},
        {3, 3},
        {1, 1},
        {0.5f, 1},
        {0, 1},
        {-3, 1},
        {std::numeric_limits<float>::quiet_NaN(), 1},
        {std::numeric_limits<float>::infinity(), 5},
        {-std::numeric_limits<float>::infinity(), 1},
    };
    for (const Case& c : cases) {
        Mission m;
        MissionBuilder b(m);
        b.addForce("Blue");
        b.addTeam("Alpha");
        b.addMember(MemberKind::Npc, "Bob", std::nullopt);
        EXPECT_EQ(m.members[0]->skill, 0);
        b.setSkill(c.given);
        EXPECT_EQ(m.members[0]->skill, c.stored) << c.given;
    }
}

// ---- plans -------------------------------------------------------------------

class MissionPlans : public ::testing::Test {
protected:
    void SetUp() override {
        b.addForce("Blue");
        b.addTeam("Alpha");
        b.addTeam("alpha");
    }
    InstructionList& plan(std::size_t team) { return m.teams[team]->instructions; }
    static OptionalText owner(std::string_view name) { return name; }

    Mission m;
    MissionBuilder b{m};
};

TEST_F(MissionPlans, PlanGoesToTheTeamWithExactlyThatName) {
    b.selectPlan("alpha");
    b.addInstruction(kAbort, owner("alpha"));
    b.endPlan();
    b.selectPlan("Alpha");
    b.addInstruction(kJoin, owner("Alpha"));
    b.endPlan();
    ASSERT_EQ(plan(0).size(), 1u);
    EXPECT_EQ(plan(0)[0].kind, kJoin);
    ASSERT_EQ(plan(1).size(), 1u);
    EXPECT_EQ(plan(1)[0].kind, kAbort);
    EXPECT_EQ(b.currentInstructions(), nullptr);
}

TEST_F(MissionPlans, UnknownTeamSelectsNoList) {
    b.selectPlan("Alpha");
    b.selectPlan("ALPHA");
    EXPECT_EQ(b.currentInstructions(), nullptr);
}

TEST_F(MissionPlans, TwoPlanBlocksAppendToOneList) {
    b.selectPlan("Alpha");
    b.addInstruction(kAbort, owner("Alpha"));
    b.endPlan();
    b.selectPlan("Alpha");
    b.addInstruction(kJoin, owner("Alpha"));
    b.endPlan();
    ASSERT_EQ(plan(0).size(), 2u);
    EXPECT_EQ(plan(0)[0].kind, kAbort);
    EXPECT_EQ(plan(0)[1].kind, kJoin);
}

TEST_F(MissionPlans, OperandsLandInTheirFields) {
    b.selectPlan("Alpha");
    b.addInstructionWithValue(InstructionKind::Wait, 100000.0f);
    b.addInstructionWithLabel(kRadio, owner("Alpha"), "hello");
    b.addInstructionWithLabels(InstructionKind::SignalTowards, owner("Alpha"), "gate", std::nullopt);
    b.addInstructionWithLabelAndValue(InstructionKind::Freeze, owner("Alpha"), "gate", 2.5f);
    b.addInstruction(InstructionKind::Phase, owner("phase one"));
    const InstructionList& list = plan(0);
    ASSERT_EQ(list.size(), 5u);
    EXPECT_FALSE(list[0].owner);
    EXPECT_EQ(list[0].value, 100000.0f);
    EXPECT_EQ(list[1].first, "hello");
    EXPECT_FALSE(list[1].second);
    EXPECT_EQ(list[2].first, "gate");
    EXPECT_FALSE(list[2].second);
    EXPECT_EQ(list[3].value, 2.5f);
    EXPECT_EQ(list[4].owner, "phase one");
    EXPECT_FALSE(list[4].first);
    for (const Instruction& added : list) EXPECT_EQ(added.block, nullptr);
}

TEST_F(MissionPlans, OnBlocksNestAndRestoreTheEnclosingList) {
    b.selectPlan("Alpha");
    b.addOnInstruction(kOn, owner("Alpha"), TriggerEvents(TriggerEvent::Contact) | TriggerEvent::Code,
                       OptionalText("go"));
    b.beginBlock();
    b.addInstruction(kAbort, owner("Alpha"));
    b.addOnInstruction(kOn, owner("Alpha"), TriggerEvent::Casualty, std::nullopt);
    b.beginBlock();
    b.addInstruction(kSpawn, owner("Alpha"));
    b.endBlock();
    b.addInstruction(kJoin, owner("Alpha"));  // back in the outer block
    b.endBlock();
    b.addInstruction(kRadio, owner("Alpha"));  // back in the plan
    b.endPlan();

    EXPECT_TRUE(b.openBlockCount() == 0);
    const InstructionList& top = plan(0);
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(top[0].kind, kOn);
    EXPECT_EQ(top[0].events, TriggerEvents(TriggerEvent::Contact) | TriggerEvent::Code);
    EXPECT_EQ(top[0].first, "go");
    EXPECT_EQ(top[1].kind, kRadio);
    ASSERT_NE(top[0].block, nullptr);
    const InstructionList& outer = *top[0].block;
    ASSERT_EQ(outer.size(), 3u);
    EXPECT_EQ(outer[0].kind, kAbort);
    EXPECT_EQ(outer[1].kind, kOn);
    EXPECT_FALSE(outer[1].first);
    EXPECT_EQ(outer[2].kind, kJoin);
    ASSERT_NE(outer[1].block, nullptr);
    const InstructionList& inner = *outer[1].block;
    ASSERT_EQ(inner.size(), 1u);
    EXPECT_EQ(inner[0].kind, kSpawn);
    EXPECT_EQ(inner[0].block, nullptr);
}

TEST_F(MissionPlans, OnBlockIsOnlyAttachedAtItsEnd) {
    b.selectPlan("Alpha");
    b.addOnInstruction(kOn, owner("Alpha"), TriggerEvent::Contact, std::nullopt);
    b.beginBlock();
    EXPECT_EQ(plan(0)[0].block, nullptr);
    EXPECT_NE(b.currentInstructions(), &plan(0));
    b.endBlock();
    EXPECT_EQ(b.currentInstructions(), &plan(0));
}

TEST_F(MissionPlans, EmptyBlockIsAnEmptyList) {
    b.selectPlan("Alpha");
    b.addOnInstruction(kOn, owner("Alpha"), TriggerEvent::Contact, std::nullopt);
    b.beginBlock();
    b.endBlock();
    ASSERT_NE(plan(0)[0].block, nullptr);
    EXPECT_TRUE(plan(0)[0].block->empty());
}

TEST_F(MissionPlans, DeepNestingKeepsEveryLevel) {
    constexpr int kDepth = 50;
    b.selectPlan("Alpha");
    for (int level = 0; level < kDepth; ++level) {
        b.addOnInstruction(kOn, owner("Alpha"), TriggerEvent::Contact, std::nullopt);
        b.beginBlock();
    }
    b.addInstruction(kSpawn, owner("Alpha"));
    for (int level = 0; level < kDepth; ++level) b.endBlock();
    EXPECT_EQ(b.currentInstructions(), &plan(0));
    const InstructionList* list = &plan(0);
    for (int level = 0; level < kDepth; ++level) {
        ASSERT_EQ(list->size(), 1u);
        ASSERT_NE(list->back().block, nullptr);
        list = list->back().block;
    }
    ASSERT_EQ(list->size(), 1u);
    EXPECT_EQ(list->back().kind, kSpawn);
}

TEST_F(MissionPlans, PatrolTakesOverTheCollectedAreas) {
    b.selectPlan("Alpha");
    b.clearPatrolAreas();
    b.addPatrolArea("north");
    b.addPatrolArea("south");
    b.addInstruction(kPatrol, owner("Alpha"));
    EXPECT_TRUE(b.patrolAreas().empty());
    EXPECT_TRUE(b.isNewPatrolArea("north"));

    b.clearPatrolAreas();
    b.addPatrolArea("east");
    b.addPatrolArea("west");
    b.addPatrolArea("north");
    b.addInstruction(kPatrol, owner("Alpha"));

    b.addInstruction(kPatrol, owner("Alpha"));  // a bare patrol

    const InstructionList& list = plan(0);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_TRUE(list[0].hasAreaList);
    EXPECT_EQ(std::vector<Text>(list[0].areas.begin(), list[0].areas.end()), (std::vector<Text>{"north", "south"}));
    EXPECT_EQ(list[0].owner, "Alpha");
    EXPECT_TRUE(list[1].hasAreaList);
    EXPECT_EQ(std::vector<Text>(list[1].areas.begin(), list[1].areas.end()),
              (std::vector<Text>{"east", "west", "north"}));
    EXPECT_FALSE(list[2].hasAreaList);
    EXPECT_TRUE(list[2].areas.empty());
    EXPECT_FALSE(list[2].first);
}

TEST_F(MissionPlans, OtherKindsLeaveTheCollectedAreasAlone) {
    b.selectPlan("Alpha");
    b.addPatrolArea("north");
    b.addInstruction(kAbort, owner("Alpha"));
    EXPECT_FALSE(plan(0)[0].hasAreaList);
    EXPECT_EQ(b.patrolAreas(), (std::vector<Text>{"north"}));
    EXPECT_FALSE(b.isNewPatrolArea("north"));
}

// Labels of declared areas and labels no area has (a build by hand) are
// told apart differently; both must answer alike, list after list.
TEST_F(MissionPlans, IsNewPatrolAreaComparesWithCaseAtAnyLength) {
    for (const bool declared : {false, true}) {
        Mission mission;
        MissionBuilder builder(mission);
        if (declared) {
            for (int i = 0; i <= 40; ++i) builder.addArea("area" + std::to_string(i));
        }
        for (std::size_t length : {1u, 2u, 15u, 16u, 17u, 40u}) {
            builder.clearPatrolAreas();
            for (std::size_t i = 0; i < length; ++i) builder.addPatrolArea("area" + std::to_string(i));
            for (std::size_t i = 0; i < length; ++i) {
                EXPECT_FALSE(builder.isNewPatrolArea("area" + std::to_string(i))) << declared << length << ' ' << i;
            }
            EXPECT_TRUE(builder.isNewPatrolArea("area" + std::to_string(length))) << declared << length;
            EXPECT_TRUE(builder.isNewPatrolArea("AREA0")) << declared << length;
        }
        builder.clearPatrolAreas();
        EXPECT_TRUE(builder.isNewPatrolArea("area0")) << declared;
    }
}

TEST_F(MissionPlans, DeclaredPatrolAreasAreCheckedAndAddedInOneStep) {
    using Result = MissionBuilder::PatrolArea;
    b.addArea("north");
    b.addArea("south");
    b.selectPlan("Alpha");
    b.clearPatrolAreas();
    EXPECT_EQ(b.addDeclaredPatrolArea("north"), Result::Added);
    EXPECT_EQ(b.addDeclaredPatrolArea("nowhere"), Result::Undeclared);
    EXPECT_EQ(b.addDeclaredPatrolArea("North"), Result::Undeclared);
    EXPECT_EQ(b.addDeclaredPatrolArea("north"), Result::Repeated);
    EXPECT_EQ(b.addDeclaredPatrolArea("south"), Result::Added);
    b.addInstruction(kPatrol, owner("Alpha"));
    // The next list starts empty: the same areas are new to it.
    EXPECT_EQ(b.addDeclaredPatrolArea("south"), Result::Added);
    EXPECT_EQ(b.addDeclaredPatrolArea("north"), Result::Added);
    b.addInstruction(kPatrol, owner("Alpha"));

    ASSERT_EQ(plan(0).size(), 2u);
    EXPECT_EQ(std::vector<Text>(plan(0)[0].areas.begin(), plan(0)[0].areas.end()),
              (std::vector<Text>{"north", "south"}));
    EXPECT_EQ(std::vector<Text>(plan(0)[1].areas.begin(), plan(0)[1].areas.end()),
              (std::vector<Text>{"south", "north"}));
    // Each entry is the area's own label, not a copy of it.
    EXPECT_EQ(&plan(0)[0].areas[0], &m.areas[0]->label);
    EXPECT_EQ(&plan(0)[1].areas[0], &m.areas[1]->label);
}

// ---- objectives ------------------------------------------------------------------

class MissionConditions : public ::testing::Test {
protected:
    void SetUp() override { b.addObjective(Outcome::Success, "Alpha", "hold the yard"); }
    Objective& objective() { return m.objectives.back(); }
    void leaf(const char* name) { b.addConditionLeaf(ConditionKind::Reached, name); }

    Mission m;
    MissionBuilder b{m};
};

TEST_F(MissionConditions, SingleLeafIsTheRoot) {
    leaf("gate");
    const ConditionNode* root = objective().condition;
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root, objective().root.get());
    EXPECT_EQ(root->kind, ConditionKind::Reached);
    EXPECT_EQ(root->name, "gate");
    EXPECT_EQ(root->parent, nullptr);
    EXPECT_EQ(root->left, nullptr);
    EXPECT_EQ(root->right, nullptr);
    EXPECT_EQ(b.currentCondition(), root);
}

TEST_F(MissionConditions, CompoundAsFirstOperand) {
    // ((A && B) || C)
    b.openConditionNode();
    b.openConditionNode();
    leaf("A");
    b.setConditionOperator(ConditionKind::And);
    leaf("B");
    b.closeConditionNode();
    b.setConditionOperator(ConditionKind::Or);
    leaf("C");
    b.closeConditionNode();

    EXPECT_EQ(b.currentCondition(), nullptr);
    const ConditionNode* root = objective().condition;
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root, objective().root.get());
    EXPECT_EQ(root->kind, ConditionKind::Or);
    EXPECT_EQ(root->parent, nullptr);
    ASSERT_NE(root->left, nullptr);
    ASSERT_NE(root->right, nullptr);
    const ConditionNode& both = *root->left;
    EXPECT_EQ(both.kind, ConditionKind::And);
    EXPECT_EQ(both.parent, root);
    EXPECT_EQ(both.left->name, "A");
    EXPECT_EQ(both.right->name, "B");
    EXPECT_EQ(both.left->parent, &both);
    EXPECT_EQ(root->right->name, "C");
    EXPECT_EQ(root->right->parent, root);
}

TEST_F(MissionConditions, NegatedCompound) {
    // !((A && B))
    b.openConditionNode();
    b.openConditionNode();
    leaf("A");
    b.setConditionOperator(ConditionKind::And);
    leaf("B");
    b.closeConditionNode();
    b.setConditionOperator(ConditionKind::Not);
    b.closeConditionNode();

    const ConditionNode* root = objective().condition;
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->kind, ConditionKind::Not);
    EXPECT_EQ(root->right, nullptr);
    ASSERT_NE(root->left, nullptr);
    EXPECT_EQ(root->left->kind, ConditionKind::And);
    EXPECT_EQ(root->left->left->name, "A");
    EXPECT_EQ(root->left->right->name, "B");
}

TEST_F(MissionConditions, NegationAsSecondOperand) {
    // (A || !(B))
    b.openConditionNode();
    leaf("A");
    b.setConditionOperator(ConditionKind::Or);
    b.openConditionNode();
    leaf("B");
    b.setConditionOperator(ConditionKind::Not);
    b.closeConditionNode();
    b.closeConditionNode();

    const ConditionNode* root = objective().condition;
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->kind, ConditionKind::Or);
    EXPECT_EQ(root->left->name, "A");
    ASSERT_NE(root->right, nullptr);
    EXPECT_EQ(root->right->kind, ConditionKind::Not);
    EXPECT_EQ(root->right->left->name, "B");
    EXPECT_EQ(root->right->right, nullptr);
}

TEST_F(MissionConditions, ConditionFollowsTheNodeBeingBuilt) {
    // ((A && B) || C), watching the objective's condition after each step
    b.openConditionNode();
    const ConditionNode* outer = b.currentCondition();
    EXPECT_EQ(objective().condition, nullptr);
    b.openConditionNode();
    const ConditionNode* inner = b.currentCondition();
    EXPECT_EQ(objective().condition, nullptr);
    leaf("A");
    EXPECT_EQ(objective().condition, inner);
    b.setConditionOperator(ConditionKind::And);
    leaf("B");
    EXPECT_EQ(objective().condition, inner);
    b.closeConditionNode();
    EXPECT_EQ(b.currentCondition(), outer);
    EXPECT_EQ(objective().condition, inner);
    b.setConditionOperator(ConditionKind::Or);
    leaf("C");
    EXPECT_EQ(objective().condition, outer);
    b.closeConditionNode();
    EXPECT_EQ(objective().condition, outer);
    EXPECT_EQ(b.currentCondition(), nullptr);
}

TEST_F(MissionConditions, TimeoutLeafKeepsItsCount) {
    b.addTimeoutCondition(ConditionKind::Timeout, -30);
    ASSERT_NE(objective().condition, nullptr);
    EXPECT_EQ(objective().condition->kind, ConditionKind::Timeout);
    EXPECT_EQ(objective().condition->count, -30);
    EXPECT_FALSE(objective().condition->name);
}

TEST_F(MissionConditions, TreesSurviveLaterObjectives) {
    b.openConditionNode();
    leaf("A");
    b.setConditionOperator(ConditionKind::And);
    leaf("B");
    b.closeConditionNode();
    const ConditionNode* first = m.objectives[0].condition;
    for (int i = 0; i < 100; ++i) {
        b.addObjective(Outcome::Failure, "Alpha", "again");
        EXPECT_EQ(b.currentObjective(), &m.objectives.back());
        EXPECT_EQ(b.currentCondition(), nullptr);
        b.addTimeoutCondition(ConditionKind::Timeout, i);
        b.addObjectiveResult("lost");
    }
    EXPECT_EQ(m.objectives[0].condition, first);
    EXPECT_EQ(m.objectives[0].condition->left->name, "A");
    EXPECT_EQ(m.objectives[100].outcome, Outcome::Failure);
    EXPECT_EQ(m.objectives[100].condition->count, 99);
    EXPECT_EQ(m.objectives[100].results, (std::vector<Text>{"lost"}));
    EXPECT_TRUE(m.objectives[0].results.empty());
}

// ---- the lists records are made of ------------------------------------------

// A list handle cannot be copied: a copy would share the original's room,
// and the original's next push_back would overwrite what the copy holds.
static_assert(!std::is_copy_constructible_v<ArenaList<Text>> && !std::is_copy_assignable_v<ArenaList<Text>>);
static_assert(!std::is_copy_constructible_v<ChunkedList<int>> && !std::is_copy_assignable_v<ChunkedList<int>>);
static_assert(std::is_nothrow_move_constructible_v<ArenaList<Text>>);
static_assert(std::is_nothrow_move_constructible_v<ChunkedList<int>>);
static_assert(!std::is_copy_constructible_v<Instruction> && std::is_move_constructible_v<Instruction>);

TEST(RecordLists, AMovedArenaListKeepsItsElementsAndTheSourceIsEmpty) {
    Arena arena;
    ArenaList<Text> original(arena, {"a", "b"});
    ArenaList<Text> moved(std::move(original));
    EXPECT_TRUE(original.empty());  // NOLINT(bugprone-use-after-move): the moved-from state is the subject
    // Growing the moved-from handle starts new room; the moved list keeps its own.
    original.push_back(arena, "x");
    moved.push_back(arena, "c");
    original.push_back(arena, "y");
    EXPECT_EQ(std::vector<Text>(moved.begin(), moved.end()), (std::vector<Text>{"a", "b", "c"}));
    EXPECT_EQ(std::vector<Text>(original.begin(), original.end()), (std::vector<Text>{"x", "y"}));
    ArenaList<Text> assigned;
    assigned = std::move(moved);
    EXPECT_TRUE(moved.empty());  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(assigned.size(), 3u);
    EXPECT_EQ(assigned.back(), "c");
}

TEST(RecordLists, AMovedChunkedListKeepsItsElementsAndTheSourceIsEmpty) {
    Arena arena;
    ChunkedList<int> original;
    for (int i = 0; i < 100; ++i) original.push_back(arena, i);
    ChunkedList<int> moved(std::move(original));
    EXPECT_TRUE(original.empty());  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(original.begin(), original.end());
    original.push_back(arena, -1);
    moved.push_back(arena, 100);
    EXPECT_EQ(original.size(), 1u);
    EXPECT_EQ(original.front(), -1);
    ASSERT_EQ(moved.size(), 101u);
    int expected = 0;
    for (int value : moved) EXPECT_EQ(value, expected++);
}

}  // namespace
}  // namespace zeb
