#pragma once

// The source formatter's promise, checked by the fuzz targets on every text
// the compiler accepts: the formatted text is accepted too, lists exactly as
// the input does, formats to itself, and holds each comment of the input
// once. Header-only, like the run invariants, so each target stays one file.

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/source_formatter.h"
#include "driver/driver.h"
#include "model/mission.h"
#include "output/output_sink.h"
#include "output/source_writers.h"

namespace zeb::fuzz {

struct Listing {
    int status = -1;
    std::string out;
    std::string err;
};

// One whole in-process run of the compiler, as `zebparser` makes it.
inline Listing listingOf(std::string source) {
    Listing run;
    Mission mission;
    OutputSink out(&run.out);
    OutputSink err(&run.err);
    run.status = compileSource(std::move(source), mission, out, err);
    return run;
}

inline std::vector<std::string> commentsOf(const std::shared_ptr<const std::string>& text) {
    std::vector<std::string> comments;
    for (std::string_view comment : analyzeMission(text).comments) {
        comments.push_back(commentAsLaidOut(comment));
    }
    std::sort(comments.begin(), comments.end());
    return comments;
}

// What is wrong with the formatting of an accepted text, or nothing.
// `listing` is the compiler's output for it; `formatted` receives the
// formatted text for the failure's report.
inline std::string_view formatPromiseBroken(const std::shared_ptr<const std::string>& source,
                                            const std::string& listing, std::string& formatted) {
    const FormattedSource once = formatSource(source);
    formatted = once.text;
    if (once.hasError()) return "an accepted text has an error";
    const Listing again = listingOf(once.text);
    if (again.status != 0) return "the formatted text is refused";
    if (again.out != listing) return "the formatted text is another mission";
    const auto formattedText = std::make_shared<const std::string>(once.text);
    if (formatSource(formattedText).text != once.text) return "formatting again changes the text";
    if (commentsOf(formattedText) != commentsOf(source)) return "comments lost or repeated";
    return {};
}

}  // namespace zeb::fuzz
