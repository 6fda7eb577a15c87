#pragma once

// The source formatter that `zeb fmt` and the language server share: a
// mission text in, the same mission out in the source layout, with every
// comment kept. A text with an error is not formatted.

#include <memory>
#include <string>
#include <vector>

#include "analysis/diagnostic.h"

namespace zeb {

struct FormattedSource {
    std::vector<Diagnostic> diagnostics;  // as zeb check reports them
    std::string text;                     // the formatted text; empty after an error
    bool hasError() const;
};

// The text's line ends must already be normalised.
FormattedSource formatSource(std::shared_ptr<const std::string> source);

}  // namespace zeb
