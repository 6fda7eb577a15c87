#pragma once

// Token numbers of the mission language, derived from the one list in
// tokens.def. 0 is the end of input; the rest run from 258 without gaps.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zeb {

enum class Token : int {
    End = 0,
    BeforeFirst = 257,
#define ZEB_KEYWORD(name, spelling) name,
#define ZEB_PUNCT(name, spelling) name,
#define ZEB_CLASS(name, spelling, member) name,
#include "frontend/tokens.def"
#undef ZEB_KEYWORD
#undef ZEB_PUNCT
#undef ZEB_CLASS
    AfterLast,
};

inline constexpr int kFirstTokenNumber = 258;
inline constexpr int kLastTokenNumber = static_cast<int>(Token::AfterLast) - 1;

// A token's text as the scanner hands it to the parser: a view whose layout
// this project owns, so that the scanner may store it with one 16-byte move
// (see the lexer) without knowing how a library lays out std::string_view.
// It converts to and from std::string_view wherever one is used.
struct TokenText {
    const char* begin = nullptr;
    std::size_t length = 0;

    constexpr TokenText() = default;
    constexpr TokenText(std::string_view text) : begin(text.data()), length(text.size()) {}
    constexpr operator std::string_view() const { return std::string_view(begin, length); }
    constexpr const char* data() const { return begin; }
    constexpr std::size_t size() const { return length; }
    constexpr bool empty() const { return length == 0; }
    friend constexpr bool operator==(TokenText a, std::string_view b) { return std::string_view(a) == b; }
};

// What a valued token carries to the parser. Which member is meaningful is
// decided by the token's class; keywords and punctuation leave it alone.
// The text is a view into the scanner's source, which lives as long as the
// mission that keeps such views.
struct SemanticValue {
    TokenText text;
    std::int16_t integer = 0;
    float real = 0;
};

// The spelling of a token for messages and tests ("mission", "{", "STRING").
std::string_view tokenSpelling(int token);

}  // namespace zeb
