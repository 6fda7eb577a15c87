#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "token_definitions.h"

namespace zeb::lalrgen {

// The keyword lookup takes a word as two 8-byte loads, head and tail, with
// the bytes past its end cleared, and hashes them to a slot:
//     ((head ^ rotl(tail, 29)) * multiplier) >> (64 - slotBits)
// The multiplier is chosen so that every keyword has a slot of its own, once
// for each byte order, since the loads see the bytes in that order.
struct KeywordHash {
    int slotBits = 0;
    std::uint64_t littleEndianMultiplier = 0;
    std::uint64_t bigEndianMultiplier = 0;
};

inline constexpr std::size_t kKeywordKeyBytes = 16;

// Throws GrammarError for a keyword longer than kKeywordKeyBytes, or when no
// multiplier separates the keywords.
KeywordHash findKeywordHash(const std::vector<TokenDefinition>& tokens);

// The slot of a word under a multiplier, as the generated lookup computes it.
std::size_t keywordSlot(const std::string& word, bool littleEndian, std::uint64_t multiplier, int slotBits);

}  // namespace zeb::lalrgen
