#pragma once

// Writes SVG as text, straight into one string: a large map has hundreds of
// thousands of numbers, so nothing is built as a tree first. Every number
// has one decimal at most, and every text is escaped and kept to printable
// ASCII, so that the document is well-formed XML whatever the mission says.

#include <cstddef>
#include <string>
#include <string_view>

#include "map/map_geometry.h"

namespace zeb::map {

// A number as it is written: rounded to a tenth, without a trailing ".0".
void appendNumber(std::string& out, double value);

// The text with &, <, > and " escaped and any byte outside printable ASCII
// as "?", cut to `most` characters (the last three then "...").
void appendEscaped(std::string& out, std::string_view text, std::size_t most);

// The characters a text keeps when it is cut to `most`, as appendEscaped
// cuts it: for measuring a label before it is written.
std::size_t shownLength(std::string_view text, std::size_t most);

// The `d` of a path: moves and lines in absolute coordinates.
class PathData {
public:
    void moveTo(Point p);
    void lineTo(Point p);
    void close() { d_ += 'Z'; }
    bool empty() const { return d_.empty(); }
    const std::string& text() const { return d_; }

private:
    void point(Point p);
    std::string d_;
};

class SvgWriter {
public:
    static constexpr std::size_t kLongestText = 60;

    // "<name"; attributes follow, then either endEmpty() or endStart().
    SvgWriter& open(std::string_view name);
    SvgWriter& attr(std::string_view name, std::string_view value);
    SvgWriter& attr(std::string_view name, const char* value) { return attr(name, std::string_view(value)); }
    SvgWriter& attr(std::string_view name, double value);
    void endEmpty();  // "/>"
    void endStart();  // ">"
    void text(std::string_view text, std::size_t most = kLongestText);
    void close(std::string_view name);  // "</name>"
    // <name attributes...>text</name> in one go, after open() and attr().
    void endWithText(std::string_view name, std::string_view text, std::size_t most = kLongestText);
    // A <title>: the tooltip of the element it is in.
    void title(std::string_view text, std::size_t most = 200);

    // Anything already well-formed: the XML declaration, a comment.
    void raw(std::string_view text) { out_ += text; }
    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

}  // namespace zeb::map
