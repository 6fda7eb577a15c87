#include <algorithm>

#include "model/mission_builder.h"

namespace zeb {

namespace {

// Patrol lists are almost always a handful of labels; a scan beats hashing
// them, so the set is built only for the rare long list.
constexpr std::size_t kPatrolScanLimit = 16;

}  // namespace

void MissionBuilder::selectPlan(std::string_view teamName) {
    const std::uint32_t found = mission_.teamIndex_.find(teamName, mission_.teamNameAt());
    if (found != NameIndex::kAbsent) {
        currentInstructions_ = &mission_.teams[found]->instructions;
    } else {
        currentInstructions_ = keepGoing_ ? &unknownPlan_ : nullptr;
    }
    planTeam_ = teamName;
}

void MissionBuilder::endPlan() {
    currentInstructions_ = nullptr;
    planTeam_ = std::nullopt;
}

Instruction& MissionBuilder::appendInstruction(InstructionKind kind, OptionalText owner) {
    Instruction& added = currentInstructions_->emplace_back(arena());
    added.kind = kind;
    added.owner = copyText(owner);
    return added;
}

void MissionBuilder::addInstruction(InstructionKind kind, OptionalText owner) {
    Instruction& added = appendInstruction(kind, owner);
    if (kind != InstructionKind::Patrol || patrolAreas_.empty()) return;
    added.hasAreaList = true;
    for (Text area : patrolAreas_) added.areas.push_back(arena(), area);
    clearPatrolAreas();
}

void MissionBuilder::addInstructionWithValue(InstructionKind kind, float value) {
    appendInstruction(kind, std::nullopt).value = value;
}

void MissionBuilder::addInstructionWithLabel(InstructionKind kind, OptionalText owner, std::string_view text) {
    appendInstruction(kind, owner).first = copyText(text);
}

void MissionBuilder::addInstructionWithLabels(InstructionKind kind, OptionalText owner, std::string_view first,
                                              OptionalText second) {
    Instruction& added = appendInstruction(kind, owner);
    added.first = copyText(first);
    added.second = copyText(second);
}

void MissionBuilder::addInstructionWithLabelAndValue(InstructionKind kind, OptionalText owner, std::string_view text,
                                                     float value) {
    Instruction& added = appendInstruction(kind, owner);
    added.first = copyText(text);
    added.value = value;
}

void MissionBuilder::addOnInstruction(InstructionKind kind, OptionalText owner, TriggerEvents events,
                                      OptionalText code) {
    Instruction& added = appendInstruction(kind, owner);
    added.events = events;
    added.first = copyText(code);
}

void MissionBuilder::beginTriggerSet() {
    pendingTriggerEvents_ = {};
    pendingTriggerCode_ = std::nullopt;
}

void MissionBuilder::addOnInstruction(InstructionKind kind, OptionalText owner) {
    addOnInstruction(kind, owner, pendingTriggerEvents_, pendingTriggerCode_);
    pendingTriggerCode_ = std::nullopt;
}

void MissionBuilder::beginBlock() {
    blockStack_.push_back(OpenBlock{currentInstructions_, arena().make<InstructionList>()});
    currentInstructions_ = blockStack_.back().block;
}

void MissionBuilder::endBlock() {
    const OpenBlock finished = blockStack_.back();
    blockStack_.pop_back();
    currentInstructions_ = finished.enclosing;
    currentInstructions_->back().block = finished.block;
}

void MissionBuilder::clearPatrolAreas() {
    patrolAreas_.clear();
    patrolLabelCount_ = 0;
    if (!patrolAreaIndex_.empty()) patrolAreaIndex_.clear();
}

void MissionBuilder::addPatrolArea(std::string_view label) {
    patrolAreas_.push_back(copyText(label));
    if (patrolAreas_.size() < kPatrolScanLimit) return;
    if (patrolAreaIndex_.empty()) {
        for (std::size_t i = 0; i < patrolAreas_.size(); ++i) {
            patrolAreaIndex_.insert(patrolAreas_[i], position(i), patrolAreaAt());
        }
    } else {
        patrolAreaIndex_.insert(patrolAreas_.back(), position(patrolAreas_.size() - 1), patrolAreaAt());
    }
}

bool MissionBuilder::isNewPatrolArea(std::string_view label) const {
    if (patrolAreas_.size() >= kPatrolScanLimit) {
        return patrolAreaIndex_.find(label, patrolAreaAt()) == NameIndex::kAbsent;
    }
    return std::find(patrolAreas_.begin(), patrolAreas_.end(), label) == patrolAreas_.end();
}

}  // namespace zeb
