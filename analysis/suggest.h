#pragma once

// "Did you mean": the declared name closest to a misspelt one.

#include <optional>
#include <string_view>
#include <vector>

namespace zeb {

// The candidate within a small edit distance of `name` (about one edit per
// three characters, at least one), the first of the closest; none when no
// candidate is that close.
std::optional<std::string_view> closestName(std::string_view name, const std::vector<std::string_view>& candidates);

}  // namespace zeb
