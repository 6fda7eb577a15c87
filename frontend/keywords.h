#pragma once

#include <string_view>

namespace zeb {

// The keyword token for a word, or 0 when the word is a plain identifier.
// Keywords are case-sensitive.
int keywordToken(std::string_view word);

}  // namespace zeb
