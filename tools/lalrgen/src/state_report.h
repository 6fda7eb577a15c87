#pragma once

#include <string>
#include <vector>

#include "grammar.h"
#include "lalr_lookaheads.h"
#include "lr0_automaton.h"
#include "parse_tables.h"

namespace zeb::lalrgen {

// Human-readable listing: the productions, then per state its items (kernel
// and closure), actions, gotos and default reduction. Conflicts, if any, are
// listed first so the report explains a failed run.
std::string writeStateReport(const Grammar& grammar, const Lr0Automaton& automaton, const StateReductions& reductions,
                             const TableBuild& build);

}  // namespace zeb::lalrgen
