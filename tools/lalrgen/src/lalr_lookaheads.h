#pragma once

#include <vector>

#include "grammar.h"
#include "lr0_automaton.h"
#include "terminal_set.h"

namespace zeb::lalrgen {

struct Reduction {
    int production;
    TerminalSet lookahead;
};

// Indexed by state: its reductions in production order, each with its LALR(1)
// look-ahead set. The accepting production is never listed: the parser accepts
// on entering the final state instead.
using StateReductions = std::vector<std::vector<Reduction>>;

// DeRemer–Pennello: look-aheads are Follow sets of nonterminal transitions,
// found by two digraph passes (reads, then includes) and gathered via lookback.
StateReductions computeLalrLookaheads(const Grammar& grammar, const Lr0Automaton& automaton);

}  // namespace zeb::lalrgen
