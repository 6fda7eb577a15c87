#include "lsp/message_parser.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <vector>

namespace zeb::lsp {
namespace {

// Below this a string is left to the library.
constexpr std::size_t kLongString = 64 * 1024;
// A placeholder names its string by number. Its marks are control
// characters, which a client's string holds only escaped; one that does
// spell a placeholder is found out, and the message is read whole.
constexpr std::string_view kPlaceholderMark = "\x01zeb-long-string\x01";
constexpr std::string_view kEscapedPlaceholderMark = "\\u0001zeb-long-string\\u0001";

// The closing quote of the string whose content starts at `from`: the first
// quote not escaped by an odd run of backslashes.
std::size_t stringEnd(const std::string& body, std::size_t from) {
    for (;;) {
        const void* found = std::memchr(body.data() + from, '"', body.size() - from);
        if (found == nullptr) return std::string::npos;
        const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(found) - body.data());
        std::size_t slashes = 0;
        while (at - slashes > 0 && body[at - slashes - 1] == '\\') ++slashes;
        if (slashes % 2 == 0) return at;
        from = at + 1;
    }
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<unsigned> hex4(std::string_view text, std::size_t at) {
    if (at + 4 > text.size()) return std::nullopt;
    unsigned value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const int digit = hexValue(text[at + i]);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return value;
}

bool isHighHalf(unsigned value) {
    return value >= 0xD800 && value <= 0xDBFF;
}

bool isLowHalf(unsigned value) {
    return value >= 0xDC00 && value <= 0xDFFF;
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

// A JSON string's content unescaped; none when an escape is broken.
std::optional<std::string> unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const void* found = std::memchr(text.data() + at, '\\', text.size() - at);
        const std::size_t slash =
            found == nullptr ? text.size() : static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
        out.append(text, at, slash - at);
        if (slash == text.size()) break;
        if (slash + 1 >= text.size()) return std::nullopt;
        at = slash + 2;
        switch (text[slash + 1]) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
            const std::optional<unsigned> code = hex4(text, at);
            if (!code) return std::nullopt;
            at += 4;
            unsigned value = *code;
            if (isHighHalf(value) && text.substr(at, 2) == "\\u") {
                const std::optional<unsigned> low = hex4(text, at + 2);
                if (low && isLowHalf(*low)) {
                    value = 0x10000 + ((value - 0xD800) << 10) + (*low - 0xDC00);
                    at += 6;
                }
            }
            // A surrogate without its other half is no character.
            if (value >= 0xD800 && value <= 0xDFFF) value = 0xFFFD;
            appendUtf8(out, value);
            break;
        }
        default: return std::nullopt;
        }
    }
    return out;
}

// Each \u escape of a surrogate without its other half becomes one of
// U+FFFD, as the long strings have it; the JSON library refuses the whole
// message instead, and a client that splits a character in two (UTF-16
// lets it) would lose the change. False when there is none. A backslash
// outside a string already makes the message no JSON, so every one is
// taken as the start of an escape.
bool replaceLoneHalves(std::string& text) {
    bool replaced = false;
    std::size_t at = 0;
    for (;;) {
        const void* found = std::memchr(text.data() + at, '\\', text.size() - at);
        if (found == nullptr) return replaced;
        const std::size_t slash = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
        if (slash + 1 == text.size()) return replaced;
        at = slash + 2;
        if (text[slash + 1] != 'u') continue;
        const std::optional<unsigned> value = hex4(text, at);
        if (!value) continue;
        at += 4;
        if (isHighHalf(*value) && text.compare(at, 2, "\\u") == 0) {
            const std::optional<unsigned> low = hex4(text, at + 2);
            if (low && isLowHalf(*low)) {
                at += 6;
                continue;
            }
        }
        if (isHighHalf(*value) || isLowHalf(*value)) {
            text.replace(slash + 2, 4, "fffd");
            replaced = true;
        }
    }
}

nlohmann::json parsed(std::string& text) {
    nlohmann::json message = nlohmann::json::parse(text, nullptr, false);
    if (message.is_discarded() && replaceLoneHalves(text)) message = nlohmann::json::parse(text, nullptr, false);
    return message;
}

// Finds where each placeholder stands; false when a string of the client's
// own reads as one (its escapes can spell the marks), a placeholder stands
// twice, or one stands in a member's name, where it is not looked for.
bool findPlaceholders(nlohmann::json& value, std::vector<nlohmann::json*>& slots) {
    if (value.is_string()) {
        const std::string& text = value.get_ref<const std::string&>();
        if (text.compare(0, kPlaceholderMark.size(), kPlaceholderMark) != 0) return true;
        const char* digits = text.data() + kPlaceholderMark.size();
        const char* end = text.data() + text.size();
        std::size_t index = 0;
        const auto [stop, error] = std::from_chars(digits, end, index);
        if (error != std::errc() || stop != end || index >= slots.size() || slots[index] != nullptr) return false;
        slots[index] = &value;
        return true;
    }
    if (value.is_structured()) {
        for (nlohmann::json& element : value) {
            if (!findPlaceholders(element, slots)) return false;
        }
    }
    return true;
}

}  // namespace

nlohmann::json parseMessage(std::string& body) {
    if (body.size() < kLongString) return parsed(body);
    std::vector<std::string> strings;
    std::string rest;
    std::size_t copied = 0;
    std::size_t at = 0;
    for (;;) {
        const void* found = std::memchr(body.data() + at, '"', body.size() - at);
        if (found == nullptr) break;
        const std::size_t open = static_cast<std::size_t>(static_cast<const char*>(found) - body.data());
        const std::size_t close = stringEnd(body, open + 1);
        if (close == std::string::npos) break;
        at = close + 1;
        if (close - open - 1 < kLongString) continue;
        std::optional<std::string> text = unescaped(std::string_view(body).substr(open + 1, close - open - 1));
        if (!text) return nlohmann::json(nlohmann::json::value_t::discarded);
        rest.append(body, copied, open + 1 - copied);
        rest.append(kEscapedPlaceholderMark);
        rest += std::to_string(strings.size());
        copied = close;
        strings.push_back(std::move(*text));
    }
    if (strings.empty()) return parsed(body);
    rest.append(body, copied, std::string::npos);
    nlohmann::json message = parsed(rest);
    if (message.is_discarded()) return message;
    std::vector<nlohmann::json*> slots(strings.size(), nullptr);
    const bool found = findPlaceholders(message, slots);
    if (!found || std::find(slots.begin(), slots.end(), nullptr) != slots.end()) {
        // Slow, but always right.
        strings.clear();
        return parsed(body);
    }
    for (std::size_t i = 0; i < strings.size(); ++i) *slots[i] = std::move(strings[i]);
    body.clear();
    body.shrink_to_fit();
    return message;
}

}  // namespace zeb::lsp
