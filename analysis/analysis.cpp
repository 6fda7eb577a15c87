#include "analysis/analysis.h"

#include <algorithm>
#include <future>

#include "analysis/name_error_text.h"
#include "analysis/syntax_error_text.h"
#include "analysis/warnings.h"
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

class Collector final : public ParseObserver {
public:
    Collector(std::string_view source, const Mission& mission, std::vector<Diagnostic>& out)
        : source_(source), mission_(mission), out_(out) {}

    bool onNameError(const NameError& error, const Lexer& lexer) override {
        const Span near = spanOf(source_, lexer.tokenText(), endOf(source_));
        out_.push_back(describeNameError(error, spanOf(source_, error.name, near), mission_, source_));
        return true;
    }

    void onSyntaxError(int token, const std::vector<int>& expected, const Lexer& lexer) override {
        const Span at = token == 0 ? endOf(source_) : spanOf(source_, lexer.tokenText(), endOf(source_));
        out_.push_back(describeSyntaxError(source_, token, expected, at, scannerState(lexer)));
    }

private:
    std::string_view source_;
    const Mission& mission_;
    std::vector<Diagnostic>& out_;
};

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

MissionAnalysis analyzeMission(std::shared_ptr<const std::string> source) {
    return analyzeMission(std::move(source), std::future<std::vector<Diagnostic>>());
}

MissionAnalysis analyzeMission(std::shared_ptr<const std::string> source,
                               std::future<std::vector<Diagnostic>> tokenWarnings) {
    MissionAnalysis analysis;
    analysis.mission = std::make_unique<Mission>();
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
    analysis.mission->retainSource(std::move(source));
    Lexer lexer(text.data(), text.size());
    lexer.recordComments(&analysis.comments);
    Collector collector(text, *analysis.mission, analysis.diagnostics);
    std::string legacyReport;
    Parser parser(lexer, *analysis.mission, legacyReport, collector);
    parser.builder().recordNames(&analysis.names);
    switch (parser.parse()) {
    case kParseSucceeded:
    case kParseFailed: break;
    case kParseStackOverflow:
        analysis.diagnostics.push_back(describeTooDeep(spanOf(text, lexer.tokenText(), endOf(text))));
        break;
    case kParseLexicalError:
        analysis.diagnostics.push_back(
            describeLexicalError(text, spanOf(text, lexer.tokenText(), Span{}), scannerState(lexer)));
        break;
    }
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
    // Errors come in the order they were found, which is the order of the
    // file; the warnings join them there.
    std::stable_sort(analysis.diagnostics.begin(), analysis.diagnostics.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.span.begin < b.span.begin; });
    return analysis;
}

}  // namespace zeb
