#pragma once

// What formatting changes in a file, as the unified diff that patch(1) and
// git apply take: the ---/+++ headers with the path, then @@ hunks with
// three lines of context. Lines are compared with their line ends, so a
// carriage return that goes away is a change, and a last line without a
// line end is marked as diff(1) marks it.

#include <string>
#include <string_view>

namespace zeb {

// Empty when the texts are the same.
std::string unifiedDiff(std::string_view path, std::string_view before, std::string_view after);

}  // namespace zeb
