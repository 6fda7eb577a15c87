#include "digraph.h"

#include <algorithm>
#include <climits>

namespace zeb::lalrgen {
namespace {

class DigraphTraversal {
public:
    DigraphTraversal(std::vector<TerminalSet> sets, const std::vector<std::vector<int>>& relation)
        : sets_(std::move(sets)), relation_(relation), depth_(sets_.size(), 0) {}

    std::vector<TerminalSet> run() {
        for (std::size_t node = 0; node < sets_.size(); ++node) {
            if (depth_[node] == 0) traverse(static_cast<int>(node));
        }
        return std::move(sets_);
    }

private:
    static constexpr int kDone = INT_MAX;

    void traverse(int node) {
        stack_.push_back(node);
        const int depth = static_cast<int>(stack_.size());
        depth_[node] = depth;
        for (int next : relation_[node]) {
            if (depth_[next] == 0) traverse(next);
            depth_[node] = std::min(depth_[node], depth_[next]);
            sets_[node].unite(sets_[next]);
        }
        if (depth_[node] != depth) return;
        // node is the root of a strongly connected component: all its members share its set.
        for (;;) {
            const int member = stack_.back();
            stack_.pop_back();
            depth_[member] = kDone;
            if (member == node) break;
            sets_[member] = sets_[node];
        }
    }

    std::vector<TerminalSet> sets_;
    const std::vector<std::vector<int>>& relation_;
    std::vector<int> depth_;
    std::vector<int> stack_;
};

}  // namespace

std::vector<TerminalSet> closeOverRelation(std::vector<TerminalSet> sets,
                                           const std::vector<std::vector<int>>& relation) {
    return DigraphTraversal(std::move(sets), relation).run();
}

}  // namespace zeb::lalrgen
