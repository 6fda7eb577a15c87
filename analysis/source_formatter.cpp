#include "analysis/source_formatter.h"

#include "analysis/analysis.h"
#include "analysis/comment_attachment.h"
#include "output/source_printer.h"

namespace zeb {

bool FormattedSource::hasError() const {
    for (const Diagnostic& d : diagnostics) {
        if (d.severity == Severity::Error) return true;
    }
    return false;
}

FormattedSource formatSource(std::shared_ptr<const std::string> source) {
    MissionAnalysis analysis = analyzeMission(source);
    FormattedSource result;
    result.diagnostics = std::move(analysis.diagnostics);
    if (result.hasError()) return result;
    const AttachedComments comments = attachComments(*source, analysis.comments, *analysis.mission);
    result.text.reserve(source->size() + source->size() / 4);
    OutputSink sink(&result.text);
    printSource(sink, *analysis.mission, comments);
    return result;
}

}  // namespace zeb
