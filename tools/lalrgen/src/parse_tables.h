#pragma once

#include <string>
#include <vector>

#include "grammar.h"
#include "lalr_lookaheads.h"
#include "lr0_automaton.h"

namespace zeb::lalrgen {

struct ParseTables {
    std::vector<std::vector<int>> action;     // [state][terminal]: 0 error, >0 shift, <0 reduce by -entry
    std::vector<std::vector<int>> gotoState;  // [state][nonterminal]: target or -1
    std::vector<int> defaultReduction;        // [state]: production or -1
    std::vector<int> reduceWithoutLookahead;  // [state]: production or -1
    int finalState = -1;

    int stateCount() const { return static_cast<int>(action.size()); }
};

// Two actions wanted for one (state, terminal) entry. `first` is the entry
// already there: a shift target (> 0) or a reduce (-production).
struct Conflict {
    int state;
    int terminal;
    int first;
    int reduceBy;  // the production whose reduction collided with it
};

struct TableBuild {
    ParseTables tables;
    std::vector<Conflict> conflicts;  // the tables are meaningless unless this is empty
};

// Fills action and goto tables and picks each state's default reduction: the
// one with most look-aheads, the lower production number on a tie. Conflicts
// are collected, never resolved.
TableBuild buildParseTables(const Grammar& grammar, const Lr0Automaton& automaton, const StateReductions& reductions);

// e.g. `g.grammar: conflict in state 4 on "+": shift to state 5 vs reduce by production 1 (e: e "+" e)`
std::string describeConflict(const Grammar& grammar, const Conflict& conflict);

}  // namespace zeb::lalrgen
