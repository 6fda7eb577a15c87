#pragma once

// The files a `zeb check` command line names: each PATH is a file, a
// directory (every *.mission file below it, in sorted order) or "-" for
// standard input.

#include <string>
#include <vector>

namespace zeb {

struct CheckTarget {
    std::string path;  // "-" for standard input
};

struct CollectedTargets {
    std::vector<CheckTarget> targets;
    std::vector<std::string> problems;  // one message per path that could not be read
};

CollectedTargets collectTargets(const std::vector<std::string>& paths);

}  // namespace zeb
