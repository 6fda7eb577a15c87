#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zeb {

struct FmtOptions {
    std::vector<std::string> paths;
    bool write = false;    // rewrite each file that is not formatted
    bool check = false;    // name each file that is not formatted
    bool diff = false;     // show what would change
    bool list = false;     // list each file that is not formatted
    std::size_t jobs = 0;  // 0: the number of cores
    bool colour = false;   // for the diagnostics on standard error
};

// 0: done; 1: a file has an error, or --check, --diff or --list found a
// file that was not formatted; 2: the command could not do its work (bad
// usage, a path that cannot be read, a file that cannot be written).
int runFmt(const FmtOptions& options);

}  // namespace zeb
