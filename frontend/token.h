#pragma once

// Token numbers of the mission language, derived from the one list in
// tokens.def. 0 is the end of input; the rest run from 258 without gaps.

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

// What a valued token carries to the parser. Which member is meaningful is
// decided by the token's class; keywords and punctuation leave it alone.
// The text is a view into the scanner's source, which lives as long as the
// mission that keeps such views.
struct SemanticValue {
    std::string_view text;
    std::int16_t integer = 0;
    float real = 0;
};

// The spelling of a token for messages and tests ("mission", "{", "STRING").
std::string_view tokenSpelling(int token);

}  // namespace zeb
