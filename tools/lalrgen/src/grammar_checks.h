#pragma once

#include "grammar.h"

namespace zeb::lalrgen {

// Rejects grammars whose tables would be meaningless: nonterminals used but
// never defined, defined but unreachable from the start symbol, or unable to
// derive any sentence. Throws GrammarError listing every such fault.
void checkGrammar(const Grammar& grammar);

}  // namespace zeb::lalrgen
