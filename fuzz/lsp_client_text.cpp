#include "fuzz/lsp_client_text.h"

#include <cstdio>

namespace zeb::fuzz {
namespace {

unsigned char at(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]);
}

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// A half of a character beyond U+FFFF in its three-byte form.
bool isHalf(std::string_view text, std::size_t i) {
    return i + 3 <= text.size() && at(text, i) == 0xED && at(text, i + 1) >= 0xA0 && isContinuation(at(text, i + 1)) &&
           isContinuation(at(text, i + 2));
}

unsigned halfValue(std::string_view text, std::size_t i) {
    return 0xD000u | ((at(text, i + 1) & 0x3Fu) << 6) | (at(text, i + 2) & 0x3Fu);
}

void appendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

unsigned decoded(std::string_view character) {
    const auto c = [&](std::size_t i) { return static_cast<unsigned>(at(character, i)); };
    switch (character.size()) {
    case 1: return c(0);
    case 2: return ((c(0) & 0x1F) << 6) | (c(1) & 0x3F);
    case 3: return ((c(0) & 0x0F) << 12) | ((c(1) & 0x3F) << 6) | (c(2) & 0x3F);
    default: return ((c(0) & 0x07) << 18) | ((c(1) & 0x3F) << 12) | ((c(2) & 0x3F) << 6) | (c(3) & 0x3F);
    }
}

void appendEscape(std::string& out, unsigned unit) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", unit);
    out += escape;
}

struct ClientCharacter {
    std::size_t bytes;
    std::uint64_t units;
};

ClientCharacter clientCharacter(std::string_view text, std::size_t i, Units units) {
    if (isHalf(text, i)) return {3, units == Units::Utf8 ? 3u : 1u};
    const std::size_t length = wellFormedLength(text, i);
    if (length == 0) return {1, 1};
    return {length, units == Units::Utf8 ? length : (length == 4 ? 2u : 1u)};
}

}  // namespace

std::size_t clientOffset(std::string& text, std::uint64_t line, std::uint64_t character, Units units) {
    std::size_t start = 0;
    for (std::uint64_t l = 0; l < line; ++l) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) return text.size();
        start = end + 1;
    }
    const std::size_t lineEnd = std::min(text.find('\n', start), text.size());
    std::size_t i = start;
    std::uint64_t counted = 0;
    while (i < lineEnd && counted < character) {
        const ClientCharacter c = clientCharacter(text, i, units);
        if (counted + c.units > character) {
            if (units == Units::Utf8) return i + (character - counted);
            // Between the halves: the character becomes its two halves.
            const unsigned value = decoded(std::string_view(text).substr(i, 4)) - 0x10000;
            std::string halves;
            appendUtf8(halves, 0xD800 + (value >> 10));
            appendUtf8(halves, 0xDC00 + (value & 0x3FF));
            text.replace(i, 4, halves);
            return i + 3;
        }
        i += c.bytes;
        counted += c.units;
    }
    return i;
}

std::string jsonString(std::string_view text, std::uint64_t escapes, std::string& received) {
    std::string out = "\"";
    received.clear();
    const auto escaped = [&] {
        const bool bit = (escapes & 1) != 0;
        escapes = (escapes >> 1) | (static_cast<std::uint64_t>(bit) << 63);
        return bit;
    };
    std::size_t i = 0;
    while (i < text.size()) {
        if (escapes == 0) {
            // Most of a text needs no escape at all.
            std::size_t plain = i;
            while (plain < text.size() && text[plain] >= 0x20 && text[plain] < 0x7F && text[plain] != '"' &&
                   text[plain] != '\\') {
                ++plain;
            }
            out.append(text, i, plain - i);
            received.append(text, i, plain - i);
            i = plain;
            if (i == text.size()) break;
        }
        if (isHalf(text, i)) {
            const unsigned high = halfValue(text, i);
            appendEscape(out, high);
            if (high < 0xDC00 && isHalf(text, i + 3) && halfValue(text, i + 3) >= 0xDC00) {
                const unsigned low = halfValue(text, i + 3);
                appendEscape(out, low);
                appendUtf8(received, 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00));
                i += 6;
            } else {
                appendUtf8(received, 0xFFFD);
                i += 3;
            }
            continue;
        }
        const std::size_t length = wellFormedLength(text, i);
        if (length == 0) {
            out += text[i];
            received += text[i];
            ++i;
            continue;
        }
        const std::string_view character = text.substr(i, length);
        received += character;
        i += length;
        if (length > 1) {
            if (!escaped()) {
                out += character;
                continue;
            }
            const unsigned code = decoded(character);
            if (code < 0x10000) {
                appendEscape(out, code);
            } else {
                appendEscape(out, 0xD800 + ((code - 0x10000) >> 10));
                appendEscape(out, 0xDC00 + ((code - 0x10000) & 0x3FF));
            }
            continue;
        }
        const char c = character[0];
        switch (c) {
        case '"': out += "\\\""; continue;
        case '\\': out += "\\\\"; continue;
        case '\n': out += escaped() ? "\\u000a" : "\\n"; continue;
        case '\r': out += escaped() ? "\\u000d" : "\\r"; continue;
        case '\t': out += escaped() ? "\\u0009" : "\\t"; continue;
        case '\b': out += "\\b"; continue;
        case '\f': out += "\\f"; continue;
        default: break;
        }
        if (static_cast<unsigned char>(c) < 0x20 || escaped()) {
            if (c == '/') {
                out += "\\/";
            } else {
                appendEscape(out, static_cast<unsigned char>(c));
            }
            continue;
        }
        out += c;
    }
    out += '"';
    return out;
}

}  // namespace zeb::fuzz
