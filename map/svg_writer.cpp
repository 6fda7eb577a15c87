#include "map/svg_writer.h"

#include <cmath>
#include <cstdint>

namespace zeb::map {

void appendNumber(std::string& out, double value) {
    // Far beyond any picture: only a fault elsewhere gets here, and a
    // number that is not one would break the document.
    constexpr double kLargest = 1e12;
    if (!std::isfinite(value)) value = 0;
    value = std::fmax(-kLargest, std::fmin(kLargest, value));
    const auto tenths = static_cast<std::int64_t>(std::llround(value * 10));
    std::uint64_t magnitude = tenths < 0 ? static_cast<std::uint64_t>(-tenths) : static_cast<std::uint64_t>(tenths);
    if (tenths < 0) out += '-';
    char digits[24];
    std::size_t count = 0;
    std::uint64_t whole = magnitude / 10;
    do {
        digits[count++] = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    while (count > 0) out += digits[--count];
    if (magnitude % 10 != 0) {
        out += '.';
        out += static_cast<char>('0' + magnitude % 10);
    }
}

std::size_t shownLength(std::string_view text, std::size_t most) {
    return text.size() <= most ? text.size() : most;
}

void appendEscaped(std::string& out, std::string_view text, std::size_t most) {
    const bool cut = text.size() > most;
    if (cut) text = text.substr(0, most >= 3 ? most - 3 : 0);
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c >= 0x20 && c < 0x7f ? c : '?'; break;
        }
    }
    if (cut) out += "...";
}

void PathData::point(Point p) {
    appendNumber(d_, p.x);
    d_ += ' ';
    appendNumber(d_, p.y);
}

void PathData::moveTo(Point p) {
    d_ += 'M';
    point(p);
}

void PathData::lineTo(Point p) {
    d_ += 'L';
    point(p);
}

SvgWriter& SvgWriter::open(std::string_view name) {
    out_ += '<';
    out_ += name;
    return *this;
}

SvgWriter& SvgWriter::attr(std::string_view name, std::string_view value) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    appendEscaped(out_, value, value.size());
    out_ += '"';
    return *this;
}

SvgWriter& SvgWriter::attr(std::string_view name, double value) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    appendNumber(out_, value);
    out_ += '"';
    return *this;
}

void SvgWriter::endEmpty() {
    out_ += "/>\n";
}

void SvgWriter::endStart() {
    out_ += '>';
}

void SvgWriter::text(std::string_view text, std::size_t most) {
    appendEscaped(out_, text, most);
}

void SvgWriter::close(std::string_view name) {
    out_ += "</";
    out_ += name;
    out_ += ">\n";
}

void SvgWriter::endWithText(std::string_view name, std::string_view text, std::size_t most) {
    endStart();
    appendEscaped(out_, text, most);
    close(name);
}

void SvgWriter::title(std::string_view text, std::size_t most) {
    out_ += "<title>";
    appendEscaped(out_, text, most);
    out_ += "</title>";
}

}  // namespace zeb::map
