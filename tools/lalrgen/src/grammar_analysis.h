#pragma once

#include <vector>

#include "grammar.h"

namespace zeb::lalrgen {

// Indexed by nonterminal: can it derive the empty string?
std::vector<bool> nullableNonterminals(const Grammar& grammar);

// Indexed by nonterminal: does it derive at least one string of terminals?
std::vector<bool> productiveNonterminals(const Grammar& grammar);

// Indexed by nonterminal: is it reachable from $accept?
std::vector<bool> reachableNonterminals(const Grammar& grammar);

}  // namespace zeb::lalrgen
