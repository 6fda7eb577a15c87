#pragma once

#include <compare>
#include <vector>

#include "grammar.h"

namespace zeb::lalrgen {

struct Item {
    int production;
    int dot;  // number of rhs symbols already recognised
    auto operator<=>(const Item&) const = default;
};

struct Lr0State {
    std::vector<Item> kernel;            // sorted
    std::vector<Item> items;             // kernel first, then closure items
    std::vector<int> terminalTarget;     // by terminal: state shifted to, or -1
    std::vector<int> nonterminalTarget;  // by nonterminal: goto state, or -1
};

struct Lr0Automaton {
    std::vector<Lr0State> states;  // state 0 is the start state
    int finalState = -1;           // entered by shifting $end after the start symbol

    int stateCount() const { return static_cast<int>(states.size()); }
    int target(int state, Symbol symbol) const {
        const Lr0State& from = states[state];
        return symbol.isTerminal ? from.terminalTarget[symbol.index] : from.nonterminalTarget[symbol.index];
    }
};

// Canonical collection of LR(0) item sets. States are numbered in the order
// they are discovered, successors of a state in symbol order (terminals first).
Lr0Automaton buildLr0Automaton(const Grammar& grammar);

bool isComplete(const Grammar& grammar, Item item);

}  // namespace zeb::lalrgen
