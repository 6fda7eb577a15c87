#include "lsp/position_encoding.h"

#include <cstring>

#include "lsp/raw_bytes.h"

namespace zeb::lsp {
namespace {

// The code units of the character at text[at] and its length in bytes.
struct Character {
    std::size_t bytes;
    std::uint64_t units;
};

Character characterAt(std::string_view text, std::size_t at, PositionEncoding encoding) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if (c < 0x80) return {1, 1};
    const std::size_t length = utf8SequenceLength(text, at);
    if (length == 0) return {1, 1};
    if (encoding == PositionEncoding::Utf8) return {length, length};
    return {length, length == 4 ? 2u : 1u};
}

// The offset moved past the end of the character it falls inside, if any:
// the character's first byte stands at most three bytes back.
std::size_t afterCharacter(std::string_view text, std::size_t offset) {
    for (std::size_t back = 1; back <= 3 && back <= offset; ++back) {
        if ((static_cast<unsigned char>(text[offset - back]) & 0xC0) == 0x80) continue;
        const std::size_t length = utf8SequenceLength(text, offset - back);
        return length > back ? offset - back + length : offset;
    }
    return offset;
}

}  // namespace

std::size_t PositionMap::offsetOf(LinePosition position) const {
    const std::uint64_t line = position.line + 1;
    if (line > lines_.lineCount()) return lines_.text().size();
    const std::size_t start = lines_.lineStart(line);
    const std::string_view text = lines_.lineText(line);
    if (encoding_ == PositionEncoding::Utf8) return start + std::min<std::uint64_t>(position.character, text.size());
    std::size_t at = 0;
    std::uint64_t units = 0;
    while (at < text.size() && units < position.character) {
        const Character c = characterAt(text, at, encoding_);
        at += c.bytes;
        units += c.units;
    }
    return start + at;
}

LinePosition PositionMap::positionOf(std::size_t offset) const {
    const std::string_view text = lines_.text();
    offset = std::min(offset, text.size());
    // UTF-16 columns are counted a character at a time, which does the same.
    if (encoding_ == PositionEncoding::Utf8) offset = afterCharacter(text, offset);
    if (placed_ && offset >= lastLineStart_) {
        for (;;) {
            const void* end = std::memchr(text.data() + lastLineStart_, '\n', offset - lastLineStart_);
            if (end == nullptr) break;
            lastLineStart_ = static_cast<std::size_t>(static_cast<const char*>(end) - text.data()) + 1;
            ++lastLine_;
        }
    } else {
        const SourcePlace place = lines_.place(offset);
        lastLine_ = place.line - 1;
        lastLineStart_ = offset - (place.column - 1);
        placed_ = true;
    }
    const std::size_t column = offset - lastLineStart_;
    if (encoding_ == PositionEncoding::Utf8) return LinePosition{lastLine_, column};
    const std::string_view line = text.substr(lastLineStart_);
    std::size_t at = 0;
    std::uint64_t units = 0;
    while (at < column) {
        const Character c = characterAt(line, at, encoding_);
        at += c.bytes;
        units += c.units;
    }
    return LinePosition{lastLine_, units};
}

nlohmann::json PositionMap::toJson(std::size_t offset) const {
    const LinePosition p = positionOf(offset);
    return {{"line", p.line}, {"character", p.character}};
}

nlohmann::json PositionMap::rangeJson(Span span) const {
    return {{"start", toJson(span.begin)}, {"end", toJson(span.end)}};
}

bool PositionMap::fromJson(const nlohmann::json& position, LinePosition& out) {
    if (!position.is_object()) return false;
    const auto line = position.find("line");
    const auto character = position.find("character");
    if (line == position.end() || character == position.end()) return false;
    if (!line->is_number_integer() || !character->is_number_integer()) return false;
    // A negative number is no position; clamp it to the start.
    out.line = line->is_number_unsigned() ? line->get<std::uint64_t>() : 0;
    out.character = character->is_number_unsigned() ? character->get<std::uint64_t>() : 0;
    return true;
}

}  // namespace zeb::lsp
