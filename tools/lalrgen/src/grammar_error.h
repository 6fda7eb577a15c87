#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace zeb::lalrgen {

// Raised for faults in the generator's input (token list or grammar). Carries
// every diagnostic found so one run reports them all, not just the first.
class GrammarError : public std::runtime_error {
public:
    explicit GrammarError(std::vector<std::string> diagnostics);
    explicit GrammarError(const std::string& diagnostic) : GrammarError(std::vector<std::string>{diagnostic}) {}

    const std::vector<std::string>& diagnostics() const { return diagnostics_; }

private:
    std::vector<std::string> diagnostics_;
};

// "file:line: message", the shape editors and CI logs know how to link.
std::string locatedMessage(const std::string& sourceName, int line, const std::string& message);

}  // namespace zeb::lalrgen
