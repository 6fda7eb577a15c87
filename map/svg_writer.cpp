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
    // Written backwards into a buffer and appended at once: a large map
    // writes millions of numbers.
    char digits[24];
    char* const end = digits + sizeof digits;
    char* at = end;
    if (magnitude % 10 != 0) {
        *--at = static_cast<char>('0' + magnitude % 10);
        *--at = '.';
    }
    magnitude /= 10;
    do {
        *--at = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (tenths < 0) *--at = '-';
    out.append(at, static_cast<std::size_t>(end - at));
}

std::size_t shownLength(std::string_view text, std::size_t most) {
    return text.size() <= most ? text.size() : most;
}

void appendEscaped(std::string& out, std::string_view text, std::size_t most) {
    const bool cut = text.size() > most;
    if (cut) text = text.substr(0, most >= 3 ? most - 3 : 0);
    // Runs of characters that stand for themselves are appended whole.
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char* escaped = nullptr;
        switch (c) {
        case '&': escaped = "&amp;"; break;
        case '<': escaped = "&lt;"; break;
        case '>': escaped = "&gt;"; break;
        case '"': escaped = "&quot;"; break;
        default:
            if (c >= 0x20 && c < 0x7f) continue;
            escaped = "?";
            break;
        }
        out.append(text.data() + run, i - run);
        out += escaped;
        run = i + 1;
    }
    out.append(text.data() + run, text.size() - run);
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
