#include <algorithm>

#include "analysis/source_lines.h"
#include "zeb/render.h"

namespace zeb {
namespace {

constexpr int kTabStop = 8;

const char* severityColour(Severity severity) {
    switch (severity) {
    case Severity::Error: return "\x1b[1;31m";
    case Severity::Warning: return "\x1b[1;35m";
    case Severity::Note: return "\x1b[1;36m";
    }
    return "";
}

struct Painter {
    bool on;
    void paint(std::string& out, const char* colour) const {
        if (on) out += colour;
    }
    void reset(std::string& out) const {
        if (on) out += "\x1b[0m";
    }
};

// How one source byte shows on the terminal: a tab as blanks to the next
// stop, anything unprintable escaped, so that the caret line stays under
// what it marks.
std::string shownByte(char c, std::size_t column) {
    if (c == '\t') return std::string(kTabStop - column % kTabStop, ' ');
    std::string shown;
    appendVisible(shown, std::string_view(&c, 1));
    return shown;
}

// The source line, then a caret under the span's first byte and "~" under
// the rest of it on that line.
void appendSourceAndCaret(std::string& out, const SourceLines& lines, Span span, const Painter& painter) {
    const SourcePlace place = lines.place(span.begin);
    const std::size_t lineStart = lines.lineStart(place.line);
    const std::string_view line = lines.lineText(place.line);
    const std::size_t caretFrom = span.begin - lineStart;
    const std::size_t caretTo = std::max(caretFrom + 1, std::min(span.end - lineStart, line.size()));
    std::string shownLine;
    std::string caret;
    for (std::size_t at = 0; at <= line.size(); ++at) {
        const std::string shown = at < line.size() ? shownByte(line[at], shownLine.size()) : std::string(" ");
        if (at < line.size()) shownLine += shown;
        if (at < caretFrom) {
            caret.append(shown.size(), ' ');
        } else if (at < caretTo) {
            caret += at == caretFrom ? '^' : '~';
            caret.append(shown.size() - 1, '~');
        }
    }
    out += shownLine;
    out += '\n';
    painter.paint(out, "\x1b[1;32m");
    out += caret;
    painter.reset(out);
    out += '\n';
}

void appendOne(std::string& out, const CheckedFile& file, const SourceLines& lines, Severity severity, Span span,
               std::string_view message, const Painter& painter) {
    const SourcePlace place = lines.place(span.begin);
    painter.paint(out, "\x1b[1m");
    appendVisible(out, file.path);
    out += ':' + std::to_string(place.line) + ':' + std::to_string(place.column) + ": ";
    painter.reset(out);
    painter.paint(out, severityColour(severity));
    out += severityWord(severity);
    out += ':';
    painter.reset(out);
    out += ' ';
    painter.paint(out, "\x1b[1m");
    appendVisible(out, message);
    painter.reset(out);
    out += '\n';
    appendSourceAndCaret(out, lines, span, painter);
}

}  // namespace

std::string renderText(const CheckedFile& file, TextStyle style) {
    std::string out;
    // Finding the lines reads the whole text: a large clean file is not
    // read again for nothing.
    if (file.diagnostics.empty()) return out;
    const SourceLines lines(file.text);
    const Painter painter{style.colour};
    for (const Diagnostic& d : file.diagnostics) {
        appendOne(out, file, lines, d.severity, d.span, d.message, painter);
        for (const DiagnosticNote& note : d.notes) {
            appendOne(out, file, lines, Severity::Note, note.span, note.message, painter);
        }
    }
    return out;
}

}  // namespace zeb
