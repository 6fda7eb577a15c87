#include "grammar_analysis.h"

#include <algorithm>

namespace zeb::lalrgen {
namespace {

// Least fixed point of "lhs holds once every nonterminal of some rhs holds",
// with terminals counting as holding when terminalsHold is set.
std::vector<bool> holdsForSomeProduction(const Grammar& grammar, bool terminalsHold) {
    std::vector<bool> holds(grammar.nonterminals.size(), false);
    for (bool changed = true; changed;) {
        changed = false;
        for (const Production& production : grammar.productions) {
            if (holds[production.lhs]) continue;
            const bool all = std::all_of(production.rhs.begin(), production.rhs.end(), [&](Symbol symbol) {
                return symbol.isTerminal ? terminalsHold : static_cast<bool>(holds[symbol.index]);
            });
            if (all) holds[production.lhs] = changed = true;
        }
    }
    return holds;
}

}  // namespace

std::vector<bool> nullableNonterminals(const Grammar& grammar) {
    return holdsForSomeProduction(grammar, false);
}

std::vector<bool> productiveNonterminals(const Grammar& grammar) {
    return holdsForSomeProduction(grammar, true);
}

std::vector<bool> reachableNonterminals(const Grammar& grammar) {
    const std::vector<std::vector<int>> byLhs = grammar.productionsByLhs();
    std::vector<bool> reached(grammar.nonterminals.size(), false);
    std::vector<int> pending{kAcceptNonterminal};
    reached[kAcceptNonterminal] = true;
    while (!pending.empty()) {
        const int nonterminal = pending.back();
        pending.pop_back();
        for (int production : byLhs[nonterminal]) {
            for (Symbol symbol : grammar.productions[production].rhs) {
                if (symbol.isTerminal || reached[symbol.index]) continue;
                reached[symbol.index] = true;
                pending.push_back(symbol.index);
            }
        }
    }
    return reached;
}

}  // namespace zeb::lalrgen
