#pragma once

// Syntax, lexical and depth errors in this program's words, with the hints
// for the common traps: a reserved word used as a label, a real where an
// integer is required, a quoted text or a comment never closed, an npc
// without a skill, a byte-order mark or other non-ASCII bytes.

#include <string_view>
#include <vector>

#include "analysis/diagnostic.h"

namespace zeb {

// Where the scanner stood when the error was found.
struct ScannerState {
    bool insideText = false;
    bool insideBlockComment = false;
};

// `expected` holds the token numbers that would have fitted.
Diagnostic describeSyntaxError(std::string_view source, int token, const std::vector<int>& expected, Span at,
                               ScannerState scanner);
Diagnostic describeLexicalError(std::string_view source, Span at, ScannerState scanner);
Diagnostic describeTooDeep(Span at);

}  // namespace zeb
