#include "lsp/raw_bytes.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace zeb::lsp {
namespace {

constexpr unsigned char kLead = 0xF4;
constexpr unsigned char kSecond = 0x8F;

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Whether the well-formed character at text[at] is one of the stand-ins.
bool isStandIn(std::string_view text, std::size_t at) {
    return static_cast<unsigned char>(text[at]) == kLead && static_cast<unsigned char>(text[at + 1]) == kSecond &&
           (static_cast<unsigned char>(text[at + 2]) == 0xBE || static_cast<unsigned char>(text[at + 2]) == 0xBF);
}

}  // namespace

std::size_t utf8SequenceLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char c = byte(0);
    if (c < 0x80) return 1;
    const std::size_t left = text.size() - at;
    if (c >= 0xC2 && c <= 0xDF) return left >= 2 && isContinuation(byte(1)) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (left < 3 || !isContinuation(byte(1)) || !isContinuation(byte(2))) return 0;
        if (c == 0xE0 && byte(1) < 0xA0) return 0;   // overlong
        if (c == 0xED && byte(1) >= 0xA0) return 0;  // a surrogate
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (left < 4 || !isContinuation(byte(1)) || !isContinuation(byte(2)) || !isContinuation(byte(3))) return 0;
        if (c == 0xF0 && byte(1) < 0x90) return 0;   // overlong
        if (c == 0xF4 && byte(1) >= 0x90) return 0;  // past U+10FFFF
        return 4;
    }
    return 0;
}

bool isValidUtf8(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        // Long runs of ASCII are the rule: skip them eight bytes at a time.
        while (at + 8 <= text.size()) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + at, 8);
            if ((word & 0x8080808080808080ull) != 0) break;
            at += 8;
        }
        if (at >= text.size()) break;
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        const std::size_t length = utf8SequenceLength(text, at);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

namespace {

// U+10FF00 + byte, written out in UTF-8.
void appendStandIn(std::string& out, unsigned char c) {
    out += static_cast<char>(kLead);
    out += static_cast<char>(kSecond);
    out += static_cast<char>(c < 0xC0 ? 0xBE : 0xBF);
    out += static_cast<char>(0x80 | (c & 0x3F));
}

// The value of the four hex digits at text[at], or -1.
long hex4(std::string_view text, std::size_t at) {
    if (at + 4 > text.size()) return -1;
    long value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const char c = text[at + i];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace

std::string wrapRawBytes(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t length = utf8SequenceLength(text, at);
        if (length != 0 && (length != 4 || !isStandIn(text, at))) {
            out.append(text, at, length);
            at += length;
            continue;
        }
        // A character that is itself a stand-in goes byte by byte, or
        // unwrapping would make it one byte.
        for (const std::size_t end = at + std::max<std::size_t>(length, 1); at < end;) {
            appendStandIn(out, static_cast<unsigned char>(text[at++]));
        }
    }
    return out;
}

std::string wrapRawBytesOfJson(std::string_view body) {
    const std::string wrapped = wrapRawBytes(body);
    // In valid JSON a backslash stands only in a string, where it starts an
    // escape; \udbff\udf80 to \udbff\udfff spell the stand-ins.
    std::string out;
    std::size_t copied = 0;
    for (std::size_t at = wrapped.find('\\'); at != std::string::npos; at = wrapped.find('\\', at)) {
        if (wrapped.compare(at, 2, "\\u") != 0) {
            at += 2;
            continue;
        }
        const long high = hex4(wrapped, at + 2);
        const long low =
            at + 8 <= wrapped.size() && wrapped.compare(at + 6, 2, "\\u") == 0 ? hex4(wrapped, at + 8) : -1;
        if (high != 0xDBFF || low < 0xDF80 || low > 0xDFFF) {
            at += 2;
            continue;
        }
        out.append(wrapped, copied, at - copied);
        const unsigned char bytes[] = {kLead, kSecond, static_cast<unsigned char>(low < 0xDFC0 ? 0xBE : 0xBF),
                                       static_cast<unsigned char>(0x80 | (low & 0x3F))};
        for (const unsigned char c : bytes) appendStandIn(out, c);
        at += 12;
        copied = at;
    }
    if (copied == 0) return wrapped;
    out.append(wrapped, copied, std::string::npos);
    return out;
}

void unwrapRawBytes(std::string& text) {
    std::size_t to = 0;
    for (std::size_t from = 0; from < text.size();) {
        const auto c = [&](std::size_t i) { return static_cast<unsigned char>(text[from + i]); };
        if (c(0) == kLead && from + 3 < text.size() && c(1) == kSecond && (c(2) == 0xBE || c(2) == 0xBF) &&
            isContinuation(c(3))) {
            text[to++] = static_cast<char>((c(2) == 0xBE ? 0x80 : 0xC0) | (c(3) & 0x3F));
            from += 4;
            continue;
        }
        text[to++] = text[from++];
    }
    text.resize(to);
}

}  // namespace zeb::lsp
