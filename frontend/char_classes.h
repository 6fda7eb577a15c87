#pragma once

// The character groups of the mission language, one table for all modes.
// Bytes from 127 up and control characters belong to no group.

#include <array>
#include <cstdint>
#include <string_view>

namespace zeb::chars {

enum : std::uint8_t {
    kLetter = 1 << 0,
    kDigit = 1 << 1,
    kBlank = 1 << 2,           // white space: space and tab only
    kStringStart = 1 << 3,     // may begin a run inside quotes
    kStringContinue = 1 << 4,  // may follow inside a run
    kIdentifierTail = 1 << 5,  // letters, digits, "_" and "."
    kBetweenTokens = 1 << 6,   // skipped in normal mode: blanks and line ends
    kLineEnd = 1 << 7,         // the top bit, so that a shift gives 0 or 1
};

constexpr std::array<std::uint8_t, 256> makeTable() {
    std::array<std::uint8_t, 256> table{};
    for (int c = 'A'; c <= 'Z'; ++c) table[c] |= kLetter | kStringStart | kStringContinue | kIdentifierTail;
    for (int c = 'a'; c <= 'z'; ++c) table[c] |= kLetter | kStringStart | kStringContinue | kIdentifierTail;
    for (int c = '0'; c <= '9'; ++c) table[c] |= kDigit | kStringStart | kStringContinue | kIdentifierTail;
    table[' '] |= kBlank | kStringStart | kStringContinue;
    table['\t'] |= kBlank;
    table[' '] |= kBetweenTokens;
    table['\t'] |= kBetweenTokens;
    table['\n'] |= kBetweenTokens | kLineEnd;
    for (unsigned char c : std::string_view("!'(),-./:?\\_")) table[c] |= kStringStart | kStringContinue;
    for (unsigned char c : std::string_view("#%+@^&=|")) table[c] |= kStringContinue;
    table['_'] |= kIdentifierTail;
    table['.'] |= kIdentifierTail;
    return table;
}

inline constexpr std::array<std::uint8_t, 256> kTable = makeTable();

inline unsigned isLineEnd(std::uint8_t groups) {
    static_assert(kLineEnd == 0x80);
    return groups >> 7;
}

inline bool is(unsigned char c, std::uint8_t group) {
    return (kTable[c] & group) != 0;
}

}  // namespace zeb::chars
