#pragma once

// Puts each comment of a source on the construct it belongs to, the way
// proven formatters do: a comment on lines of its own leads the construct
// that follows it; one after code on the same line trails the construct
// before it; one with nothing to lead or trail dangles inside its block.
// A comment inside a construct that the layout writes on one line goes
// just before that line, or at its end.

#include <string_view>
#include <vector>

#include "model/mission.h"
#include "output/attached_comments.h"

namespace zeb {

// The source is the accepted text the mission was built from (followed by
// its zero byte), the comments are the scanner's views of it in order.
AttachedComments attachComments(std::string_view source, const std::vector<std::string_view>& comments,
                                const Mission& mission);

}  // namespace zeb
