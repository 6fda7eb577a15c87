#include "command_line.h"

#include <stdexcept>

namespace zeb::lalrgen {
namespace {

constexpr const char* kUsage =
    "usage: lalrgen --tokens tokens.def --grammar mission.grammar --output grammar_tables.h [--report states.txt]";

[[noreturn]] void failUsage(const std::string& problem) {
    throw std::invalid_argument(problem + "\n" + kUsage);
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine commandLine;
    for (std::size_t i = 0; i < arguments.size(); i += 2) {
        const std::string& option = arguments[i];
        if (i + 1 >= arguments.size()) failUsage("missing value after " + option);
        const std::string& value = arguments[i + 1];
        if (option == "--tokens")
            commandLine.tokensPath = value;
        else if (option == "--grammar")
            commandLine.grammarPath = value;
        else if (option == "--output")
            commandLine.outputPath = value;
        else if (option == "--report")
            commandLine.reportPath = value;
        else
            failUsage("unknown option " + option);
    }
    if (commandLine.tokensPath.empty() || commandLine.grammarPath.empty() || commandLine.outputPath.empty()) {
        failUsage("--tokens, --grammar and --output are required");
    }
    return commandLine;
}

}  // namespace zeb::lalrgen
