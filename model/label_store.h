#pragma once

// Copies of names kept side by side, for the lookups that confirm a match.
// A name index finds a candidate by its hash and must then compare the
// name's bytes with the candidate's; the candidate's own record and text lie
// wherever the parse put them, a cache miss or two away each. Here the
// bytes of a few thousand labels fit in the first-level cache.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zeb {

class LabelStore {
public:
    void add(std::string_view label) {
        bytes_.append(label);
        starts_.push_back(bytes_.size());
    }

    // The label added at position `at` (0 for the first).
    std::string_view operator[](std::size_t at) const {
        return std::string_view(bytes_.data() + starts_[at], starts_[at + 1] - starts_[at]);
    }

    std::size_t size() const { return starts_.size() - 1; }

private:
    std::string bytes_;
    // Where each label starts, and one more: where the next would.
    std::vector<std::size_t> starts_{0};
};

}  // namespace zeb
