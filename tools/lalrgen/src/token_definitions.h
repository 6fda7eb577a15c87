#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zeb::lalrgen {

enum class TokenKind { Keyword, Punctuation, Class };

struct TokenDefinition {
    TokenKind kind;
    std::string name;      // the C++ enumerator name, e.g. LeftBrace
    std::string spelling;  // "{" for keywords and punctuation, STRING for classes
    // For a class: the member of the parser's value type that holds what the
    // token carries (text, integer, ...); a named operand of that class reads it.
    std::string valueMember = {};
};

// The first token listed gets this number; 0 is reserved for end of input.
inline constexpr int kFirstTokenNumber = 258;

// Reads the ZEB_KEYWORD(Name, "spelling") / ZEB_PUNCT(Name, "spelling") /
// ZEB_CLASS(Name, "SPELLING", member) entries of a tokens.def file in order;
// any other line is commentary. Throws GrammarError on a malformed entry.
std::vector<TokenDefinition> readTokenDefinitions(std::string_view text, const std::string& sourceName);

// How the token is written in a grammar and shown in tables: "\"{\"" or STRING.
std::string grammarSpelling(const TokenDefinition& token);

}  // namespace zeb::lalrgen
