#pragma once

// Fills one Mission in file order: the only writer of a record. The grammar's
// actions talk to it alone; it keeps everything that matters only while the
// file is read (the current force, team, member, area, instruction list,
// objective and condition node, and the values one action leaves for a later
// one). No operation reports errors: checks and messages belong to the
// actions, which ask the record's lookups first.

#include <cstdint>
#include <string_view>
#include <vector>

#include "model/mission.h"
#include "model/name_index.h"
#include "model/records.h"

namespace zeb {

// Which list of the current area receives the labels being read.
enum class AreaLabelList : std::int32_t { None, Locations, Entrances, Exits, Windows };

class MissionBuilder {
public:
    explicit MissionBuilder(Mission& mission) : mission_(mission) {}
    MissionBuilder(const MissionBuilder&) = delete;
    MissionBuilder& operator=(const MissionBuilder&) = delete;

    // The record being filled, for its lookups.
    const Mission& mission() const { return mission_; }

    // The companion tools go on after a name error to find the next ones;
    // the actions then still add what they checked where that is safe, and
    // the builder gives instructions of an unknown plan a list of their own.
    void keepGoingAfterNameErrors(bool keepGoing) { keepGoing_ = keepGoing; }
    bool keepsGoingAfterNameErrors() const { return keepGoing_; }

    // When asked, every declaration and use of a location, area, force,
    // team or member is recorded, in source order (the companion tools'
    // navigation); the compiler does not ask.
    void recordNames(std::vector<NameMention>* into) { mentions_ = into; }
    bool recordsNames() const { return mentions_ != nullptr; }
    void noteUse(NameKind kind, std::string_view name) {
        if (mentions_ != nullptr) mentions_->push_back(NameMention{kind, name, false});
    }

    // ---- header and rules ----
    void setMissionName(std::string_view text);
    void setAuthor(std::string_view text);
    void setDescription(std::string_view text);
    void addRule(std::string_view ruleName, RespawnMode value);

    // ---- map ----
    void setMapName(std::string_view text);
    void addMapStyle(MapStyle style);
    void appendAnnotation(std::string_view text);
    // A location's label is read before its coordinates.
    void setPendingLocationLabel(std::string_view label) { pendingLocationLabel_ = label; }
    void addLocation(float x, float y, float z) { addLocation(pendingLocationLabel_, x, y, z); }
    void addLocation(std::string_view label, float x, float y, float z);
    void addArea(std::string_view label);
    void addAreaStyle(AreaStyle style);
    // The labels that follow go to this list of the current area.
    void beginAreaLabelList(AreaLabelList list);
    void addAreaLabel(std::string_view label);  // to the list begun last
    // The same for the grammar, which reports a label no location has: one
    // lookup for the check and the add. False, and nothing added, for such a label.
    bool addDeclaredAreaLabel(std::string_view label);
    void addAreaLocation(std::string_view label);  // keeps label's storage
    void addAreaEntrance(std::string_view label);  // keeps label's storage
    void addAreaExit(std::string_view label);      // keeps label's storage
    void addAreaWindow(std::string_view label);    // keeps label's storage
    void setAreaRadius(std::int32_t radius);

    // ---- forces ----
    void addForce(std::string_view name);
    void addTeam(std::string_view name);
    void addMember(MemberKind kind, std::string_view name, OptionalText secondName);
    // Adds the member only when no member has the name yet; false, and
    // nothing added, when one has. A declaration costs one lookup this way.
    bool addMemberIfNew(MemberKind kind, std::string_view name, OptionalText secondName);
    void addWeapon(std::string_view name);
    void addAmmo(std::string_view name, std::int32_t count);
    void addItem(std::string_view name);
    void setSkill(float value);

    // ---- plans ----
    void selectPlan(std::string_view teamName);
    void endPlan();
    // The team named by the plan being read, which owns its instructions.
    OptionalText planTeam() const { return planTeam_; }
    void addInstruction(InstructionKind kind, OptionalText owner);
    void addInstructionWithValue(InstructionKind kind, float value);
    void addInstructionWithLabel(InstructionKind kind, OptionalText owner, std::string_view text);
    void addInstructionWithLabels(InstructionKind kind, OptionalText owner, std::string_view first,
                                  OptionalText second);
    void addInstructionWithLabelAndValue(InstructionKind kind, OptionalText owner, std::string_view text, float value);
    void addOnInstruction(InstructionKind kind, OptionalText owner, TriggerEvents events, OptionalText code);
    void beginBlock();
    void endBlock();
    // The triggers of an "on" are read before the instruction is added.
    void beginTriggerSet();
    void addTrigger(TriggerEvent event) { pendingTriggerEvents_ |= event; }
    void setTriggerCode(std::string_view code) { pendingTriggerCode_ = code; }
    // Adds the "on" with the triggers read since beginTriggerSet.
    void addOnInstruction(InstructionKind kind, OptionalText owner);
    void clearPatrolAreas();
    // The grammar's step for a label of a patrol list: one lookup answers
    // whether an area has the label, whether the list has it already, and
    // adds it when both allow.
    enum class PatrolArea { Added, Undeclared, Repeated };
    PatrolArea addDeclaredPatrolArea(std::string_view label);
    // The same steps apart, for a build by hand: a label no area has is kept
    // as a copy.
    void addPatrolArea(std::string_view label);
    bool isNewPatrolArea(std::string_view label) const;
    // Labels read in the current patrol list, the refused one included.
    void countPatrolLabel() { ++patrolLabelCount_; }
    std::int64_t patrolLabelCount() const { return patrolLabelCount_; }

    // ---- objectives ----
    void addObjective(Outcome outcome, std::string_view subject, std::string_view description);
    void openConditionNode();
    void setConditionOperator(ConditionKind kind);
    void addConditionLeaf(ConditionKind kind, std::string_view name);
    void addTimeoutCondition(ConditionKind kind, std::int32_t count);
    void closeConditionNode();
    void addObjectiveResult(std::string_view text);

    // ---- the state of the build, for tests ----
    const InstructionList* currentInstructions() const { return currentInstructions_; }
    const Member* currentMember() const { return currentMember_; }
    std::size_t openBlockCount() const { return blockStack_.size(); }
    std::vector<Text> patrolAreas() const;
    const Objective* currentObjective() const { return currentObjective_; }
    const ConditionNode* currentCondition() const { return currentCondition_; }

private:
    Text copyText(std::string_view text) { return mission_.copyText(text); }
    OptionalText copyText(OptionalText text) { return mission_.copyText(text); }
    Arena& arena() { return mission_.arena_; }
    Instruction& appendInstruction(InstructionKind kind, OptionalText owner);
    Member& appendMember(MemberKind kind, Text name, OptionalText secondName);
    void appendAreaLabel(std::vector<Text> Area::*list, std::string_view label);
    ConditionNode* attachCondition(std::unique_ptr<ConditionNode> node);
    void attachConditionLeaf(std::unique_ptr<ConditionNode> leaf);

    // A list position as an index stores it; a list that long cannot be
    // indexed, which ends the run like any other exhaustion of memory.
    static std::uint32_t position(std::size_t index) {
        if (index >= NameIndex::kAbsent) throw std::bad_alloc();
        return static_cast<std::uint32_t>(index);
    }

    void noteDeclaration(NameKind kind, Text name) {
        if (mentions_ != nullptr) mentions_->push_back(NameMention{kind, name, true});
    }

    Mission& mission_;
    std::vector<NameMention>* mentions_ = nullptr;
    bool keepGoing_ = false;
    InstructionList unknownPlan_;  // only filled when going on after errors

    std::string_view pendingLocationLabel_;
    AreaLabelList areaLabelList_ = AreaLabelList::None;
    void finishAreaLabelList();
    Force* currentForce_ = nullptr;
    Team* currentTeam_ = nullptr;
    Member* currentMember_ = nullptr;

    OptionalText planTeam_;
    InstructionList* currentInstructions_ = nullptr;
    // One entry per open "on" block: the enclosing list, and the block being
    // filled until endBlock hands it to its instruction.
    struct OpenBlock {
        InstructionList* enclosing;
        InstructionList* block;
    };
    std::vector<OpenBlock> blockStack_;
    TriggerEvents pendingTriggerEvents_;
    OptionalText pendingTriggerCode_;
    // The patrol list being read, as the texts the instruction will point at.
    std::vector<const Text*> patrolAreas_;
    std::int64_t patrolLabelCount_ = 0;
    // Which list each declared area was last added to, by the area's
    // position: a repeat is one comparison, at any length of list.
    std::uint32_t patrolList_ = 1;
    std::vector<std::uint32_t> patrolListOfArea_;
    bool markPatrolArea(std::uint32_t area);
    bool isMarkedPatrolArea(std::uint32_t area) const {
        return area < patrolListOfArea_.size() && patrolListOfArea_[area] == patrolList_;
    }
    // Labels no area has (only a build by hand makes them): scanned while
    // few, indexed once the list grows long.
    std::vector<Text> undeclaredPatrolAreas_;
    NameIndex undeclaredPatrolIndex_;
    auto undeclaredPatrolAreaAt() const {
        return [this](std::uint32_t at) { return undeclaredPatrolAreas_[at]; };
    }

    Objective* currentObjective_ = nullptr;
    ConditionNode* currentCondition_ = nullptr;
};

}  // namespace zeb
