#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "output/real_format.h"
#include "output/source_writers.h"
#include "output/writers.h"

namespace zeb {
namespace {

constexpr float kSmallestInteger = -32768;
constexpr float kLargestInteger = 32767;
// 10^39: finite as a double, beyond the largest 32-bit real.
constexpr std::string_view kBeyondLargest = "1000000000000000000000000000000000000000.0";

// The scanner reads a real as the double nearest its digits and narrows
// that to 32 bits; a text is right when that gives back the same bits.
bool readsBackAs(std::string_view text, float value) {
    double read = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), read);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return false;
    return std::bit_cast<std::uint32_t>(static_cast<float>(read)) == std::bit_cast<std::uint32_t>(value);
}

// An integer token is read into 16 bits, and "-0" would come back as +0.
bool isShortInteger(float value) {
    return value >= kSmallestInteger && value <= kLargestInteger && std::trunc(value) == value &&
           !(value == 0 && std::signbit(value));
}

// Digits before and after the point, never an exponent: the language has
// no exponent, and "1." is an integer followed by a period.
std::string_view withPoint(char* begin, char* end, char* limit) {
    std::string_view text(begin, static_cast<std::size_t>(end - begin));
    if (text.find('.') == std::string_view::npos && end + 2 <= limit) {
        end[0] = '.';
        end[1] = '0';
        end += 2;
    } else {
        while (end[-1] == '0' && end[-2] != '.') --end;
    }
    return std::string_view(begin, static_cast<std::size_t>(end - begin));
}

}  // namespace

void writeSourceReal(OutputSink& out, float value) {
    // A literal too large for 32 bits is kept as infinity; one such literal
    // reads back as it. The parser never stores a NaN.
    if (std::isinf(value)) {
        out.put(value < 0 ? "-" : "").put(kBeyondLargest);
        return;
    }
    if (std::isnan(value)) {
        writeReal(out, value);
        return;
    }
    if (isShortInteger(value)) {
        writeInteger(out, static_cast<std::int32_t>(value));
        return;
    }
    // The shortest digits that give the value back are nearly always right;
    // narrowing through a double can round once more, and more digits then
    // settle it.
    char buffer[256];
    char* const limit = buffer + sizeof buffer;
    auto shortest = std::to_chars(buffer, limit - 2, value, std::chars_format::fixed);
    std::string_view text = withPoint(buffer, shortest.ptr, limit);
    for (int precision = 1; !readsBackAs(text, value) && precision <= 160; ++precision) {
        auto exact = std::to_chars(buffer, limit - 2, value, std::chars_format::fixed, precision);
        if (exact.ec != std::errc()) break;
        text = withPoint(buffer, exact.ptr, limit);
    }
    out.put(text);
}

}  // namespace zeb
