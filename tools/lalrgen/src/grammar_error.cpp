#include "grammar_error.h"

namespace zeb::lalrgen {
namespace {

std::string joinLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines) {
        if (!joined.empty()) joined += '\n';
        joined += line;
    }
    return joined;
}

}  // namespace

GrammarError::GrammarError(std::vector<std::string> diagnostics)
    : std::runtime_error(joinLines(diagnostics)), diagnostics_(std::move(diagnostics)) {}

std::string locatedMessage(const std::string& sourceName, int line, const std::string& message) {
    return sourceName + ":" + std::to_string(line) + ": " + message;
}

}  // namespace zeb::lalrgen
