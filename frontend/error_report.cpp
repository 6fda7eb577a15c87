#include "frontend/error_report.h"

namespace zeb {

std::string formatErrorReport(std::int64_t lineNumber, std::string_view nearText, bool hasMatched,
                              std::string_view cause) {
    // The near text is printed as a C string would be: up to a zero byte.
    const std::string_view shown = hasMatched ? nearText.substr(0, nearText.find('\0')) : "<unknown>";
    std::string report;
    report.reserve(64 + shown.size() + cause.size());
    report.append("ERROR in syntax found, at line ").append(std::to_string(lineNumber)).append("\n");
    report.append("near: '").append(shown).append("'.\n");
    report.append("CAUSE ").append(cause).append("\n");
    return report;
}

}  // namespace zeb
