#include <nlohmann/json.hpp>

#include "analysis/source_lines.h"
#include "zeb/render.h"

namespace zeb {
namespace {

struct Range {
    SourcePlace begin;
    SourcePlace end;
};

// An empty span still covers one column, so that every consumer has
// something to underline.
Range rangeOf(const SourceLines& lines, Span span) {
    Range range{lines.place(span.begin), lines.place(span.end)};
    if (span.end <= span.begin) range.end = SourcePlace{range.begin.line, range.begin.column + 1};
    return range;
}

nlohmann::ordered_json jsonObject(const CheckedFile& file, const SourceLines& lines, Severity severity,
                                  std::string_view code, Span span, std::string_view message) {
    const Range range = rangeOf(lines, span);
    nlohmann::ordered_json object;
    object["file"] = file.path;
    object["line"] = range.begin.line;
    object["column"] = range.begin.column;
    object["end_line"] = range.end.line;
    object["end_column"] = range.end.column;
    object["severity"] = severityWord(severity);
    object["code"] = code;
    object["message"] = message;
    return object;
}

// Workflow commands end at a line end and split properties at ',' and ':',
// so those are escaped the way the runner expects.
std::string githubEscaped(std::string_view text, bool property) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '%': out += "%25"; break;
        case '\r': out += "%0D"; break;
        case '\n': out += "%0A"; break;
        case ':': out += property ? "%3A" : ":"; break;
        case ',': out += property ? "%2C" : ","; break;
        default: out += c;
        }
    }
    return out;
}

std::string_view githubCommand(Severity severity) {
    switch (severity) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    case Severity::Note: return "notice";
    }
    return "error";
}

void appendGithub(std::string& out, const CheckedFile& file, const SourceLines& lines, Severity severity, Span span,
                  std::string_view message) {
    const Range range = rangeOf(lines, span);
    out += "::";
    out += githubCommand(severity);
    out += " file=" + githubEscaped(file.path, true);
    out += ",line=" + std::to_string(range.begin.line) + ",col=" + std::to_string(range.begin.column);
    out += ",endLine=" + std::to_string(range.end.line) + ",endColumn=" + std::to_string(range.end.column);
    out += "::" + githubEscaped(message, false) + "\n";
}

}  // namespace

std::string renderJsonObjects(const CheckedFile& file) {
    std::string out;
    if (file.diagnostics.empty()) return out;
    const SourceLines lines(file.text);
    auto append = [&](const nlohmann::ordered_json& object) {
        if (!out.empty()) out += ',';
        // A path need not be UTF-8; JSON text must be.
        out += object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    };
    for (const Diagnostic& d : file.diagnostics) {
        append(jsonObject(file, lines, d.severity, d.code, d.span, d.message));
        for (const DiagnosticNote& note : d.notes) {
            append(jsonObject(file, lines, Severity::Note, d.code, note.span, note.message));
        }
    }
    return out;
}

std::string renderGithub(const CheckedFile& file) {
    std::string out;
    if (file.diagnostics.empty()) return out;
    const SourceLines lines(file.text);
    for (const Diagnostic& d : file.diagnostics) {
        appendGithub(out, file, lines, d.severity, d.span, d.message);
        for (const DiagnosticNote& note : d.notes)
            appendGithub(out, file, lines, Severity::Note, note.span, note.message);
    }
    return out;
}

}  // namespace zeb
