#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "grammar.h"
#include "token_definitions.h"

namespace zeb::lalrgen {

// Parses grammar notation (see README.md) into productions, replacing each
// @action point by a fresh nonterminal with one empty production numbered just
// before its holder. Only the notation is checked here; see checkGrammar.
// Throws GrammarError naming the line of the first syntax error.
Grammar parseGrammar(std::string_view text, const std::string& sourceName, const std::vector<TokenDefinition>& tokens);

// parseGrammar followed by checkGrammar: the grammar as the table builder needs it.
Grammar readGrammar(std::string_view text, const std::string& sourceName, const std::vector<TokenDefinition>& tokens);

}  // namespace zeb::lalrgen
