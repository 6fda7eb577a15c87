#include <algorithm>

#include "model/mission_builder.h"

namespace zeb {

namespace {

// Labels no area has are rare (a build by hand); a scan beats hashing a
// handful of them, so their set is built only for a long list.
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
    for (const Text* area : patrolAreas_) added.areas.push_back(arena(), *area);
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
    if (++patrolList_ == 0) {
        // After 2^32 lists the marks start over, so no old mark can match.
        std::fill(patrolListOfArea_.begin(), patrolListOfArea_.end(), 0);
        patrolList_ = 1;
    }
    if (!undeclaredPatrolAreas_.empty()) undeclaredPatrolAreas_.clear();
    if (!undeclaredPatrolIndex_.empty()) undeclaredPatrolIndex_.clear();
}

bool MissionBuilder::markPatrolArea(std::uint32_t area) {
    if (area >= patrolListOfArea_.size()) patrolListOfArea_.resize(mission_.areas.size(), 0);
    if (patrolListOfArea_[area] == patrolList_) return false;
    patrolListOfArea_[area] = patrolList_;
    return true;
}

MissionBuilder::PatrolArea MissionBuilder::addDeclaredPatrolArea(std::string_view label) {
    const std::uint32_t area = mission_.areaIndex_.find(label, mission_.areaLabelAt());
    if (area == NameIndex::kAbsent) return PatrolArea::Undeclared;
    if (!markPatrolArea(area)) return PatrolArea::Repeated;
    patrolAreas_.push_back(&mission_.areas[area]->label);
    return PatrolArea::Added;
}

void MissionBuilder::addPatrolArea(std::string_view label) {
    const std::uint32_t area = mission_.areaIndex_.find(label, mission_.areaLabelAt());
    if (area != NameIndex::kAbsent) {
        markPatrolArea(area);
        patrolAreas_.push_back(&mission_.areas[area]->label);
        return;
    }
    const Text* stored = arena().make<Text>(copyText(label));
    patrolAreas_.push_back(stored);
    undeclaredPatrolAreas_.push_back(*stored);
    if (undeclaredPatrolAreas_.size() < kPatrolScanLimit) return;
    if (undeclaredPatrolIndex_.empty()) {
        for (std::size_t i = 0; i < undeclaredPatrolAreas_.size(); ++i) {
            undeclaredPatrolIndex_.insert(undeclaredPatrolAreas_[i], position(i), undeclaredPatrolAreaAt());
        }
    } else {
        undeclaredPatrolIndex_.insert(*stored, position(undeclaredPatrolAreas_.size() - 1), undeclaredPatrolAreaAt());
    }
}

bool MissionBuilder::isNewPatrolArea(std::string_view label) const {
    const std::uint32_t area = mission_.areaIndex_.find(label, mission_.areaLabelAt());
    if (area != NameIndex::kAbsent) return !isMarkedPatrolArea(area);
    if (undeclaredPatrolAreas_.size() >= kPatrolScanLimit) {
        return undeclaredPatrolIndex_.find(label, undeclaredPatrolAreaAt()) == NameIndex::kAbsent;
    }
    return std::find(undeclaredPatrolAreas_.begin(), undeclaredPatrolAreas_.end(), label) ==
           undeclaredPatrolAreas_.end();
}

std::vector<Text> MissionBuilder::patrolAreas() const {
    std::vector<Text> labels;
    labels.reserve(patrolAreas_.size());
    for (const Text* label : patrolAreas_) labels.push_back(*label);
    return labels;
}

}  // namespace zeb
