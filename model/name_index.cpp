#include "model/name_index.h"

namespace zeb {
namespace {

std::uint64_t load64(const char* at) {
    std::uint64_t word;
    std::memcpy(&word, at, 8);
    return word;
}

std::uint64_t load32(const char* at) {
    std::uint32_t word;
    std::memcpy(&word, at, 4);
    return word;
}

// The last 1 to 7 bytes as one word, from loads of fixed size that may
// overlap: every byte is covered, so for a given length different bytes give
// different words. A copy of a variable length would cost a library call.
std::uint64_t shortTail(const char* at, std::size_t left) {
    if (left >= 4) return load32(at) | (load32(at + left - 4) << 32);
    const auto byte = [](char c) { return static_cast<std::uint64_t>(static_cast<unsigned char>(c)); };
    return byte(at[0]) | (byte(at[left / 2]) << 8) | (byte(at[left - 1]) << 16);
}

}  // namespace

// Eight bytes at a time, each word folded in with a multiply; names are
// short, so the tail and the final mix dominate. The length goes in first,
// so tails of different lengths cannot be confused.
std::uint64_t hashName(std::string_view name) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    std::uint64_t hash = name.size() * kMultiplier;
    const char* at = name.data();
    std::size_t left = name.size();
    while (left >= 8) {
        hash = (hash ^ load64(at)) * kMultiplier;
        hash ^= hash >> 29;
        at += 8;
        left -= 8;
    }
    if (left > 0) {
        // A longer name's tail is its last eight bytes, overlapping the words before.
        const std::uint64_t word = name.size() >= 8 ? load64(name.data() + name.size() - 8) : shortTail(at, left);
        hash = (hash ^ word) * kMultiplier;
    }
    hash ^= hash >> 32;
    hash *= kMultiplier;
    return hash ^ (hash >> 29);
}

}  // namespace zeb
