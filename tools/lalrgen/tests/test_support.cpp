#include "test_support.h"

#include <stdexcept>

namespace zeb::lalrgen::testing {

std::vector<TokenDefinition> tokensFor(std::initializer_list<std::string> spellings) {
    std::vector<TokenDefinition> tokens;
    for (const std::string& spelling : spellings) {
        // The enumerator name plays no part in table building.
        const std::string name = "Token" + std::to_string(tokens.size());
        const bool quoted = spelling.size() > 2 && spelling.front() == '"';
        if (quoted) {
            tokens.push_back({TokenKind::Punctuation, name, std::string(spelling.begin() + 1, spelling.end() - 1)});
        } else {
            // Classes carry a value in the member of their lower-case name.
            std::string member;
            for (char c : spelling) member += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            tokens.push_back({TokenKind::Class, name, spelling, member});
        }
    }
    return tokens;
}

GeneratedParser generate(const std::vector<TokenDefinition>& tokens, const std::string& grammarText) {
    return generateParser(tokens, grammarText, "test.grammar");
}

int terminalNamed(const Grammar& grammar, const std::string& name) {
    for (int t = 0; t < grammar.terminalCount(); ++t) {
        if (grammar.terminalNames[t] == name) return t;
    }
    throw std::invalid_argument("no terminal " + name);
}

int nonterminalNamed(const Grammar& grammar, const std::string& name) {
    for (int n = 0; n < grammar.nonterminalCount(); ++n) {
        if (grammar.nonterminals[n].name == name) return n;
    }
    throw std::invalid_argument("no nonterminal " + name);
}

ParseOutcome simulateParse(const GeneratedParser& parser, const std::vector<std::string>& input) {
    const ParseTables& tables = parser.build.tables;
    const Grammar& grammar = parser.grammar;
    ParseOutcome outcome{false, -1, {}};
    std::vector<int> stack{0};
    std::size_t position = 0;
    for (int steps = 0; steps < 100000; ++steps) {
        const int state = stack.back();
        if (state == tables.finalState) {
            outcome.accepted = true;
            return outcome;
        }
        int production = tables.reduceWithoutLookahead[state];
        if (production < 0) {
            const int terminal = position < input.size() ? terminalNamed(grammar, input[position]) : kEndOfInput;
            const int entry = tables.action[state][terminal];
            if (entry > 0) {
                stack.push_back(entry);
                ++position;
                continue;
            }
            production = entry < 0 ? -entry : tables.defaultReduction[state];
            if (production < 0) {
                outcome.errorAt = static_cast<int>(position);
                return outcome;
            }
        }
        outcome.reductions.push_back(production);
        stack.resize(stack.size() - grammar.productions[production].rhs.size());
        stack.push_back(tables.gotoState[stack.back()][grammar.productions[production].lhs]);
    }
    throw std::runtime_error("parse simulation did not terminate");
}

}  // namespace zeb::lalrgen::testing
