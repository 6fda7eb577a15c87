#include "frontend/keywords.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "frontend/grammar_tables.h"
#include "frontend/token.h"

namespace zeb {
namespace {

struct Keyword {
    std::string_view spelling;
    int token;
    constexpr std::size_t length() const { return spelling.size(); }
};

constexpr Keyword kKeywords[] = {
#define ZEB_KEYWORD(name, spelling) {spelling, static_cast<int>(Token::name)},
#define ZEB_PUNCT(name, spelling)
#define ZEB_CLASS(name, spelling, member)
#include "frontend/tokens.def"
#undef ZEB_KEYWORD
#undef ZEB_PUNCT
#undef ZEB_CLASS
};

constexpr std::size_t kShortestKeyword = std::ranges::min(kKeywords, {}, &Keyword::length).length();
constexpr std::size_t kLongestKeyword = std::ranges::max(kKeywords, {}, &Keyword::length).length();
constexpr std::size_t kKeyBytes = grammar::kKeywordKeyBytes;
static_assert(kKeyBytes == 16, "a key is two 8-byte loads");
static_assert(kLongestKeyword <= kKeyBytes);

// A word of at most 16 bytes as two integers, exactly as two 8-byte loads
// from memory give them, with the bytes past its end cleared.
struct WordKey {
    std::uint64_t head = 0;
    std::uint64_t tail = 0;
    friend constexpr bool operator==(const WordKey&, const WordKey&) = default;
};

constexpr int byteShift(std::size_t indexInWord) {
    const int i = static_cast<int>(indexInWord % 8);
    return std::endian::native == std::endian::little ? 8 * i : 56 - 8 * i;
}

constexpr WordKey keyOf(std::string_view word) {
    WordKey key;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const std::uint64_t byte = static_cast<unsigned char>(word[i]);
        (i < 8 ? key.head : key.tail) |= byte << byteShift(i);
    }
    return key;
}

// The bits of an 8-byte load that hold the first `bytes` bytes.
constexpr std::uint64_t keepFirst(std::size_t bytes) {
    std::uint64_t mask = 0;
    for (std::size_t i = 0; i < bytes && i < 8; ++i) mask |= std::uint64_t{0xff} << byteShift(i);
    return mask;
}

constexpr std::array<WordKey, kLongestKeyword + 1> makeMasks() {
    std::array<WordKey, kLongestKeyword + 1> masks{};
    for (std::size_t length = 0; length <= kLongestKeyword; ++length) {
        masks[length] = {keepFirst(length), length > 8 ? keepFirst(length - 8) : 0};
    }
    return masks;
}

constexpr std::array<WordKey, kLongestKeyword + 1> kMasks = makeMasks();

constexpr std::size_t kSlots = std::size_t{1} << grammar::kKeywordSlotBits;

constexpr std::size_t slotOf(const WordKey& key) {
    return grammar::keywordSlot(key.head, key.tail);
}

struct Slot {
    WordKey key;
    std::size_t length = 0;  // 0 when no keyword lands here: no word matches it
    int token = 0;
};

// The generator chose the hash so that every keyword has a slot of its own:
// a lookup is then one hash, one slot and one comparison. Placing the
// keywords is one pass over the list.
constexpr std::array<Slot, kSlots> makeSlots() {
    std::array<Slot, kSlots> slots{};
    for (const Keyword& keyword : kKeywords) {
        const WordKey key = keyOf(keyword.spelling);
        slots[slotOf(key)] = {key, keyword.spelling.size(), keyword.token};
    }
    return slots;
}

constexpr std::array<Slot, kSlots> kSlotTable = makeSlots();

constexpr bool everyKeywordHasItsOwnSlot() {
    for (const Keyword& keyword : kKeywords) {
        if (kSlotTable[slotOf(keyOf(keyword.spelling))].token != keyword.token) return false;
    }
    return true;
}
static_assert(everyKeywordHasItsOwnSlot(), "the generated keyword hash does not match tokens.def");

// The length takes part because a word given from outside the scanner may
// hold zero bytes, which the key alone cannot tell from its padding.
int lookUp(const WordKey& key, std::size_t length) {
    const Slot& slot = kSlotTable[slotOf(key)];
    return slot.key == key && slot.length == length ? slot.token : 0;
}

}  // namespace

int keywordToken(std::string_view word) {
    if (word.size() > kLongestKeyword || word.size() < kShortestKeyword) return 0;
    char padded[kKeyBytes] = {};
    std::memcpy(padded, word.data(), word.size());
    WordKey key;
    std::memcpy(&key.head, padded, 8);
    std::memcpy(&key.tail, padded + 8, 8);
    return lookUp(key, word.size());
}

int keywordTokenInText(std::string_view word, const char* textEnd) {
    if (word.size() > kLongestKeyword || word.size() < kShortestKeyword) return 0;
    if (textEnd - word.data() < static_cast<std::ptrdiff_t>(kKeyBytes)) return keywordToken(word);
    WordKey key;
    std::memcpy(&key.head, word.data(), 8);
    std::memcpy(&key.tail, word.data() + 8, 8);
    const WordKey& mask = kMasks[word.size()];
    key.head &= mask.head;
    key.tail &= mask.tail;
    return lookUp(key, word.size());
}

std::string_view tokenSpelling(int token) {
    static constexpr std::string_view kSpellings[] = {
#define ZEB_KEYWORD(name, spelling) spelling,
#define ZEB_PUNCT(name, spelling) spelling,
#define ZEB_CLASS(name, spelling, member) spelling,
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
