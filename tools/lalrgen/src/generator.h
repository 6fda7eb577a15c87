#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "grammar.h"
#include "lalr_lookaheads.h"
#include "lr0_automaton.h"
#include "parse_tables.h"
#include "token_definitions.h"

namespace zeb::lalrgen {

// Everything the pipeline produced, kept so tests and the report can look inside.
struct GeneratedParser {
    Grammar grammar;
    Lr0Automaton automaton;
    StateReductions reductions;
    TableBuild build;

    bool hasConflicts() const { return !build.conflicts.empty(); }
    std::vector<std::string> conflictMessages() const;
};

// read grammar -> LR(0) item sets -> LALR(1) look-aheads -> actions, default
// reductions and conflicts. Throws GrammarError for a faulty grammar; conflicts
// are reported in the result instead, since the report should still be written.
GeneratedParser generateParser(const std::vector<TokenDefinition>& tokens, std::string_view grammarText,
                               const std::string& grammarName);

}  // namespace zeb::lalrgen
