#include "analysis/suggest.h"

#include <algorithm>
#include <cstddef>

namespace zeb {
namespace {

// Optimal string alignment distance: insertions, deletions, substitutions
// and swaps of two neighbours, the usual slips of a hand typing a name.
// Gives up (returns limit + 1) once the distance must exceed `limit`.
std::size_t editDistance(std::string_view a, std::string_view b, std::size_t limit) {
    const std::size_t gap = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
    if (gap > limit) return limit + 1;
    std::vector<std::size_t> before(b.size() + 1), previous(b.size() + 1), current(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) previous[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        std::size_t rowBest = current[0];
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                current[j] = std::min(current[j], before[j - 2] + 1);
            }
            rowBest = std::min(rowBest, current[j]);
        }
        if (rowBest > limit) return limit + 1;
        before.swap(previous);
        previous.swap(current);
    }
    return previous[b.size()];
}

}  // namespace

std::optional<std::string_view> closestName(std::string_view name, const std::vector<std::string_view>& candidates) {
    const std::size_t limit = std::max<std::size_t>(1, name.size() / 3);
    std::optional<std::string_view> best;
    std::size_t bestDistance = limit + 1;
    for (const std::string_view candidate : candidates) {
        if (candidate == name) continue;
        const std::size_t distance = editDistance(name, candidate, limit);
        // Replacing every character of a short name is no spelling slip.
        if (distance >= std::max(name.size(), candidate.size())) continue;
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace zeb
