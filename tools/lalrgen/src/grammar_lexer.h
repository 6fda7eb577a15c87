#pragma once

#include <string>
#include <string_view>

namespace zeb::lalrgen {

enum class GrammarTokenKind {
    Name,         // bare identifier: a nonterminal or a token class such as STRING
    Quoted,       // "spelling" of a keyword or punctuation token
    ActionPoint,  // @name
    Arrow,        // =>
    Colon,
    Bar,
    Semicolon,
    StartDirective,  // %start
    EmptyDirective,  // %empty
    EndOfFile,
};

struct GrammarToken {
    GrammarTokenKind kind;
    std::string text;  // name, spelling, or action name without '@'
    int line;
    // For a symbol written SYMBOL:name (no blanks around the ':'): the name
    // its value is read by; empty when the symbol is not named.
    std::string operandName = {};
};

// Splits grammar text into tokens, skipping blanks and # comments.
// Throws GrammarError, with the line number, on a character it cannot start a token with.
class GrammarLexer {
public:
    GrammarLexer(std::string_view text, std::string sourceName);
    GrammarToken next();

private:
    void skipBlanksAndComments();
    GrammarToken lexQuoted();
    GrammarToken lexDirective();
    GrammarToken withOperandName(GrammarToken symbol);
    std::string lexIdentifier();
    [[noreturn]] void fail(const std::string& message) const;

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
    std::string sourceName_;
};

std::string describe(const GrammarToken& token);

}  // namespace zeb::lalrgen
