#include "analysis/name_lookup.h"

#include <algorithm>

namespace zeb {
namespace {

void addOccupiedLabels(std::string_view source, const Mission& mission, std::vector<PlacedName>& out) {
    std::vector<const ConditionNode*> pending;
    for (const Objective& objective : mission.objectives) {
        if (objective.root) pending.push_back(objective.root.get());
        // A deeply nested condition would overflow a recursive walk.
        while (!pending.empty()) {
            const ConditionNode* node = pending.back();
            pending.pop_back();
            if (node->kind == ConditionKind::Occupied && node->name) {
                if (const auto span = spanIn(source, *node->name)) {
                    out.push_back(PlacedName{NameKind::Location, false, *span, *node->name});
                }
            }
            if (node->left) pending.push_back(node->left.get());
            if (node->right) pending.push_back(node->right.get());
        }
    }
}

}  // namespace

NameLookup::NameLookup(std::string_view source, const MissionAnalysis& analysis) {
    names_.reserve(analysis.names.size());
    for (const NameMention& mention : analysis.names) {
        if (const auto span = spanIn(source, mention.name)) {
            names_.push_back(PlacedName{mention.kind, mention.declaration, *span, mention.name});
        }
    }
    const std::size_t mentioned = names_.size();
    if (analysis.mission) addOccupiedLabels(source, *analysis.mission, names_);
    if (names_.size() != mentioned) {
        std::stable_sort(names_.begin(), names_.end(),
                         [](const PlacedName& a, const PlacedName& b) { return a.span.begin < b.span.begin; });
    }
}

const PlacedName* NameLookup::at(std::size_t offset) const {
    // The first name that ends at or after the offset.
    auto found = std::lower_bound(names_.begin(), names_.end(), offset,
                                  [](const PlacedName& name, std::size_t at) { return name.span.end < at; });
    if (found == names_.end() || found->span.begin > offset) return nullptr;
    return &*found;
}

std::vector<const PlacedName*> NameLookup::mentionsOf(NameKind kind, std::string_view name) const {
    std::vector<const PlacedName*> found;
    for (const PlacedName& placed : names_) {
        if (placed.kind == kind && placed.name == name) found.push_back(&placed);
    }
    return found;
}

const PlacedName* NameLookup::declarationOf(NameKind kind, std::string_view name) const {
    for (const PlacedName& placed : names_) {
        if (placed.declaration && placed.kind == kind && placed.name == name) return &placed;
    }
    return nullptr;
}

}  // namespace zeb
