#include "analysis/diagnostic.h"

namespace zeb {

std::string_view severityWord(Severity severity) {
    switch (severity) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    case Severity::Note: return "note";
    }
    return "error";
}

std::optional<Span> spanIn(std::string_view source, std::string_view text) {
    if (text.data() < source.data() || text.data() + text.size() > source.data() + source.size()) return std::nullopt;
    const auto at = static_cast<std::size_t>(text.data() - source.data());
    return Span{at, at + text.size()};
}

void appendVisible(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
    }
}

std::string visible(std::string_view text) {
    std::string out;
    appendVisible(out, text);
    return out;
}

}  // namespace zeb
