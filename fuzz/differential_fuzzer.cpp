// libFuzzer target: the companion's path against the compiler's, on one
// input in one process. Whatever the compiler decides, `zeb check` must
// decide the same: whether there is an error, and which error comes first.
// For an accepted input the mission that `zeb` builds, with positions and
// comments recorded, must list exactly as the compiler's own, and the
// formatter's promise must hold. Every span a diagnostic reports lies inside
// the input, and every way `zeb check` renders one stays well formed.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "analysis/analysis.h"
#include "analysis/source_lines.h"
#include "frontend/source_reader.h"
#include "fuzz/compile_invariants.h"
#include "fuzz/format_promise.h"
#include "output/mission_printer.h"
#include "zeb/checked_file.h"
#include "zeb/render.h"

namespace {

using zeb::Diagnostic;
using zeb::Span;
using zeb::fuzz::Listing;

[[noreturn]] void fail(std::string_view what, const std::string& input, const Listing& plain,
                       const std::string& detail = {}) {
    std::fprintf(
        stderr, "the paths disagree: %.*s\n-- input --\n%s\n-- compiler status %d, stderr --\n%s-- detail --\n%s\n",
        static_cast<int>(what.size()), what.data(), input.c_str(), plain.status, plain.err.c_str(), detail.c_str());
    std::abort();
}

// The code of the diagnostic that stands for the compiler's report. Name
// errors are told apart by the start of their cause, as a reader of the
// report would tell them apart.
std::string_view codeOfReport(std::string_view err) {
    if (err.substr(0, zeb::fuzz::kLexicalStart.size()) == zeb::fuzz::kLexicalStart) return zeb::code::kLexicalError;
    const std::size_t causeAt = err.find("\nCAUSE ");
    if (causeAt == std::string_view::npos) return {};
    std::string_view cause = err.substr(causeAt + 7);
    cause = cause.substr(0, cause.find('\n'));
    struct Cause {
        std::string_view start;
        std::string_view code;
    };
    static constexpr Cause kCauses[] = {
        {"parse error", zeb::code::kSyntaxError},
        {"parser stack overflow", zeb::code::kTooDeep},
        {"location label '", zeb::code::kUndeclaredAreaLocation},
        {"force name '", zeb::code::kDuplicateForce},
        {"team name '", zeb::code::kDuplicateTeam},
        {"member name '", zeb::code::kDuplicateMember},
        {"use of undeclared team or force", zeb::code::kUndeclaredSubject},
        {"use of undeclared member, team or force", zeb::code::kUndeclaredSide},
        {"use of undeclared member, location, or area", zeb::code::kUndeclaredReached},
        {"use of undeclared team", zeb::code::kUndeclaredPlanTeam},
        {"use of undeclared location", zeb::code::kUndeclaredLocation},
        {"patrol command requires at least 2 areas", zeb::code::kPatrolNeedsTwoAreas},
        {"patrol area list needs to include at least two areas", zeb::code::kPatrolListTooShort},
        {"area label appears twice in area list", zeb::code::kPatrolAreaRepeated},
        {"undefined area label in patrol area list", zeb::code::kUndeclaredPatrolArea},
    };
    // The longest matching start: "use of undeclared team" is the start of
    // another cause too.
    std::string_view found;
    std::size_t longest = 0;
    for (const Cause& c : kCauses) {
        if (cause.substr(0, c.start.size()) == c.start && c.start.size() > longest) {
            found = c.code;
            longest = c.start.size();
        }
    }
    return found;
}

// The line number of the compiler's report.
std::uint64_t lineOfReport(std::string_view err) {
    const std::size_t at = err.find(", at line ");
    if (at == std::string_view::npos) return 0;
    std::uint64_t line = 0;
    for (std::size_t i = at + 10; i < err.size() && err[i] >= '0' && err[i] <= '9'; ++i) {
        line = line * 10 + static_cast<std::uint64_t>(err[i] - '0');
    }
    return line;
}

bool inside(Span span, std::size_t size) {
    return span.begin <= span.end && span.end <= size;
}

void checkSpans(const zeb::MissionAnalysis& analysis, std::size_t size, const std::string& input,
                const Listing& plain) {
    for (const Diagnostic& d : analysis.diagnostics) {
        if (!inside(d.span, size)) fail("a diagnostic's span leaves the input", input, plain, d.message);
        for (const zeb::DiagnosticNote& note : d.notes) {
            if (!inside(note.span, size)) fail("a note's span leaves the input", input, plain, note.message);
        }
    }
}

void checkFirstError(const zeb::MissionAnalysis& analysis, std::string_view text, const std::string& input,
                     const Listing& plain) {
    const Diagnostic* first = nullptr;
    for (const Diagnostic& d : analysis.diagnostics) {
        if (d.severity == zeb::Severity::Error) {
            first = &d;
            break;
        }
    }
    const std::string_view expected = codeOfReport(plain.err);
    if (first == nullptr || first->code != expected) {
        fail("the first error is another", input, plain,
             first == nullptr ? "none" : std::string(first->code) + ": " + first->message);
    }
    // The compiler reports the line it had read up to, which may lie past the
    // name or token at fault, never before it.
    const std::uint64_t line = zeb::SourceLines(text).place(first->span.begin).line;
    if (line > lineOfReport(plain.err)) {
        fail("the first error lies after the compiler's line", input, plain,
             std::to_string(line) + ": " + first->message);
    }
}

void checkRenders(const zeb::MissionAnalysis& analysis, const std::shared_ptr<const std::string>& source,
                  const std::string& input, const Listing& plain) {
    zeb::CheckedFile file;
    file.path = "fuzz.mission";
    file.owner = source;
    file.text = *source;
    file.diagnostics = analysis.diagnostics;
    (void)zeb::renderText(file, zeb::TextStyle{true});
    (void)zeb::renderGithub(file);
    const std::string json = "[" + zeb::renderJsonObjects(file) + "]";
    if (!nlohmann::json::accept(json)) fail("zeb check writes JSON that does not parse", input, plain, json);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const Listing plain = zeb::fuzz::listingOf(input);
    std::string text = input;
    zeb::normaliseLineEnds(text);
    const auto source = std::make_shared<const std::string>(std::move(text));
    const zeb::MissionAnalysis analysis = zeb::analyzeMission(source);

    checkSpans(analysis, source->size(), input, plain);
    checkRenders(analysis, source, input, plain);
    if (analysis.hasError() != (plain.status != 0)) fail("one path finds an error, the other none", input, plain);
    if (plain.status != 0) {
        checkFirstError(analysis, *source, input, plain);
        return 0;
    }
    std::string listing;
    {
        zeb::OutputSink out(&listing);
        zeb::print(out, *analysis.mission);
    }
    if (listing != plain.out) fail("the mission with positions lists otherwise", input, plain, listing);
    std::string formatted;
    const std::string_view broken = zeb::fuzz::formatPromiseBroken(source, plain.out, formatted);
    if (!broken.empty()) fail(broken, input, plain, formatted);
    return 0;
}
