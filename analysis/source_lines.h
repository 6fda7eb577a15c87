#pragma once

// Lines and columns of byte offsets in one source text, found only when a
// diagnostic or an editor asks. The table keeps the start of every 64th line,
// so it stays a small fraction of the text even for a file of nothing but
// line ends; a lookup scans at most 64 lines from the nearest kept start.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zeb {

struct SourcePlace {
    std::uint64_t line = 1;    // from 1
    std::uint64_t column = 1;  // from 1, in bytes
};

class SourceLines {
public:
    explicit SourceLines(std::string_view text);

    // The place of an offset; an offset past the end is the end.
    SourcePlace place(std::size_t offset) const;
    // The offset where a line starts; a line past the last is the end.
    std::size_t lineStart(std::uint64_t line) const;
    // The line's text without its line end.
    std::string_view lineText(std::uint64_t line) const;
    std::uint64_t lineCount() const { return lineCount_; }
    std::string_view text() const { return text_; }

private:
    static constexpr std::uint64_t kLinesPerMark = 64;

    std::string_view text_;
    // marks_[k] is the offset where line k * kLinesPerMark + 1 starts.
    std::vector<std::size_t> marks_;
    std::uint64_t lineCount_ = 1;
};

}  // namespace zeb
