#include "analysis/analysis.h"

#include <algorithm>
#include <future>

#include "analysis/name_error_text.h"
#include "analysis/syntax_error_text.h"
#include "analysis/warnings.h"
#include "frontend/deferred_actions.h"
#include "frontend/lexer.h"
#include "frontend/parser.h"

namespace zeb {
namespace {

// Below this a second thread costs more than the scan it takes over.
constexpr std::size_t kConcurrentScanFrom = 1 << 20;

// The end of the file as a point, on the line the compiler reports: the
// empty line after a last line end.
Span endOf(std::string_view source) {
    return Span{source.size(), source.size()};
}

// The span of a view that lies in the source, or the fallback.
Span spanOf(std::string_view source, std::string_view text, Span fallback) {
    return spanIn(source, text).value_or(fallback);
}

ScannerState scannerState(const Lexer& lexer) {
    return ScannerState{lexer.insideText(), lexer.insideBlockComment()};
}

// Errors as the parse finds them, each with the offset of the token the
// parser had read when it found it: errors keep that order, which is the
// compiler's, wherever their spans begin.
class Collector final : public ParseObserver {
public:
    Collector(std::string_view source, const Mission& mission, std::vector<Diagnostic>& out,
              std::vector<std::size_t>& foundAt)
        : source_(source), mission_(mission), out_(out), foundAt_(foundAt) {}

    bool onNameError(const NameError& error, const Lexer& lexer) override {
        const Span near = spanOf(source_, lexer.tokenText(), endOf(source_));
        out_.push_back(describeNameError(error, spanOf(source_, error.name, near), mission_, source_));
        foundAt_.push_back(near.begin);
        return true;
    }

    void onSyntaxError(int token, const std::vector<int>& expected, const Lexer& lexer) override {
        const Span at = token == 0 ? endOf(source_) : spanOf(source_, lexer.tokenText(), endOf(source_));
        // The tables reduce by default before they look at the next token, so
        // a check may have run on a construct that this token cuts short (a
        // patrol list ended by a stray quote). Such errors are dropped, unless
        // one is the first error: that one the compiler reports too.
        while (out_.size() > 1 && foundAt_.back() == at.begin) {
            out_.pop_back();
            foundAt_.pop_back();
        }
        out_.push_back(describeSyntaxError(source_, token, expected, at, scannerState(lexer)));
        foundAt_.push_back(at.begin);
    }

private:
    std::string_view source_;
    const Mission& mission_;
    std::vector<Diagnostic>& out_;
    std::vector<std::size_t>& foundAt_;
};

// Errors in the order they were found, warnings by where they begin, each
// warning before the first error found at or after it.
void orderDiagnostics(std::vector<Diagnostic>& diagnostics, std::vector<std::size_t> foundAt) {
    foundAt.reserve(diagnostics.size());
    for (std::size_t i = foundAt.size(); i < diagnostics.size(); ++i) foundAt.push_back(diagnostics[i].span.begin);
    std::vector<std::size_t> order(diagnostics.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return foundAt[a] < foundAt[b]; });
    std::vector<Diagnostic> ordered;
    ordered.reserve(diagnostics.size());
    for (std::size_t i : order) ordered.push_back(std::move(diagnostics[i]));
    diagnostics = std::move(ordered);
}

// Where parsing stopped: tokens past a lexical or syntax error were never read.
std::size_t firstErrorAt(const std::vector<Diagnostic>& diagnostics, std::size_t end) {
    for (const Diagnostic& d : diagnostics) {
        if (d.code == code::kSyntaxError || d.code == code::kLexicalError || d.code == code::kTooDeep) {
            return d.span.begin;
        }
    }
    return end;
}

}  // namespace

bool MissionAnalysis::hasError() const {
    return hasErrorIn(diagnostics);
}

MissionAnalysis analyzeMission(std::shared_ptr<const std::string> source, AnalysisOptions options) {
    return analyzeMission(std::move(source), std::future<std::vector<Diagnostic>>(), options);
}

namespace {

// A large text is most often accepted, and then the compiler's own parse,
// with the grammar's actions on a second thread, gives the same mission,
// names and comments as a parse that collects errors. Only a text with an
// error is parsed again, to collect them all. Returns whether the text was
// accepted; if not, the analysis is left empty.
bool acceptedByQuickParse(const std::shared_ptr<const std::string>& source, AnalysisOptions options,
                          MissionAnalysis& analysis) {
    const std::string_view text = *source;
    if (text.size() < options.actionsOnSecondThreadFrom || !DeferredActions::worthwhile()) return false;
    analysis.mission = std::make_unique<Mission>();
    analysis.mission->retainSource(source);
    Lexer lexer(text.data(), text.size());
    if (options.keepComments) lexer.recordComments(&analysis.comments);
    std::string legacyReport;
    Parser parser(lexer, *analysis.mission, legacyReport);
    parser.deferActionsFrom(options.actionsOnSecondThreadFrom);
    if (options.keepNames) parser.builder().recordNames(&analysis.names);
    if (parser.parse() == kParseSucceeded) return true;
    analysis = MissionAnalysis{};
    return false;
}

// Every error up to the first lexical or syntax error, each noted with the
// offset it was found at.
void parseCollectingErrors(const std::shared_ptr<const std::string>& source, AnalysisOptions options,
                           MissionAnalysis& analysis, std::vector<std::size_t>& foundAt) {
    const std::string_view text = *source;
    analysis.mission = std::make_unique<Mission>();
    analysis.mission->retainSource(source);
    Lexer lexer(text.data(), text.size());
    if (options.keepComments) lexer.recordComments(&analysis.comments);
    Collector collector(text, *analysis.mission, analysis.diagnostics, foundAt);
    std::string legacyReport;
    Parser parser(lexer, *analysis.mission, legacyReport, collector);
    if (options.keepNames) parser.builder().recordNames(&analysis.names);
    switch (parser.parse()) {
    case kParseSucceeded:
    case kParseFailed: break;
    case kParseStackOverflow:
        analysis.diagnostics.push_back(describeTooDeep(spanOf(text, lexer.tokenText(), endOf(text))));
        foundAt.push_back(analysis.diagnostics.back().span.begin);
        break;
    case kParseLexicalError:
        analysis.diagnostics.push_back(
            describeLexicalError(text, spanOf(text, lexer.tokenText(), Span{}), scannerState(lexer)));
        foundAt.push_back(analysis.diagnostics.back().span.begin);
        break;
    }
}

}  // namespace

MissionAnalysis analyzeMission(std::shared_ptr<const std::string> source,
                               std::future<std::vector<Diagnostic>> tokenWarnings, AnalysisOptions options) {
    MissionAnalysis analysis;
    const std::string_view text = *source;
    // A large text's tokens are scanned for warnings while it is parsed, on
    // the assumption that it has no error; after an error the scan is made
    // again up to it. The scan only reads the text.
    if (!tokenWarnings.valid() && text.size() >= kConcurrentScanFrom) {
        tokenWarnings = std::async(std::launch::async, [text] {
            std::vector<Diagnostic> found;
            addTokenWarnings(text, text.size(), found);
            return found;
        });
    }
    std::vector<std::size_t> foundAt;
    if (!acceptedByQuickParse(source, options, analysis)) parseCollectingErrors(source, options, analysis, foundAt);
    const std::size_t firstError = firstErrorAt(analysis.diagnostics, text.size());
    if (tokenWarnings.valid()) {
        std::vector<Diagnostic> found = tokenWarnings.get();
        if (firstError == text.size()) {
            analysis.diagnostics.insert(analysis.diagnostics.end(), std::make_move_iterator(found.begin()),
                                        std::make_move_iterator(found.end()));
        } else {
            addTokenWarnings(text, firstError, analysis.diagnostics);
        }
    } else {
        addTokenWarnings(text, firstError, analysis.diagnostics);
    }
    addRecordWarnings(text, *analysis.mission, analysis.diagnostics);
    orderDiagnostics(analysis.diagnostics, std::move(foundAt));
    return analysis;
}

}  // namespace zeb
