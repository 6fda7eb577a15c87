#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zeb {

// The one report of a syntax or name error: the line, the text of the most
// recent match and the cause. With no match at all yet the near text is
// "<unknown>"; at the end of input it is empty.
std::string formatErrorReport(std::int64_t lineNumber, std::string_view nearText, bool hasMatched,
                              std::string_view cause);

}  // namespace zeb
