#pragma once

// The table-driven LALR(1) engine. It pulls tokens from the lexer, runs the
// grammar's actions as productions are recognised, and stops at the end of
// input or at the first error with one report.

#include <memory>
#include <string>

#include "frontend/lexer.h"
#include "model/mission_builder.h"

namespace zeb {

class Mission;

enum ParseResult : int {
    kParseSucceeded = 0,
    kParseFailed = 1,         // a syntax or name error; the report is written
    kParseStackOverflow = 2,  // the stack limit; the report is written
    kParseLexicalError = 3,   // the lexer's own message is written instead
};

class Parser {
public:
    // Both stacks hold at most this many entries; the push of the last one
    // ends the parse instead.
    static constexpr std::size_t kStackLimit = 10000;

    // Reports are appended to diagnostics, for the caller to print.
    Parser(Lexer& lexer, Mission& mission, std::string& diagnostics);

    // The engine's loop and the scanner's common paths make one function:
    // a call per token costs about as much as the shortest of those paths.
    [[gnu::flatten]] ParseResult parse();

private:
    // Runs a production's action on the values of its symbols; false when a
    // name check failed, with the report written.
    [[gnu::noinline]] bool runAction(int production, const SemanticValue* rhs);
    [[gnu::noinline]] ParseResult stackOverflow();
    [[gnu::noinline]] void reportError(std::string_view cause);

    Lexer& lexer_;
    MissionBuilder builder_;
    std::string& diagnostics_;
    // The state stack and the value stack, side by side. Both are made at
    // their largest size once: the limit is small, and a push is then one
    // comparison and two stores.
    std::unique_ptr<int[]> states_;
    std::unique_ptr<SemanticValue[]> values_;
};

}  // namespace zeb
