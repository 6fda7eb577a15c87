#include "parse_tables.h"

namespace zeb::lalrgen {
namespace {

int chooseDefaultReduction(const std::vector<Reduction>& reductions) {
    int chosen = -1;
    int mostLookaheads = -1;
    // Reductions come in production order, so a strict '>' keeps the lower number on ties.
    for (const Reduction& reduction : reductions) {
        const int count = reduction.lookahead.size();
        if (count > mostLookaheads) {
            mostLookaheads = count;
            chosen = reduction.production;
        }
    }
    return chosen;
}

bool shiftsAnyTerminal(const Lr0State& state) {
    for (int target : state.terminalTarget) {
        if (target >= 0) return true;
    }
    return false;
}

// A state that can only reduce, and only by one production, need not read a token first.
int chooseReductionWithoutLookahead(const Lr0State& state, const std::vector<Reduction>& reductions) {
    if (reductions.empty() || shiftsAnyTerminal(state)) return -1;
    for (const Reduction& reduction : reductions) {
        if (reduction.production != reductions.front().production) return -1;
    }
    return reductions.front().production;
}

void fillStateActions(int stateIndex, const Lr0State& state, const std::vector<Reduction>& reductions,
                      std::vector<int>& row, std::vector<Conflict>& conflicts) {
    for (std::size_t terminal = 0; terminal < row.size(); ++terminal) {
        if (state.terminalTarget[terminal] >= 0) row[terminal] = state.terminalTarget[terminal];
    }
    for (const Reduction& reduction : reductions) {
        for (int terminal : reduction.lookahead.members()) {
            if (row[terminal] != 0) {
                conflicts.push_back({stateIndex, terminal, row[terminal], reduction.production});
            } else {
                row[terminal] = -reduction.production;
            }
        }
    }
}

std::string describeReduction(const Grammar& grammar, int production) {
    return "reduce by production " + std::to_string(production) + " (" + grammar.productionText(production) + ")";
}

}  // namespace

TableBuild buildParseTables(const Grammar& grammar, const Lr0Automaton& automaton, const StateReductions& reductions) {
    TableBuild build;
    ParseTables& tables = build.tables;
    tables.finalState = automaton.finalState;
    for (int s = 0; s < automaton.stateCount(); ++s) {
        const Lr0State& state = automaton.states[s];
        std::vector<int> row(grammar.terminalCount(), 0);
        fillStateActions(s, state, reductions[s], row, build.conflicts);
        tables.action.push_back(std::move(row));
        tables.gotoState.push_back(state.nonterminalTarget);
        tables.defaultReduction.push_back(chooseDefaultReduction(reductions[s]));
        tables.reduceWithoutLookahead.push_back(chooseReductionWithoutLookahead(state, reductions[s]));
    }
    return build;
}

std::string describeConflict(const Grammar& grammar, const Conflict& conflict) {
    const std::string first = conflict.first > 0 ? "shift to state " + std::to_string(conflict.first)
                                                 : describeReduction(grammar, -conflict.first);
    return grammar.sourceName + ": conflict in state " + std::to_string(conflict.state) + " on " +
           grammar.terminalNames[conflict.terminal] + ": " + first + " vs " +
           describeReduction(grammar, conflict.reduceBy);
}

}  // namespace zeb::lalrgen
