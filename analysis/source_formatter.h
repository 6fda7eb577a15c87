#pragma once

// The source formatter that `zeb fmt` and the language server share: a
// mission text in, the same mission out in the source layout, with every
// comment kept. A text with an error is not formatted.

#include <memory>
#include <string>
#include <vector>

#include "analysis/diagnostic.h"

namespace zeb {

class OutputSink;

struct FormattedSource {
    std::vector<Diagnostic> diagnostics;  // as zeb check reports them
    std::string text;                     // the formatted text; empty after an error
    bool hasError() const;
};

// The text's line ends must already be normalised.
FormattedSource formatSource(std::shared_ptr<const std::string> source);
// The same, with the formatted text written to `out` as it is laid out
// instead of kept (the result's text stays empty): a large file then never
// exists twice over in memory. Nothing is written after an error.
FormattedSource formatSource(std::shared_ptr<const std::string> source, OutputSink& out);

}  // namespace zeb
