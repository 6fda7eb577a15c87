#include "model/name_index.h"

namespace zeb {

// Eight bytes at a time, each word folded in with a multiply; names are
// short, so the tail and the final mix dominate.
std::uint64_t hashName(std::string_view name) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    std::uint64_t hash = name.size() * kMultiplier;
    const char* at = name.data();
    std::size_t left = name.size();
    while (left >= 8) {
        std::uint64_t word;
        std::memcpy(&word, at, 8);
        hash = (hash ^ word) * kMultiplier;
        hash ^= hash >> 29;
        at += 8;
        left -= 8;
    }
    if (left > 0) {
        std::uint64_t word = 0;
        std::memcpy(&word, at, left);
        hash = (hash ^ word) * kMultiplier;
    }
    hash ^= hash >> 32;
    hash *= kMultiplier;
    return hash ^ (hash >> 29);
}

}  // namespace zeb
