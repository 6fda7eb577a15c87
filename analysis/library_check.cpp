// The structured diagnostics of <zebparser/zebparser.h>.

#include <memory>

#include "analysis/analysis.h"
#include "analysis/source_lines.h"
#include "frontend/source_reader.h"
#include "zebparser/zebparser.h"

namespace zebparser {
namespace {

Diagnostic converted(const zeb::SourceLines& lines, zeb::Severity severity, std::string_view code, zeb::Span span,
                     const std::string& message) {
    const zeb::SourcePlace begin = lines.place(span.begin);
    zeb::SourcePlace end = lines.place(span.end);
    // A point still covers one column.
    if (span.end <= span.begin) end = zeb::SourcePlace{begin.line, begin.column + 1};
    return Diagnostic{std::string(zeb::severityWord(severity)),
                      std::string(code),
                      message,
                      begin.line,
                      begin.column,
                      end.line,
                      end.column};
}

}  // namespace

std::vector<Diagnostic> check(std::string source) {
    zeb::normaliseLineEnds(source);
    auto text = std::make_shared<const std::string>(std::move(source));
    const zeb::MissionAnalysis analysis = zeb::analyzeMission(text);
    const zeb::SourceLines lines(*text);
    std::vector<Diagnostic> out;
    for (const zeb::Diagnostic& d : analysis.diagnostics) {
        out.push_back(converted(lines, d.severity, d.code, d.span, d.message));
        for (const zeb::DiagnosticNote& note : d.notes) {
            out.push_back(converted(lines, zeb::Severity::Note, d.code, note.span, note.message));
        }
    }
    return out;
}

}  // namespace zebparser
