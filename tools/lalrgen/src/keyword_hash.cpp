#include "keyword_hash.h"

#include <bit>
#include <vector>

#include "grammar_error.h"

namespace zeb::lalrgen {
namespace {

// A table four times the size of the keyword set, at the least, keeps the
// search for a multiplier short.
constexpr int kSlotsPerKeyword = 4;
constexpr int kMaxSlotBits = 16;
constexpr int kAttemptsPerSize = 100000;
constexpr std::uint64_t kFirstCandidate = 0x9e3779b97f4a7c15u;

struct WordKey {
    std::uint64_t head = 0;
    std::uint64_t tail = 0;
};

WordKey keyOf(const std::string& word, bool littleEndian) {
    WordKey key;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const std::uint64_t byte = static_cast<unsigned char>(word[i]);
        const int shift = littleEndian ? static_cast<int>(8 * (i % 8)) : static_cast<int>(56 - 8 * (i % 8));
        (i < 8 ? key.head : key.tail) |= byte << shift;
    }
    return key;
}

std::size_t slotOf(const WordKey& key, std::uint64_t multiplier, int slotBits) {
    return static_cast<std::size_t>(((key.head ^ std::rotl(key.tail, 29)) * multiplier) >> (64 - slotBits));
}

bool separates(const std::vector<WordKey>& keys, std::uint64_t multiplier, int slotBits) {
    std::vector<bool> taken(std::size_t{1} << slotBits, false);
    for (const WordKey& key : keys) {
        const std::size_t slot = slotOf(key, multiplier, slotBits);
        if (taken[slot]) return false;
        taken[slot] = true;
    }
    return true;
}

// The first odd candidate of a 64-bit linear congruential sequence that
// separates the keys, or 0.
std::uint64_t findMultiplier(const std::vector<WordKey>& keys, int slotBits) {
    std::uint64_t candidate = kFirstCandidate;
    for (int attempt = 0; attempt < kAttemptsPerSize; ++attempt) {
        if (separates(keys, candidate, slotBits)) return candidate;
        candidate = (candidate * 6364136223846793005u + 1442695040888963407u) | 1u;
    }
    return 0;
}

}  // namespace

std::size_t keywordSlot(const std::string& word, bool littleEndian, std::uint64_t multiplier, int slotBits) {
    return slotOf(keyOf(word, littleEndian), multiplier, slotBits);
}

KeywordHash findKeywordHash(const std::vector<TokenDefinition>& tokens) {
    std::vector<std::string> keywords;
    std::vector<std::string> errors;
    for (const TokenDefinition& token : tokens) {
        if (token.kind != TokenKind::Keyword) continue;
        if (token.spelling.size() > kKeywordKeyBytes) {
            errors.push_back("keyword \"" + token.spelling + "\" is longer than " + std::to_string(kKeywordKeyBytes) +
                             " bytes, the most the keyword lookup reads");
        }
        keywords.push_back(token.spelling);
    }
    if (!errors.empty()) throw GrammarError(std::move(errors));
    std::vector<WordKey> little;
    std::vector<WordKey> big;
    for (const std::string& keyword : keywords) {
        little.push_back(keyOf(keyword, true));
        big.push_back(keyOf(keyword, false));
    }
    int slotBits = 1;
    while ((std::size_t{1} << slotBits) < keywords.size() * kSlotsPerKeyword) ++slotBits;
    for (; slotBits <= kMaxSlotBits; ++slotBits) {
        const std::uint64_t littleMultiplier = findMultiplier(little, slotBits);
        const std::uint64_t bigMultiplier = findMultiplier(big, slotBits);
        if (littleMultiplier != 0 && bigMultiplier != 0) return {slotBits, littleMultiplier, bigMultiplier};
    }
    throw GrammarError("no multiplier gives each keyword a slot of its own");
}

}  // namespace zeb::lalrgen
