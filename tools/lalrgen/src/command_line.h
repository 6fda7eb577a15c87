#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zeb::lalrgen {

struct CommandLine {
    std::string tokensPath;
    std::string grammarPath;
    std::string outputPath;
    std::optional<std::string> reportPath;
};

// Throws std::invalid_argument with a usage message on anything unexpected.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

}  // namespace zeb::lalrgen
