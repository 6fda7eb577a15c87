#pragma once

#include <cstddef>
#include <string_view>

namespace zeb {

// The keyword token for a word, or 0 when the word is a plain identifier.
// Keywords are case-sensitive.
int keywordToken(std::string_view word);

// The same for a word inside a larger text that ends at textEnd: when enough
// of the text follows the word, the lookup reads it in two wide loads instead
// of byte by byte.
int keywordTokenInText(std::string_view word, const char* textEnd);

}  // namespace zeb
