#pragma once

#include <string>
#include <vector>

#include "zeb/render.h"

namespace zeb {

struct CheckOptions {
    std::vector<std::string> paths;
    ReportFormat format = ReportFormat::Text;
    std::size_t jobs = 0;  // 0: the number of cores
    bool colour = false;
};

// 0: no file has an error; 1: some file has one; 2: a path could not be read.
int runCheck(const CheckOptions& options);

}  // namespace zeb
