// libFuzzer target: one whole in-process run (parse, name checks, print) per
// input, with a fresh Mission each time, checking the run's invariants. A
// successful run's output is fed back in: the layout is not always accepted
// again (a map without style is written "style = none"), but when it is, it
// must format to itself, unless it holds a whole number out of the 16-bit
// range (see below). The parse is made once more with the grammar's actions
// on a second thread, as a large file's is, and must end the same way.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/driver.h"
#include "frontend/lexer.h"
#include "frontend/parser.h"
#include "frontend/source_reader.h"
#include "fuzz/compile_invariants.h"
#include "model/mission.h"
#include "output/mission_printer.h"
#include "output/output_sink.h"

namespace {

struct Run {
    int status = -1;
    std::string out;
    std::string err;
};

Run compile(std::string source) {
    Run run;
    zeb::Mission mission;
    zeb::OutputSink out(&run.out);
    zeb::OutputSink err(&run.err);
    run.status = zeb::compileSource(std::move(source), mission, out, err);
    return run;
}

bool isWordByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.';
}

// The listing writes a real with six significant digits, so a wait, freeze
// or spread of 32768 or more with no fraction left comes out as a whole
// number ("for 123451.5" as "for 123452"). Read again, that is an INTEGER,
// whose value is its low 16 bits (-7620): the listing is accepted but
// cannot list as itself. Every other whole number the listing writes came
// from an INTEGER and is in range, so one outside it marks this case.
bool holdsWholeNumberBeyond16Bits(const std::string& listing) {
    for (std::size_t at = 0; at < listing.size(); ++at) {
        if (listing[at] == '"') {
            const std::size_t close = listing.find('"', at + 1);
            if (close == std::string::npos) return false;
            at = close;
            continue;
        }
        if (listing[at] < '0' || listing[at] > '9' || (at > 0 && isWordByte(listing[at - 1]))) continue;
        std::size_t end = at;
        while (end < listing.size() && listing[end] >= '0' && listing[end] <= '9') ++end;
        const bool whole = end == listing.size() || !isWordByte(listing[end]);
        const long limit = at > 0 && listing[at - 1] == '-' ? 32768 : 32767;
        if (whole && (end - at > 5 || std::stol(listing.substr(at, end - at)) > limit)) return true;
        at = end;
    }
    return false;
}

[[noreturn]] void fail(const char* what, const std::string& detail, const Run& run) {
    std::fprintf(stderr, "invariant broken: %s: %s\n-- status %d\n-- stdout --\n%s-- stderr --\n%s", what,
                 detail.c_str(), run.status, run.out.c_str(), run.err.c_str());
    std::abort();
}

// The parse with its actions on a second thread: the same report first in
// standard error, and for an accepted input the same listing.
void checkDeferredParse(std::string source, const Run& first) {
    zeb::normaliseLineEnds(source);
    zeb::Mission mission;
    zeb::Lexer lexer(source);
    std::string diagnostics;
    zeb::Parser parser(lexer, mission, diagnostics);
    parser.deferActionsFrom(0);
    const zeb::ParseResult result = parser.parse();
    if ((result == zeb::kParseSucceeded) != (first.status == 0) ||
        first.err.compare(0, diagnostics.size(), diagnostics) != 0) {
        fail("the actions on a second thread end otherwise", diagnostics, first);
    }
    if (result != zeb::kParseSucceeded) return;
    std::string listing;
    zeb::OutputSink sink(&listing);
    zeb::print(sink, mission);
    if (listing != first.out) fail("the actions on a second thread list otherwise", listing, first);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string source(reinterpret_cast<const char*>(data), size);
    const Run first = compile(source);
    if (std::string broken = zeb::fuzz::invariantViolation(first.status, first.out, first.err); !broken.empty()) {
        fail("first run", broken, first);
    }
    checkDeferredParse(source, first);
    if (first.status != 0) return 0;
    const Run second = compile(first.out);
    if (std::string broken = zeb::fuzz::invariantViolation(second.status, second.out, second.err); !broken.empty()) {
        fail("second run", broken, second);
    }
    if (second.status == 0 && second.out != first.out && !holdsWholeNumberBeyond16Bits(first.out)) {
        fail("output does not format to itself", first.out, second);
    }
    return 0;
}
