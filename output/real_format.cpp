#include "output/real_format.h"

#include <charconv>
#include <cstdint>
#include <cstring>

#include "output/output_sink.h"

namespace zeb {
namespace {

constexpr std::size_t kExponentDigits = 3;

// to_chars writes the shortest exponent C allows (two digits); the layout
// wants three, so the digits are moved right and zeros put in front.
void widenExponent(RealText& text) {
    char* begin = text.buffer.data();
    char* end = begin + text.size;
    char* e = static_cast<char*>(std::memchr(begin, 'e', text.size));
    if (e == nullptr) return;
    char* digits = e + 2;  // past "e" and the sign
    std::size_t count = static_cast<std::size_t>(end - digits);
    if (count >= kExponentDigits) return;
    std::size_t shift = kExponentDigits - count;
    std::memmove(digits + shift, digits, count);
    std::memset(digits, '0', shift);
    text.size += shift;
}

RealText formatFresh(double value) {
    RealText text;
    char* first = text.buffer.data();
    // The buffer holds every result at this precision, so to_chars cannot
    // report a short buffer.
    auto result =
        std::to_chars(first, first + text.buffer.size() - kExponentDigits, value, std::chars_format::general, 6);
    text.size = static_cast<std::size_t>(result.ptr - first);
    widenExponent(text);
    return text;
}

}  // namespace

RealText formatReal(double value) {
    // A mission repeats the same few reals (skills, waits, coordinates), so
    // the latest text of each is remembered per thread; the key is the exact
    // bit pattern, which makes a remembered text the text of the value.
    struct Remembered {
        bool known = false;
        std::uint64_t bits = 0;
        RealText text;
    };
    thread_local std::array<Remembered, 256> remembered;
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    Remembered& slot = remembered[(bits * 0x9E3779B97F4A7C15ull) >> 56];
    if (slot.known && slot.bits == bits) return slot.text;
    slot.text = formatFresh(value);
    slot.bits = bits;
    slot.known = true;
    return slot.text;
}

void writeReal(OutputSink& out, double value) {
    out.put(formatReal(value).view());
}

void writeRealAligned(OutputSink& out, double value, int width) {
    RealText text = formatReal(value);
    int length = static_cast<int>(text.size);
    if (length < width) writeIndent(out, width - length);
    out.put(text.view());
}

}  // namespace zeb
