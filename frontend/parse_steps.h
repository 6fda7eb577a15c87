#pragma once

// The grammar's action table as the engine steps through it. Shared by the
// parser and by the pass that finds where each construct of a text stands.

#include <array>
#include <cstdint>

#include "frontend/grammar_tables.h"
#include "frontend/token.h"

namespace zeb {

// One column past the terminals stands for a token number the tables do not
// know: only a state's default reduction applies to it.
inline constexpr int kUnknownColumn = grammar::kTerminalCount;
inline constexpr int kStepColumns = grammar::kTerminalCount + 1;
inline constexpr int kNoLookahead = -1;

// The table column of a token number. The scanner's own numbers take one
// unsigned comparison; the end and unknown numbers are the rare cases.
inline int terminalColumn(int token) {
    const unsigned named = static_cast<unsigned>(token) - static_cast<unsigned>(kFirstTokenNumber);
    if (named <= static_cast<unsigned>(kLastTokenNumber - kFirstTokenNumber)) return static_cast<int>(named) + 1;
    return token == 0 ? 0 : kUnknownColumn;
}

using StepRow = std::array<std::int16_t, kStepColumns>;

// The action table with each state's default reduction written into its
// error entries, so a step costs one lookup whatever the look-ahead: a
// shift (> 0), a reduction (< 0, the production negated) or an error (0).
constexpr std::array<StepRow, grammar::kStateCount> makeSteps() {
    std::array<StepRow, grammar::kStateCount> steps{};
    for (int state = 0; state < grammar::kStateCount; ++state) {
        const std::int16_t fallback = grammar::kDefaultReduction[state];
        for (int column = 0; column < kStepColumns; ++column) {
            const std::int16_t entry = column < grammar::kTerminalCount ? grammar::kAction[state][column] : 0;
            steps[state][column] = entry == 0 && fallback >= 0 ? static_cast<std::int16_t>(-fallback) : entry;
        }
    }
    return steps;
}

inline constexpr std::array<StepRow, grammar::kStateCount> kSteps = makeSteps();

}  // namespace zeb
