#include "grammar.h"

namespace zeb::lalrgen {

const std::string& Grammar::symbolName(Symbol symbol) const {
    return symbol.isTerminal ? terminalNames[symbol.index] : nonterminals[symbol.index].name;
}

std::string Grammar::productionText(int production) const {
    const Production& rule = productions[production];
    std::string text = nonterminals[rule.lhs].name + ":";
    if (rule.rhs.empty()) return text + " %empty";
    for (const Symbol& symbol : rule.rhs) text += " " + symbolName(symbol);
    return text;
}

std::vector<std::vector<int>> Grammar::productionsByLhs() const {
    std::vector<std::vector<int>> byLhs(nonterminals.size());
    for (int p = 0; p < productionCount(); ++p) byLhs[productions[p].lhs].push_back(p);
    return byLhs;
}

}  // namespace zeb::lalrgen
