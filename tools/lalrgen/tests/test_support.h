#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "generator.h"
#include "token_definitions.h"

namespace zeb::lalrgen::testing {

// Quoted spellings ("\"+\"") become punctuation tokens, bare ones (ID) token classes.
std::vector<TokenDefinition> tokensFor(std::initializer_list<std::string> spellings);

GeneratedParser generate(const std::vector<TokenDefinition>& tokens, const std::string& grammarText);

int terminalNamed(const Grammar& grammar, const std::string& name);
int nonterminalNamed(const Grammar& grammar, const std::string& name);

struct ParseOutcome {
    bool accepted;
    int errorAt;  // index of the input token the parser rejected; -1 if accepted
    std::vector<int> reductions;
};

// Runs the tables the way the frontend's engine does: reduce without reading
// when the state says so, else the explicit entry, else the default reduction.
ParseOutcome simulateParse(const GeneratedParser& parser, const std::vector<std::string>& input);

}  // namespace zeb::lalrgen::testing
