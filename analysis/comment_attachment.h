#pragma once

// Puts each comment of a source on the construct it belongs to, the way
// proven formatters do: a comment on lines of its own leads the construct
// that follows it; one after code on the same line trails the construct
// before it; one with nothing to lead or trail dangles inside its block.
// A comment inside a construct that the layout writes on one line goes
// just before that line, or at its end.

#include <memory>
#include <string_view>
#include <vector>

#include "frontend/construct_spans.h"
#include "model/mission.h"
#include "output/attached_comments.h"

namespace zeb {

// Where the constructs of a text stand. Found apart from the text's check,
// so that the two can run at once.
class ConstructTree {
public:
    struct Parts;
    explicit ConstructTree(std::unique_ptr<Parts> parts);
    ConstructTree(ConstructTree&&) noexcept;
    ConstructTree& operator=(ConstructTree&&) noexcept;
    ~ConstructTree();

private:
    friend AttachedComments attachComments(ConstructTree, std::string_view, const std::vector<std::string_view>&,
                                           const Mission&);
    std::unique_ptr<Parts> parts_;
};

// The source must be followed by its zero byte. `tokens`, when given, is
// told of every token of the source on the way.
ConstructTree findConstructs(std::string_view source, TokenObserver* tokens = nullptr);

// The source is the accepted text the mission was built from, the tree is
// its own, and the comments are the scanner's views of it, in order.
AttachedComments attachComments(ConstructTree tree, std::string_view source,
                                const std::vector<std::string_view>& comments, const Mission& mission);

}  // namespace zeb
