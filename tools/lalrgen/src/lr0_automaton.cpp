#include "lr0_automaton.h"

#include <algorithm>
#include <map>
#include <optional>

namespace zeb::lalrgen {
namespace {

class AutomatonBuilder {
public:
    explicit AutomatonBuilder(const Grammar& grammar)
        : grammar_(grammar), productionsByLhs_(grammar.productionsByLhs()) {}

    Lr0Automaton build() {
        stateFor({{kAcceptProduction, 0}});
        // The vector grows while we walk it: each state is expanded once, in discovery order.
        for (std::size_t state = 0; state < automaton_.states.size(); ++state) addTransitions(static_cast<int>(state));
        automaton_.finalState = finalState();
        return std::move(automaton_);
    }

private:
    std::vector<Item> closure(const std::vector<Item>& kernel) const {
        std::vector<Item> items = kernel;
        std::vector<bool> expanded(grammar_.nonterminals.size(), false);
        for (std::size_t i = 0; i < items.size(); ++i) {
            const std::optional<Symbol> next = symbolAfterDot(items[i]);
            if (!next || next->isTerminal || expanded[next->index]) continue;
            expanded[next->index] = true;
            for (int production : productionsByLhs_[next->index]) items.push_back({production, 0});
        }
        return items;
    }

    std::optional<Symbol> symbolAfterDot(Item item) const {
        const std::vector<Symbol>& rhs = grammar_.productions[item.production].rhs;
        if (item.dot >= static_cast<int>(rhs.size())) return std::nullopt;
        return rhs[item.dot];
    }

    int stateFor(const std::vector<Item>& kernel) {
        auto [it, inserted] = stateByKernel_.try_emplace(kernel, automaton_.stateCount());
        if (inserted) {
            Lr0State state{kernel, closure(kernel), std::vector<int>(grammar_.terminalCount(), -1),
                           std::vector<int>(grammar_.nonterminalCount(), -1)};
            automaton_.states.push_back(std::move(state));
        }
        return it->second;
    }

    void addTransitions(int state) {
        std::map<Symbol, std::vector<Item>> kernels;  // Symbol order puts nonterminals before terminals...
        for (Item item : automaton_.states[state].items) {
            if (std::optional<Symbol> next = symbolAfterDot(item))
                kernels[*next].push_back({item.production, item.dot + 1});
        }
        // ...so walk terminals first, then nonterminals, for a conventional numbering.
        for (bool terminals : {true, false}) {
            for (auto& [symbol, kernel] : kernels) {
                if (symbol.isTerminal != terminals) continue;
                std::sort(kernel.begin(), kernel.end());
                const int target = stateFor(kernel);
                Lr0State& from = automaton_.states[state];
                (symbol.isTerminal ? from.terminalTarget : from.nonterminalTarget)[symbol.index] = target;
            }
        }
    }

    int finalState() const {
        const int afterStart = automaton_.states[0].nonterminalTarget[grammar_.startSymbol];
        return automaton_.states[afterStart].terminalTarget[kEndOfInput];
    }

    const Grammar& grammar_;
    std::vector<std::vector<int>> productionsByLhs_;
    std::map<std::vector<Item>, int> stateByKernel_;
    Lr0Automaton automaton_;
};

}  // namespace

bool isComplete(const Grammar& grammar, Item item) {
    return item.dot == static_cast<int>(grammar.productions[item.production].rhs.size());
}

Lr0Automaton buildLr0Automaton(const Grammar& grammar) {
    return AutomatonBuilder(grammar).build();
}

}  // namespace zeb::lalrgen
