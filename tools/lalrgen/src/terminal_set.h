#pragma once

#include <cstdint>
#include <vector>

namespace zeb::lalrgen {

// Look-ahead sets are unions over many relation edges, so they are bit sets.
class TerminalSet {
public:
    TerminalSet() = default;
    explicit TerminalSet(int terminalCount) : words_((terminalCount + 63) / 64, 0) {}

    void insert(int terminal) { words_[terminal / 64] |= std::uint64_t{1} << (terminal % 64); }
    bool contains(int terminal) const { return (words_[terminal / 64] >> (terminal % 64)) & 1U; }
    void unite(const TerminalSet& other) {
        for (std::size_t i = 0; i < words_.size(); ++i) words_[i] |= other.words_[i];
    }
    int size() const {
        int count = 0;
        for (std::uint64_t word : words_) count += __builtin_popcountll(word);
        return count;
    }
    std::vector<int> members() const {
        std::vector<int> result;
        for (std::size_t i = 0; i < words_.size() * 64; ++i) {
            if (contains(static_cast<int>(i))) result.push_back(static_cast<int>(i));
        }
        return result;
    }
    bool operator==(const TerminalSet&) const = default;

private:
    std::vector<std::uint64_t> words_;
};

}  // namespace zeb::lalrgen
