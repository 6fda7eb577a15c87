#include "analysis/source_formatter.h"

#include <future>

#include "analysis/analysis.h"
#include "analysis/comment_attachment.h"
#include "analysis/warnings.h"
#include "output/source_printer.h"

namespace zeb {
namespace {

constexpr std::size_t kConcurrentFrom = 1 << 20;

// A text without "/" has no comment, and then no construct need be found.
bool mayHoldComments(std::string_view text) {
    return text.find('/') != std::string_view::npos;
}

}  // namespace

bool FormattedSource::hasError() const {
    return hasErrorIn(diagnostics);
}

FormattedSource formatSource(std::shared_ptr<const std::string> source) {
    std::string text;
    text.reserve(source->size() + source->size() / 4);
    OutputSink sink(&text);
    FormattedSource result = formatSource(std::move(source), sink);
    if (!result.hasError()) result.text = std::move(text);
    return result;
}

FormattedSource formatSource(std::shared_ptr<const std::string> source, OutputSink& out) {
    // Where the constructs stand is found while the text is checked: both
    // only read it, and for a large text each takes a core. The pass that
    // finds the constructs reads every token, so it makes the token scan
    // for warnings too, which would otherwise read the text a third time.
    const bool concurrent = source->size() >= kConcurrentFrom && mayHoldComments(*source);
    std::future<ConstructTree> tree;
    std::future<std::vector<Diagnostic>> warnings;
    if (concurrent) {
        std::promise<std::vector<Diagnostic>> warningsFound;
        warnings = warningsFound.get_future();
        tree = std::async(std::launch::async, [source, found = std::move(warningsFound)]() mutable {
            std::vector<Diagnostic> scanned;
            TokenWarningScan scan(*source, scanned);
            ConstructTree constructs = findConstructs(*source, &scan);
            found.set_value(std::move(scanned));
            return constructs;
        });
    }
    AnalysisOptions options{.keepNames = false};
    // The second core finds the constructs meanwhile.
    if (concurrent) options.actionsOnSecondThreadFrom = AnalysisOptions::kNever;
    MissionAnalysis analysis = analyzeMission(source, std::move(warnings), options);
    FormattedSource result;
    result.diagnostics = std::move(analysis.diagnostics);
    if (result.hasError()) return result;
    AttachedComments comments;
    if (!analysis.comments.empty()) {
        comments = attachComments(concurrent ? tree.get() : findConstructs(*source), *source, analysis.comments,
                                  *analysis.mission);
    }
    printSource(out, *analysis.mission, comments,
                source->size() >= kConcurrentFrom ? SourcePrinting::TwoThreads : SourcePrinting::OneThread);
    return result;
}

}  // namespace zeb
