#include "analysis/source_formatter.h"

#include "analysis/analysis.h"

namespace zeb {

bool FormattedSource::hasError() const {
    for (const Diagnostic& d : diagnostics) {
        if (d.severity == Severity::Error) return true;
    }
    return false;
}

// Placeholder while the layout is being written: hands the text back.
FormattedSource formatSource(std::shared_ptr<const std::string> source) {
    MissionAnalysis analysis = analyzeMission(source);
    FormattedSource result;
    result.diagnostics = std::move(analysis.diagnostics);
    if (!result.hasError()) result.text = *source;
    return result;
}

}  // namespace zeb
