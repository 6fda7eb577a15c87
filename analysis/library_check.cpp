// The structured diagnostics and the source formatter of <zebparser/zebparser.h>.

#include <memory>

#include "analysis/analysis.h"
#include "analysis/source_formatter.h"
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

std::vector<Diagnostic> convertedAll(const std::string& text, const std::vector<zeb::Diagnostic>& diagnostics) {
    std::vector<Diagnostic> out;
    if (diagnostics.empty()) return out;
    const zeb::SourceLines lines(text);
    for (const zeb::Diagnostic& d : diagnostics) {
        out.push_back(converted(lines, d.severity, d.code, d.span, d.message));
        for (const zeb::DiagnosticNote& note : d.notes) {
            out.push_back(converted(lines, zeb::Severity::Note, d.code, note.span, note.message));
        }
    }
    return out;
}

std::shared_ptr<const std::string> normalised(std::string source) {
    zeb::normaliseLineEnds(source);
    return std::make_shared<const std::string>(std::move(source));
}

}  // namespace

std::vector<Diagnostic> check(std::string source) {
    auto text = normalised(std::move(source));
    return convertedAll(
        *text, zeb::analyzeMission(text, zeb::AnalysisOptions{.keepNames = false, .keepComments = false}).diagnostics);
}

SourceLayout formatSource(std::string source) {
    auto text = normalised(std::move(source));
    zeb::FormattedSource formatted = zeb::formatSource(text);
    SourceLayout result;
    result.status = formatted.hasError() ? 1 : 0;
    result.text = std::move(formatted.text);
    result.diagnostics = convertedAll(*text, formatted.diagnostics);
    return result;
}

}  // namespace zebparser
