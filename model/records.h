#pragma once

// The records a Mission is made of. Texts are views into the Mission's own
// TextArena (its copies), except an area's label lists, which keep the
// scanner's token texts: the Mission holds on to the scanner's source for
// exactly that reason (Mission::retainSource).

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace zeb {

using Text = std::string_view;
using OptionalText = std::optional<std::string_view>;

// ---- rules -------------------------------------------------------------

enum class RespawnMode : std::int32_t { None = 0, Team = 1, Individual = 2 };

struct Rule {
    std::int32_t kind = 0;   // a RuleKind bit: 1 << (index in the rule-name table)
    std::int32_t value = 0;  // for a respawn rule a RespawnMode
};
inline constexpr std::int32_t kRespawnRuleKind = 1;

// ---- map ---------------------------------------------------------------

enum MapStyle : std::int32_t { kMapUrban = 1, kMapDark = 2, kMapOpen = 4, kMapIndoor = 8 };
enum AreaStyle : std::int32_t { kAreaOpen = 1, kAreaClosed = 2, kAreaRoof = 4 };

struct Position {
    float x = 0, y = 0, z = 0;
};

struct Location {
    Text label;
    Position position;
};

struct Area {
    Text label;
    std::int32_t style = 0;
    std::vector<Text> locations;  // the scanner's texts, not copies
    std::vector<Text> entrances;
    std::vector<Text> exits;
    std::vector<Text> windows;
    std::int32_t radius = 0;  // 0 means none
};

// ---- plans -------------------------------------------------------------

enum class InstructionKind : std::int32_t {
    Wait = 0,
    Advance = 1,
    Abort = 2,
    Assemble = 3,
    Attack = 4,
    Continue = 5,
    Defend = 6,
    Freeze = 7,
    Insert = 8,
    Join = 9,
    Moveup = 10,
    Observe = 11,
    Patrol = 12,
    Phase = 13,
    Pullback = 14,
    Radio = 15,
    On = 16,
    SignalTowards = 17,
    SignalCode = 18,
    Snipe = 19,
    Spawn = 20,
    Split = 21,
    Spread = 22,
    TakeCover = 23,
    WaitUntilReady = 24,
    WaitUntilAssembled = 25,
    WaitUntilCode = 26,
};
inline constexpr std::int32_t kInstructionKindCount = 27;

enum TriggerEvents : std::int32_t {
    kEventContact = 2,
    kEventUnderFire = 4,
    kEventCasualty = 8,
    kEventCode = 16,
};

struct Instruction;
using InstructionList = std::vector<Instruction>;

struct Instruction {
    std::int32_t kind = 0;  // an InstructionKind; kept as a number so that an
                            // unknown kind can still be recorded and written
    OptionalText owner;
    // `first` holds one of three shapes: a text, a patrol's area list, or
    // none. A patrol with a list has hasAreaList set and its labels in areas.
    OptionalText first;
    bool hasAreaList = false;
    std::vector<Text> areas;
    OptionalText second;
    float value = 0;
    std::int32_t events = 0;
    std::unique_ptr<InstructionList> block;  // only an "on" has one
};

// ---- forces ------------------------------------------------------------

enum class MemberKind : std::int32_t { Npc = 0, Player = 1 };

struct AmmoEntry {
    Text name;
    std::int32_t count = 0;
};

struct Member {
    std::int32_t kind = 0;  // a MemberKind
    Text name;
    OptionalText secondName;
    float skill = 0;  // 0 until set, then within 1..5
    std::vector<Text> weapons;
    std::vector<AmmoEntry> ammo;
    std::vector<Text> items;
};

struct Team {
    Text name;
    std::vector<std::unique_ptr<Member>> members;
    InstructionList instructions;  // the team's plan
};

struct Force {
    Text name;
    std::vector<std::unique_ptr<Team>> teams;
};

// ---- objectives --------------------------------------------------------

enum ConditionKind : std::int32_t {
    kConditionAnd = 1,
    kConditionOr = 2,
    kConditionNot = 4,
    kConditionEliminated = 8,
    kConditionOccupied = 16,
    kConditionAlive = 32,
    kConditionTimeout = 64,
    kConditionReached = 128,
};

struct ConditionNode {
    std::int32_t kind = 0;
    std::unique_ptr<ConditionNode> left;
    std::unique_ptr<ConditionNode> right;
    ConditionNode* parent = nullptr;  // not owning
    OptionalText name;
    std::int32_t count = 0;
};

struct Objective {
    std::int32_t outcome = 0;  // 0 success, 1 failure
    Text subject;
    Text description;
    // The tree is owned through its first node; `condition` follows the
    // building operations and names the finished root once the condition
    // is complete.
    std::unique_ptr<ConditionNode> root;
    ConditionNode* condition = nullptr;
    std::vector<Text> results;
};

}  // namespace zeb
