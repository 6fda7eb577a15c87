#include "grammar_checks.h"

#include <string>
#include <vector>

#include "grammar_analysis.h"
#include "grammar_error.h"

namespace zeb::lalrgen {
namespace {

std::vector<bool> definedNonterminals(const Grammar& grammar) {
    std::vector<bool> defined(grammar.nonterminals.size(), false);
    for (const Production& production : grammar.productions) defined[production.lhs] = true;
    return defined;
}

// A nonterminal that is flagged false in `property` gets `complaint` appended.
void reportWhereFalse(const Grammar& grammar, const std::vector<bool>& property, const std::string& complaint,
                      std::vector<std::string>& errors) {
    // $accept fails only through the start symbol, which gets its own message.
    for (int n = kAcceptNonterminal + 1; n < grammar.nonterminalCount(); ++n) {
        if (property[n]) continue;
        const Nonterminal& nonterminal = grammar.nonterminals[n];
        errors.push_back(locatedMessage(grammar.sourceName, nonterminal.firstLine,
                                        "nonterminal " + nonterminal.name + " " + complaint));
    }
}

}  // namespace

void checkGrammar(const Grammar& grammar) {
    std::vector<std::string> errors;
    reportWhereFalse(grammar, definedNonterminals(grammar), "is used but never defined", errors);
    reportWhereFalse(grammar, reachableNonterminals(grammar), "is unreachable from the start symbol", errors);
    // Undefined names would make their users look unproductive too; report only the cause.
    if (errors.empty()) {
        reportWhereFalse(grammar, productiveNonterminals(grammar), "cannot derive any sentence", errors);
    }
    if (!errors.empty()) throw GrammarError(std::move(errors));
}

}  // namespace zeb::lalrgen
