#pragma once

#include <map>
#include <set>
#include <vector>

#include "grammar.h"
#include "lr0_automaton.h"

namespace zeb::lalrgen::testing {

// production -> look-ahead terminals, for one LR(0) core.
using ReductionLookaheads = std::map<int, std::set<int>>;

// An independent, slow route to LALR(1): build the canonical LR(1) collection
// and merge states by core. Keyed by the LR(0) kernel the merged state has.
std::map<std::vector<Item>, ReductionLookaheads> mergedCanonicalLookaheads(const Grammar& grammar);

}  // namespace zeb::lalrgen::testing
