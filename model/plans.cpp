#include "model/mission.h"

#include <algorithm>

namespace zeb {

namespace {

// Patrol lists are almost always a handful of labels; a scan beats hashing
// them, so the set is built only for the rare long list.
constexpr std::size_t kPatrolScanLimit = 16;

}  // namespace

void Mission::selectPlan(std::string_view teamName) {
    Team* const* found = firstTeamByName_.find(teamName);
    currentInstructions = found == nullptr ? nullptr : &(*found)->instructions;
}

void Mission::endPlan() { currentInstructions = nullptr; }

Instruction& Mission::appendInstruction(std::int32_t kind, OptionalText owner) {
    Instruction& added = currentInstructions->emplace_back();
    added.kind = kind;
    added.owner = copyText(owner);
    return added;
}

void Mission::addInstruction(std::int32_t kind, OptionalText owner) {
    Instruction& added = appendInstruction(kind, owner);
    if (kind != static_cast<std::int32_t>(InstructionKind::Patrol) || patrolAreas.empty()) return;
    // The collected labels are already this record's own copies; hand them over.
    added.hasAreaList = true;
    added.areas = std::move(patrolAreas);
    clearPatrolAreas();
}

void Mission::addInstructionWithValue(std::int32_t kind, float value) {
    appendInstruction(kind, std::nullopt).value = value;
}

void Mission::addInstructionWithLabel(std::int32_t kind, OptionalText owner, std::string_view text) {
    appendInstruction(kind, owner).first = copyText(text);
}

void Mission::addInstructionWithLabels(std::int32_t kind, OptionalText owner,
                                       std::string_view first, OptionalText second) {
    Instruction& added = appendInstruction(kind, owner);
    added.first = copyText(first);
    added.second = copyText(second);
}

void Mission::addInstructionWithLabelAndValue(std::int32_t kind, OptionalText owner,
                                              std::string_view text, float value) {
    Instruction& added = appendInstruction(kind, owner);
    added.first = copyText(text);
    added.value = value;
}

void Mission::addOnInstruction(std::int32_t kind, OptionalText owner, std::int32_t events,
                               OptionalText code) {
    Instruction& added = appendInstruction(kind, owner);
    added.events = events;
    added.first = copyText(code);
}

void Mission::beginBlock() {
    blockStack.push_back(OpenBlock{currentInstructions, std::make_unique<InstructionList>()});
    currentInstructions = blockStack.back().block.get();
}

void Mission::endBlock() {
    OpenBlock finished = std::move(blockStack.back());
    blockStack.pop_back();
    currentInstructions = finished.enclosing;
    currentInstructions->back().block = std::move(finished.block);
}

void Mission::clearPatrolAreas() {
    patrolAreas.clear();
    if (!patrolAreaSet_.empty()) patrolAreaSet_.clear();
}

void Mission::addPatrolArea(std::string_view label) {
    patrolAreas.push_back(copyText(label));
    if (patrolAreas.size() < kPatrolScanLimit) return;
    if (patrolAreaSet_.empty()) {
        for (Text area : patrolAreas) patrolAreaSet_.insert(area);
    } else {
        patrolAreaSet_.insert(patrolAreas.back());
    }
}

bool Mission::isNewPatrolArea(std::string_view label) const {
    if (patrolAreas.size() >= kPatrolScanLimit) return !patrolAreaSet_.contains(label);
    return std::find(patrolAreas.begin(), patrolAreas.end(), label) == patrolAreas.end();
}

}  // namespace zeb
