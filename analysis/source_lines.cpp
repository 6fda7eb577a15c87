#include "analysis/source_lines.h"

#include <algorithm>
#include <cstring>

namespace zeb {
namespace {

// The offset just past the next line end at or after `from`, or the end.
std::size_t nextLineStart(std::string_view text, std::size_t from) {
    const void* found = std::memchr(text.data() + from, '\n', text.size() - from);
    if (found == nullptr) return text.size();
    return static_cast<std::size_t>(static_cast<const char*>(found) - text.data()) + 1;
}

}  // namespace

SourceLines::SourceLines(std::string_view text) : text_(text) {
    marks_.push_back(0);
    std::size_t at = 0;
    while (at < text.size()) {
        const void* found = std::memchr(text.data() + at, '\n', text.size() - at);
        if (found == nullptr) break;
        at = static_cast<std::size_t>(static_cast<const char*>(found) - text.data()) + 1;
        if (lineCount_ % kLinesPerMark == 0) marks_.push_back(at);
        ++lineCount_;
    }
}

SourcePlace SourceLines::place(std::size_t offset) const {
    offset = std::min(offset, text_.size());
    // The last mark at or before the offset.
    const auto mark = std::upper_bound(marks_.begin(), marks_.end(), offset) - 1;
    std::uint64_t line = static_cast<std::uint64_t>(mark - marks_.begin()) * kLinesPerMark + 1;
    std::size_t start = *mark;
    // A line holds its own line end; the end of a text that ends with one is
    // the start of the empty line after it.
    for (;;) {
        const std::size_t next = nextLineStart(text_, start);
        if (offset < next) break;
        if (next == text_.size()) {
            if (next > start && text_[next - 1] == '\n') {
                start = next;
                ++line;
            }
            break;
        }
        start = next;
        ++line;
    }
    return SourcePlace{line, offset - start + 1};
}

std::size_t SourceLines::lineStart(std::uint64_t line) const {
    if (line <= 1) return 0;
    if (line > lineCount_) return text_.size();
    const std::uint64_t index = (line - 1) / kLinesPerMark;
    std::size_t start = marks_[index];
    for (std::uint64_t at = index * kLinesPerMark + 1; at < line; ++at) start = nextLineStart(text_, start);
    return start;
}

std::string_view SourceLines::lineText(std::uint64_t line) const {
    const std::size_t start = lineStart(line);
    std::size_t end = nextLineStart(text_, start);
    if (end > start && text_[end - 1] == '\n') --end;
    return text_.substr(start, end - start);
}

}  // namespace zeb
