#include "lalr_lookaheads.h"

#include <algorithm>
#include <map>
#include <utility>

#include "digraph.h"
#include "grammar_analysis.h"

namespace zeb::lalrgen {
namespace {

struct NonterminalTransition {
    int from;
    int nonterminal;
    int to;
};

class LookaheadComputation {
public:
    LookaheadComputation(const Grammar& grammar, const Lr0Automaton& automaton)
        : grammar_(grammar), automaton_(automaton), nullable_(nullableNonterminals(grammar)) {
        collectTransitions();
    }

    StateReductions run() {
        const std::vector<TerminalSet> read = closeOverRelation(directReads(), readsRelation());
        std::vector<std::vector<int>> includes(transitions_.size());
        collectIncludesAndLookback(includes);
        follow_ = closeOverRelation(read, includes);
        return reductionsOfAllStates();
    }

private:
    void collectTransitions() {
        transitionIds_.assign(automaton_.stateCount(), std::vector<int>(grammar_.nonterminalCount(), -1));
        for (int state = 0; state < automaton_.stateCount(); ++state) {
            for (int nonterminal = 0; nonterminal < grammar_.nonterminalCount(); ++nonterminal) {
                const int target = automaton_.states[state].nonterminalTarget[nonterminal];
                if (target < 0) continue;
                transitionIds_[state][nonterminal] = static_cast<int>(transitions_.size());
                transitions_.push_back({state, nonterminal, target});
            }
        }
    }

    // DR(p, A): terminals shiftable right after the goto on A.
    std::vector<TerminalSet> directReads() const {
        std::vector<TerminalSet> sets;
        for (const NonterminalTransition& transition : transitions_) {
            TerminalSet set(grammar_.terminalCount());
            const std::vector<int>& shifts = automaton_.states[transition.to].terminalTarget;
            for (int terminal = 0; terminal < grammar_.terminalCount(); ++terminal) {
                if (shifts[terminal] >= 0) set.insert(terminal);
            }
            sets.push_back(std::move(set));
        }
        return sets;
    }

    // (p, A) reads (r, C) when r = goto(p, A) and C can vanish, exposing what follows it.
    std::vector<std::vector<int>> readsRelation() const {
        std::vector<std::vector<int>> reads(transitions_.size());
        for (std::size_t id = 0; id < transitions_.size(); ++id) {
            const int state = transitions_[id].to;
            for (int nonterminal = 0; nonterminal < grammar_.nonterminalCount(); ++nonterminal) {
                const int next = transitionIds_[state][nonterminal];
                if (next >= 0 && nullable_[nonterminal]) reads[id].push_back(next);
            }
        }
        return reads;
    }

    bool vanishesFrom(const Production& production, std::size_t position) const {
        return std::all_of(production.rhs.begin() + static_cast<std::ptrdiff_t>(position), production.rhs.end(),
                           [&](Symbol symbol) { return !symbol.isTerminal && nullable_[symbol.index]; });
    }

    // Walks each production B -> beta from every state with a goto on B:
    // (q, A) includes (p, B) when beta = x A y with y nullable and p --x--> q;
    // the state reached after all of beta looks back to (p, B).
    void collectIncludesAndLookback(std::vector<std::vector<int>>& includes) {
        const std::vector<std::vector<int>> byLhs = grammar_.productionsByLhs();
        for (std::size_t id = 0; id < transitions_.size(); ++id) {
            const NonterminalTransition& transition = transitions_[id];
            for (int productionIndex : byLhs[transition.nonterminal]) {
                const Production& production = grammar_.productions[productionIndex];
                int state = transition.from;
                for (std::size_t i = 0; i < production.rhs.size(); ++i) {
                    const Symbol symbol = production.rhs[i];
                    if (!symbol.isTerminal && vanishesFrom(production, i + 1)) {
                        includes[transitionIds_[state][symbol.index]].push_back(static_cast<int>(id));
                    }
                    state = automaton_.target(state, symbol);
                }
                lookback_[{state, productionIndex}].push_back(static_cast<int>(id));
            }
        }
    }

    StateReductions reductionsOfAllStates() const {
        StateReductions reductions(automaton_.stateCount());
        for (int state = 0; state < automaton_.stateCount(); ++state) {
            for (Item item : automaton_.states[state].items) {
                if (item.production == kAcceptProduction || !isComplete(grammar_, item)) continue;
                reductions[state].push_back({item.production, lookaheadOf(state, item.production)});
            }
            std::sort(reductions[state].begin(), reductions[state].end(),
                      [](const Reduction& a, const Reduction& b) { return a.production < b.production; });
        }
        return reductions;
    }

    TerminalSet lookaheadOf(int state, int production) const {
        TerminalSet lookahead(grammar_.terminalCount());
        if (auto it = lookback_.find({state, production}); it != lookback_.end()) {
            for (int transition : it->second) lookahead.unite(follow_[transition]);
        }
        return lookahead;
    }

    const Grammar& grammar_;
    const Lr0Automaton& automaton_;
    std::vector<bool> nullable_;
    std::vector<NonterminalTransition> transitions_;
    std::vector<std::vector<int>> transitionIds_;               // [state][nonterminal] -> transition id or -1
    std::map<std::pair<int, int>, std::vector<int>> lookback_;  // (state, production) -> transitions
    std::vector<TerminalSet> follow_;
};

}  // namespace

StateReductions computeLalrLookaheads(const Grammar& grammar, const Lr0Automaton& automaton) {
    return LookaheadComputation(grammar, automaton).run();
}

}  // namespace zeb::lalrgen
