#include "generator.h"

#include "grammar_reader.h"

namespace zeb::lalrgen {

std::vector<std::string> GeneratedParser::conflictMessages() const {
    std::vector<std::string> messages;
    for (const Conflict& conflict : build.conflicts) messages.push_back(describeConflict(grammar, conflict));
    return messages;
}

GeneratedParser generateParser(const std::vector<TokenDefinition>& tokens, std::string_view grammarText,
                               const std::string& grammarName) {
    GeneratedParser result;
    result.grammar = readGrammar(grammarText, grammarName, tokens);
    result.automaton = buildLr0Automaton(result.grammar);
    result.reductions = computeLalrLookaheads(result.grammar, result.automaton);
    result.build = buildParseTables(result.grammar, result.automaton, result.reductions);
    return result;
}

}  // namespace zeb::lalrgen
