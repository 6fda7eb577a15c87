#include <string_view>

#include "output/source_writers.h"

namespace zeb {
namespace {

bool isLineComment(std::string_view comment) {
    return comment.size() >= 2 && comment[1] == '/';
}

void putComment(OutputSink& out, std::string_view comment) {
    // Most comments are one line with nothing to take off.
    const bool plain = comment.find('\n') == std::string_view::npos && !comment.empty() && comment.back() != ' ' &&
                       comment.back() != '\t' && comment.back() != '\r';
    if (plain) {
        out.put(comment);
    } else {
        out.put(commentAsLaidOut(comment));
    }
}

}  // namespace

// A comment's own text, but without the blanks that ended its lines: the
// layout has none, and they carry nothing.
std::string commentAsLaidOut(std::string_view comment) {
    std::string text;
    text.reserve(comment.size());
    for (;;) {
        const std::size_t lineEnd = comment.find('\n');
        std::string_view line = comment.substr(0, lineEnd);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
            line.remove_suffix(1);
        }
        text.append(line);
        if (lineEnd == std::string_view::npos) break;
        text.push_back('\n');
        comment.remove_prefix(lineEnd + 1);
    }
    // Only a block comment left open at the end of the file can end in
    // empty lines; the layout's own line end follows it.
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

void writeOwnLines(OutputSink& out, const std::vector<std::string_view>& comments, int indent) {
    for (std::string_view comment : comments) {
        writeIndent(out, indent);
        putComment(out, comment);
        out.endLine();
    }
}

void writeBefore(OutputSink& out, const CommentPlaces* places, int indent) {
    if (places != nullptr) writeOwnLines(out, places->before, indent);
}

void writeInside(OutputSink& out, const CommentPlaces* places, int indent) {
    if (places != nullptr) writeOwnLines(out, places->inside, indent);
}

void writeAfter(OutputSink& out, const CommentPlaces* places, int indent) {
    if (places != nullptr) writeOwnLines(out, places->after, indent);
}

void writeUnplaced(OutputSink& out, const CommentPlaces* places, int indent) {
    if (places == nullptr) return;
    for (const auto* list : {&places->before, &places->afterHead, &places->afterEnd, &places->inside, &places->after}) {
        writeOwnLines(out, *list, indent);
    }
}

void endLineWith(OutputSink& out, const std::vector<std::string_view>& comments, int indent) {
    bool lineOpen = true;
    for (std::string_view comment : comments) {
        if (lineOpen) {
            out.put(' ');
        } else {
            writeIndent(out, indent);
        }
        putComment(out, comment);
        if (!lineOpen || isLineComment(comment)) {
            out.endLine();
            lineOpen = false;
        }
    }
    if (lineOpen) out.endLine();
}

void endHeadLine(OutputSink& out, const CommentPlaces* places, int indent) {
    if (places == nullptr) {
        out.endLine();
        return;
    }
    endLineWith(out, places->afterHead, indent);
}

void endLastLine(OutputSink& out, const CommentPlaces* places, int indent) {
    if (places == nullptr) {
        out.endLine();
        return;
    }
    endLineWith(out, places->afterEnd, indent);
}

}  // namespace zeb
