#pragma once

#include <string>
#include <vector>

#include "grammar.h"
#include "parse_tables.h"
#include "token_definitions.h"

namespace zeb::lalrgen {

// The C++ header the frontend compiles: namespace zeb::grammar, constexpr
// tables, the actions' named-operand accessors and the keyword lookup's hash.
// `grammarFileName` appears only in the banner comment. Throws GrammarError if
// a state or production number does not fit std::int16_t, or the keywords
// cannot be hashed.
std::string emitTablesHeader(const Grammar& grammar, const ParseTables& tables,
                             const std::vector<TokenDefinition>& tokens, const std::string& grammarFileName);

// A C++ string literal (with quotes) for arbitrary text.
std::string cppStringLiteral(const std::string& text);

}  // namespace zeb::lalrgen
