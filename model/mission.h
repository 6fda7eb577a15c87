#pragma once

// The one in-memory model of a mission file. The grammar's actions fill it in
// file order and ask it whether names were declared; the printer walks it once
// after a successful parse. No operation reports errors: checks and messages
// belong to the actions.

#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "model/arena.h"
#include "model/name_index.h"
#include "model/records.h"

namespace zeb {

class OutputSink;

class Mission {
public:
    Mission() = default;
    Mission(const Mission&) = delete;
    Mission& operator=(const Mission&) = delete;
    virtual ~Mission();

    // The process-wide record the command-line driver uses; created empty on
    // first use. Everything else (tests, library users) makes its own.
    static Mission& instance();

    // Keeps a scanner's source text alive as long as this record. Texts that
    // lie inside a retained source are then kept as views instead of copies:
    // a large mission's names would otherwise be stored twice.
    void retainSource(std::shared_ptr<const std::string> source);
    // The same for a text whose memory `owner` keeps alive (a file's mapping).
    void retainSource(std::shared_ptr<const void> owner, std::string_view text);

    // Where this record's plans, members and lists live; for callers that
    // build records by hand.
    Arena& arena() { return arena_; }

    // ---- header and rules ----
    void setMissionName(std::string_view text);
    void setAuthor(std::string_view text);
    void setDescription(std::string_view text);
    void addRule(std::string_view ruleName, std::int32_t value);

    // ---- map ----
    void setMapName(std::string_view text);
    void addMapStyle(std::int32_t flag);
    void appendAnnotation(std::string_view text);
    void addLocation(std::string_view label, float x, float y, float z);
    const Location* findLocation(std::string_view label) const;
    bool isLocationDeclared(std::string_view label) const;
    void addArea(std::string_view label);
    void addAreaStyle(std::int32_t flag);
    void addAreaLocation(std::string_view label);  // keeps label's storage
    void addAreaEntrance(std::string_view label);  // keeps label's storage
    void addAreaExit(std::string_view label);      // keeps label's storage
    void addAreaWindow(std::string_view label);    // keeps label's storage
    void setAreaRadius(std::int32_t radius);
    bool isAreaDeclared(std::string_view label) const;
    const std::vector<std::unique_ptr<Area>>& getAreas() const { return areas; }

    // ---- forces ----
    virtual void addForce(std::string_view name);
    bool isForceDeclared(std::string_view name) const;
    void addTeam(std::string_view name);
    bool isTeamDeclared(std::string_view name) const;
    void addMember(std::int32_t kind, std::string_view name, OptionalText secondName);
    bool isMemberDeclared(std::string_view name) const;
    void addWeapon(std::string_view name);
    void addAmmo(std::string_view name, std::int32_t count);
    void addItem(std::string_view name);
    void setSkill(float value);

    // ---- plans ----
    void selectPlan(std::string_view teamName);
    void endPlan();
    void addInstruction(std::int32_t kind, OptionalText owner);
    void addInstructionWithValue(std::int32_t kind, float value);
    void addInstructionWithLabel(std::int32_t kind, OptionalText owner, std::string_view text);
    void addInstructionWithLabels(std::int32_t kind, OptionalText owner, std::string_view first, OptionalText second);
    void addInstructionWithLabelAndValue(std::int32_t kind, OptionalText owner, std::string_view text, float value);
    void addOnInstruction(std::int32_t kind, OptionalText owner, std::int32_t events, OptionalText code);
    void beginBlock();
    void endBlock();
    void clearPatrolAreas();
    void addPatrolArea(std::string_view label);
    bool isNewPatrolArea(std::string_view label) const;

    // ---- objectives ----
    void addObjective(std::int32_t outcome, std::string_view subject, std::string_view description);
    void openConditionNode();
    void setConditionOperator(std::int32_t kind);
    void addConditionLeaf(std::int32_t kind, std::string_view name);
    void addTimeoutCondition(std::int32_t kind, std::int32_t count);
    void closeConditionNode();
    void addObjectiveResult(std::string_view text);

    // ---- output (defined with the printer) ----
    // Writes the whole record in the normalised layout.
    OutputSink& print(OutputSink& out) const;

    // ---- the record's fields, read by the printer and by tests ----
    OptionalText missionName;
    OptionalText author;
    OptionalText description;
    OptionalText mapName;
    std::optional<std::string> annotation;  // grows piece by piece
    std::vector<Rule> rules;
    std::vector<Location> locations;  // declaration order; duplicates kept
    std::vector<std::unique_ptr<Area>> areas;
    std::int32_t mapStyle = 0;
    std::vector<std::unique_ptr<Force>> forces;
    std::vector<Objective> objectives;
    Force* currentForce = nullptr;
    Team* currentTeam = nullptr;
    Member* currentMember = nullptr;
    std::vector<Team*> teams;      // every team, declaration order
    std::vector<Member*> members;  // every member, declaration order
    InstructionList* currentInstructions = nullptr;
    // One entry per open "on" block: the enclosing list, and the block being
    // filled until endBlock hands it to its instruction.
    struct OpenBlock {
        InstructionList* enclosing;
        InstructionList* block;
    };
    std::vector<OpenBlock> blockStack;
    Objective* currentObjective = nullptr;
    ConditionNode* currentCondition = nullptr;
    std::vector<Text> patrolAreas;

private:
    Text copyText(std::string_view text) {
        const auto begin = reinterpret_cast<std::uintptr_t>(text.data());
        // Nearly every text comes from the source being parsed, the latest one retained.
        if (begin >= latestSourceBegin_ && begin + text.size() <= latestSourceEnd_) return text;
        return isRetained(text) ? text : arena_.copy(text);
    }
    bool isRetained(std::string_view text) const;
    OptionalText copyText(OptionalText text) { return text ? OptionalText(copyText(*text)) : std::nullopt; }
    Instruction& appendInstruction(std::int32_t kind, OptionalText owner);
    void appendAreaLabel(std::vector<Text> Area::*list, std::string_view label);
    Member& member() { return *currentMember; }
    ConditionNode* attachCondition(std::unique_ptr<ConditionNode> node);
    void attachConditionLeaf(std::unique_ptr<ConditionNode> leaf);

    Arena arena_;
    // Each retained source: what keeps it alive, and where its text lies.
    struct RetainedSource {
        std::shared_ptr<const void> owner;
        std::uintptr_t begin;
        std::uintptr_t end;
    };
    std::vector<RetainedSource> sources_;
    std::uintptr_t latestSourceBegin_ = 1;  // an empty range until a source is retained
    std::uintptr_t latestSourceEnd_ = 0;
    // Indexes that answer the declaration queries without scanning; each
    // gives the answer of a first-match scan in declaration order.
    // A list position as an index stores it; a list that long cannot be
    // indexed, which ends the run like any other exhaustion of memory.
    static std::uint32_t position(std::size_t index) {
        if (index >= NameIndex::kAbsent) throw std::bad_alloc();
        return static_cast<std::uint32_t>(index);
    }
    // Each index holds positions in the list named after it.
    NameIndex locationIndex_;
    NameIndex areaIndex_;
    NameIndex forceIndex_;
    NameIndex teamIndex_;
    NameIndex memberIndex_;
    // Filled only once a patrol list grows long; short lists are scanned.
    NameIndex patrolAreaIndex_;
    auto locationLabelAt() const {
        return [this](std::uint32_t at) { return locations[at].label; };
    }
    auto areaLabelAt() const {
        return [this](std::uint32_t at) { return areas[at]->label; };
    }
    auto forceNameAt() const {
        return [this](std::uint32_t at) { return forces[at]->name; };
    }
    auto teamNameAt() const {
        return [this](std::uint32_t at) { return teams[at]->name; };
    }
    auto memberNameAt() const {
        return [this](std::uint32_t at) { return members[at]->name; };
    }
    auto patrolAreaAt() const {
        return [this](std::uint32_t at) { return patrolAreas[at]; };
    }
};

}  // namespace zeb
