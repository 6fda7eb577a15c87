#pragma once

// The three ways `zeb check` writes diagnostics. Each renders one file at a
// time, so files checked in parallel are rendered in parallel and written
// in order.

#include <string>

#include "zeb/checked_file.h"

namespace zeb {

enum class ReportFormat { Text, Json, Github };

struct TextStyle {
    bool colour = false;
};

// FILE:LINE:COLUMN: SEVERITY: MESSAGE, the source line and a caret line
// under the span, for each diagnostic and note.
std::string renderText(const CheckedFile& file, TextStyle style);
// The file's diagnostics as JSON objects separated by ",", without the
// enclosing array (the caller joins the files).
std::string renderJsonObjects(const CheckedFile& file);
// One workflow command line per diagnostic and note, for CI annotations.
std::string renderGithub(const CheckedFile& file);

}  // namespace zeb
