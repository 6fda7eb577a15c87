#include "frontend/keywords.h"

#include <array>
#include <cstdint>

#include "frontend/token.h"

namespace zeb {
namespace {

struct Keyword {
    std::string_view spelling;
    int token;
};

constexpr Keyword kKeywords[] = {
#define ZEB_KEYWORD(name, spelling) {spelling, static_cast<int>(Token::name)},
#define ZEB_PUNCT(name, spelling)
#define ZEB_CLASS(name, spelling)
#include "frontend/tokens.def"
#undef ZEB_KEYWORD
#undef ZEB_PUNCT
#undef ZEB_CLASS
};
static_assert(std::size(kKeywords) == 82);

constexpr std::size_t kLongestKeyword = 11;  // "description"
constexpr std::size_t kSlots = 512;

// Cheap enough to run on every word the lexer meets: three characters and
// the length spread the 82 keywords well over the table.
constexpr std::uint32_t hashWord(std::string_view word) {
    const auto at = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(word[i])); };
    return at(0) * 37u + at(1) * 101u + at(word.size() - 1) * 7u + static_cast<std::uint32_t>(word.size()) * 19u;
}

// An open-addressing table built by the compiler, so a lookup costs one hash
// of a short word and usually one comparison.
constexpr std::array<std::int16_t, kSlots> makeSlots() {
    std::array<std::int16_t, kSlots> slots{};
    for (auto& slot : slots) slot = -1;
    for (std::size_t i = 0; i < std::size(kKeywords); ++i) {
        std::size_t at = hashWord(kKeywords[i].spelling) % kSlots;
        while (slots[at] != -1) at = (at + 1) % kSlots;
        slots[at] = static_cast<std::int16_t>(i);
    }
    return slots;
}

constexpr std::array<std::int16_t, kSlots> kSlotsTable = makeSlots();

// Keywords are at most 11 characters: a plain loop beats a library call.
bool sameWord(std::string_view keyword, std::string_view word) {
    if (keyword.size() != word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (keyword[i] != word[i]) return false;
    }
    return true;
}

}  // namespace

int keywordToken(std::string_view word) {
    if (word.size() > kLongestKeyword || word.size() < 2) return 0;
    for (std::size_t at = hashWord(word) % kSlots;; at = (at + 1) % kSlots) {
        std::int16_t index = kSlotsTable[at];
        if (index < 0) return 0;
        if (sameWord(kKeywords[index].spelling, word)) return kKeywords[index].token;
    }
}

std::string_view tokenSpelling(int token) {
    static constexpr std::string_view kSpellings[] = {
#define ZEB_KEYWORD(name, spelling) spelling,
#define ZEB_PUNCT(name, spelling) spelling,
#define ZEB_CLASS(name, spelling) spelling,
#include "frontend/tokens.def"
#undef ZEB_KEYWORD
#undef ZEB_PUNCT
#undef ZEB_CLASS
    };
    if (token == 0) return "end of input";
    if (token < kFirstTokenNumber || token > kLastTokenNumber) return "unknown token";
    return kSpellings[token - kFirstTokenNumber];
}

}  // namespace zeb
