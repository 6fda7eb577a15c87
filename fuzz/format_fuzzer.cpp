// libFuzzer target: the source formatter's promise on every input the
// compiler accepts. The formatted text is accepted too, lists exactly as
// the input does, formats to itself, and holds each comment of the input
// once.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/source_formatter.h"
#include "driver/driver.h"
#include "frontend/source_reader.h"
#include "model/mission.h"
#include "output/output_sink.h"
#include "output/source_writers.h"

namespace {

struct Listing {
    int status = -1;
    std::string out;
};

Listing listing(std::string source) {
    Listing run;
    zeb::Mission mission;
    zeb::OutputSink out(&run.out);
    std::string ignored;
    zeb::OutputSink err(&ignored);
    run.status = zeb::compileSource(std::move(source), mission, out, err);
    return run;
}

std::vector<std::string> commentsOf(const std::shared_ptr<const std::string>& text) {
    std::vector<std::string> comments;
    for (std::string_view comment : zeb::analyzeMission(text).comments) {
        comments.push_back(zeb::commentAsLaidOut(comment));
    }
    std::sort(comments.begin(), comments.end());
    return comments;
}

[[noreturn]] void fail(const char* what, const std::string& input, const std::string& formatted) {
    std::fprintf(stderr, "formatter promise broken: %s\n-- input --\n%s\n-- formatted --\n%s", what, input.c_str(),
                 formatted.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    // The compiler reads line ends as the formatter's reader does, once.
    const Listing original = listing(text);
    zeb::normaliseLineEnds(text);
    if (original.status != 0) return 0;
    const auto source = std::make_shared<const std::string>(std::move(text));
    const zeb::FormattedSource formatted = zeb::formatSource(source);
    if (formatted.hasError()) fail("an accepted text has an error", *source, "");
    const Listing again = listing(formatted.text);
    if (again.status != 0) fail("the formatted text is refused", *source, formatted.text);
    if (again.out != original.out) fail("the formatted text is another mission", *source, formatted.text);
    const auto formattedText = std::make_shared<const std::string>(formatted.text);
    if (zeb::formatSource(formattedText).text != formatted.text) {
        fail("formatting again changes the text", *source, formatted.text);
    }
    if (commentsOf(formattedText) != commentsOf(source)) fail("comments lost or repeated", *source, formatted.text);
    return 0;
}
