#pragma once

// What `zeb check` knows of one path once it is checked: the text it read
// (kept alive for the source lines a report shows) and its diagnostics.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/diagnostic.h"

namespace zeb {

struct CheckedFile {
    std::string path;  // as the user named it, or as found below a directory
    std::shared_ptr<const void> owner;
    std::string_view text;
    std::vector<Diagnostic> diagnostics;
    bool hasError() const { return hasErrorIn(diagnostics); }
};

}  // namespace zeb
