#pragma once

#include <string>

namespace zeb::lalrgen {

// Throws std::runtime_error naming the path on failure.
std::string readWholeFile(const std::string& path);

// Writes to a sibling temporary file and renames it into place, so a crash or
// failed run never leaves a truncated header for the build to pick up.
void writeFileAtomically(const std::string& path, const std::string& contents);

}  // namespace zeb::lalrgen
