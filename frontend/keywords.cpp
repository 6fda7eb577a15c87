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

constexpr std::uint32_t hashWord(std::string_view word) {
    std::uint32_t hash = 2166136261u;
    for (char c : word) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash;
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

}  // namespace

int keywordToken(std::string_view word) {
    if (word.size() > kLongestKeyword || word.size() < 2) return 0;
    for (std::size_t at = hashWord(word) % kSlots;; at = (at + 1) % kSlots) {
        std::int16_t index = kSlotsTable[at];
        if (index < 0) return 0;
        if (kKeywords[index].spelling == word) return kKeywords[index].token;
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
