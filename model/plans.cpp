#include "model/mission.h"

#include <algorithm>

namespace zeb {

namespace {

// Patrol lists are almost always a handful of labels; a scan beats hashing
// them, so the set is built only for the rare long list.
constexpr std::size_t kPatrolScanLimit = 16;

}  // namespace

void Mission::selectPlan(std::string_view teamName) {
    const std::uint32_t found = teamIndex_.find(teamName, teamNameAt());
    currentInstructions = found == NameIndex::kAbsent ? nullptr : &teams[found]->instructions;
}

void Mission::endPlan() {
    currentInstructions = nullptr;
}

Instruction& Mission::appendInstruction(std::int32_t kind, OptionalText owner) {
    Instruction& added = currentInstructions->emplace_back(arena_);
    added.kind = kind;
    added.owner = copyText(owner);
    return added;
}

void Mission::addInstruction(std::int32_t kind, OptionalText owner) {
    Instruction& added = appendInstruction(kind, owner);
    if (kind != static_cast<std::int32_t>(InstructionKind::Patrol) || patrolAreas.empty()) return;
    added.hasAreaList = true;
    for (Text area : patrolAreas) added.areas.push_back(arena_, area);
    clearPatrolAreas();
}

void Mission::addInstructionWithValue(std::int32_t kind, float value) {
    appendInstruction(kind, std::nullopt).value = value;
}

void Mission::addInstructionWithLabel(std::int32_t kind, OptionalText owner, std::string_view text) {
    appendInstruction(kind, owner).first = copyText(text);
}

void Mission::addInstructionWithLabels(std::int32_t kind, OptionalText owner, std::string_view first,
                                       OptionalText second) {
    Instruction& added = appendInstruction(kind, owner);
    added.first = copyText(first);
    added.second = copyText(second);
}

void Mission::addInstructionWithLabelAndValue(std::int32_t kind, OptionalText owner, std::string_view text,
                                              float value) {
    Instruction& added = appendInstruction(kind, owner);
    added.first = copyText(text);
    added.value = value;
}

void Mission::addOnInstruction(std::int32_t kind, OptionalText owner, std::int32_t events, OptionalText code) {
    Instruction& added = appendInstruction(kind, owner);
    added.events = events;
    added.first = copyText(code);
}

void Mission::beginBlock() {
    blockStack.push_back(OpenBlock{currentInstructions, arena_.make<InstructionList>()});
    currentInstructions = blockStack.back().block;
}

void Mission::endBlock() {
    const OpenBlock finished = blockStack.back();
    blockStack.pop_back();
    currentInstructions = finished.enclosing;
    currentInstructions->back().block = finished.block;
}

void Mission::clearPatrolAreas() {
    patrolAreas.clear();
    if (!patrolAreaIndex_.empty()) patrolAreaIndex_.clear();
}

void Mission::addPatrolArea(std::string_view label) {
    patrolAreas.push_back(copyText(label));
    if (patrolAreas.size() < kPatrolScanLimit) return;
    if (patrolAreaIndex_.empty()) {
        for (std::size_t i = 0; i < patrolAreas.size(); ++i) {
            patrolAreaIndex_.insert(patrolAreas[i], position(i), patrolAreaAt());
        }
    } else {
        patrolAreaIndex_.insert(patrolAreas.back(), position(patrolAreas.size() - 1), patrolAreaAt());
    }
}

bool Mission::isNewPatrolArea(std::string_view label) const {
    if (patrolAreas.size() >= kPatrolScanLimit) {
        return patrolAreaIndex_.find(label, patrolAreaAt()) == NameIndex::kAbsent;
    }
    return std::find(patrolAreas.begin(), patrolAreas.end(), label) == patrolAreas.end();
}

}  // namespace zeb
