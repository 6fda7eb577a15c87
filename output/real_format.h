#pragma once

// Reals are written the way the mission language has always printed them:
// six significant digits, plain notation for decimal exponents -4..5, the
// exponent otherwise written with at least three digits ("1.5e+006"), no
// trailing zeros, "." whatever the locale. Formatting goes into a small
// buffer on the stack, because the coordinates of a big map pass through
// here once each.

#include <array>
#include <cstddef>
#include <string_view>

namespace zeb {

class OutputSink;

struct RealText {
    // Enough for any double at six digits ("-1.23457e-308" is 13 bytes).
    std::array<char, 32> buffer{};
    std::size_t size = 0;

    std::string_view view() const { return {buffer.data(), size}; }
};

// Callers pass the model's 32-bit reals; they widen to double here, which
// keeps the rounding of the float's exact value. Infinities and NaNs come
// out as "inf", "-inf", "nan" or "-nan": the parser never stores them, and
// a value set by other means is still written as something readable.
RealText formatReal(double value);

void writeReal(OutputSink& out, double value);

// Right-aligned in a field of `width`; a longer text is written whole.
void writeRealAligned(OutputSink& out, double value, int width);

}  // namespace zeb
