#pragma once

#include <vector>

#include "terminal_set.h"

namespace zeb::lalrgen {

// DeRemer–Pennello "digraph": given initial sets and a relation R, computes for
// every x the union of the initial sets of all y reachable from x via R*.
// Nodes of one strongly connected component end up sharing one set.
std::vector<TerminalSet> closeOverRelation(std::vector<TerminalSet> sets,
                                           const std::vector<std::vector<int>>& relation);

}  // namespace zeb::lalrgen
