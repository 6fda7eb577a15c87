#pragma once

#include <string>

#include "grammar.h"
#include "parse_tables.h"

namespace zeb::lalrgen {

// The C++ header the frontend compiles: namespace zeb::grammar, constexpr
// tables. `grammarFileName` appears only in the banner comment.
// Throws GrammarError if a state or production number does not fit std::int16_t.
std::string emitTablesHeader(const Grammar& grammar, const ParseTables& tables, const std::string& grammarFileName);

// A C++ string literal (with quotes) for arbitrary text.
std::string cppStringLiteral(const std::string& text);

}  // namespace zeb::lalrgen
