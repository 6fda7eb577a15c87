#pragma once

// Editor positions (a line from 0 and a column in the negotiated code
// units) and byte offsets of one text. A byte that starts no well-formed
// UTF-8 sequence counts as one code unit in either encoding. A map is used
// by one thread at a time.

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string_view>

#include "analysis/diagnostic.h"
#include "analysis/source_lines.h"

namespace zeb::lsp {

enum class PositionEncoding { Utf16, Utf8 };

struct LinePosition {
    std::uint64_t line = 0;
    std::uint64_t character = 0;
};

class PositionMap {
public:
    PositionMap(const SourceLines& lines, PositionEncoding encoding) : lines_(lines), encoding_(encoding) {}

    // A line past the last is the end of the text; a column past the end of
    // its line is the line's end.
    std::size_t offsetOf(LinePosition position) const;
    // An offset inside a character stands after it.
    LinePosition positionOf(std::size_t offset) const;

    nlohmann::json toJson(std::size_t offset) const;
    nlohmann::json rangeJson(Span span) const;
    // A position from a request's params; none when it is not one.
    static bool fromJson(const nlohmann::json& position, LinePosition& out);

private:
    const SourceLines& lines_;
    PositionEncoding encoding_;
    // The line of the last offset asked for: results come mostly in source
    // order, and the next is then found by scanning on from there.
    mutable bool placed_ = false;
    mutable std::uint64_t lastLine_ = 0;
    mutable std::size_t lastLineStart_ = 0;
};

}  // namespace zeb::lsp
