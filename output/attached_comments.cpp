#include "output/attached_comments.h"

#include <algorithm>

namespace zeb {
namespace {

void append(std::vector<std::string_view>& to, const std::vector<std::string_view>& from) {
    to.insert(to.end(), from.begin(), from.end());
}

// Sorts what is made mostly in order: the runs already in order are found
// and merged, two at a time. The places of a source's comments are made in
// the order of their records in memory, save where one kind of record lies
// apart from another, so there are few runs and the sort costs a pass or two.
template <typename T, typename Before>
void sortRuns(std::vector<T>& items, Before before) {
    std::vector<std::size_t> bounds{0};
    for (std::size_t at = 1; at < items.size(); ++at) {
        if (before(items[at], items[at - 1])) bounds.push_back(at);
    }
    bounds.push_back(items.size());
    const auto begin = items.begin();
    const auto to = [&](std::size_t offset) { return begin + static_cast<std::ptrdiff_t>(offset); };
    while (bounds.size() > 2) {
        const std::size_t runs = bounds.size() - 1;
        std::vector<std::size_t> merged{0};
        for (std::size_t run = 0; run < runs; run += 2) {
            if (run + 1 < runs) std::inplace_merge(to(bounds[run]), to(bounds[run + 1]), to(bounds[run + 2]), before);
            merged.push_back(bounds[std::min(run + 2, runs)]);
        }
        bounds = std::move(merged);
    }
}

}  // namespace

std::size_t AttachedComments::lowerBoundNear(const Entry& key, std::size_t near) const {
    const std::size_t size = entries_.size();
    // The answer lies in [low, high], and high is the size or an entry not
    // before the key. Steps double away from `near`, so a key k entries
    // off costs about 2 log k looks, most of them in lines already read.
    std::size_t low = 0;
    std::size_t high = size;
    if (near < size && keyBefore(entries_[near], key)) {
        low = near + 1;
        for (std::size_t step = 1;; step *= 2) {
            const std::size_t probe = low + step - 1;
            if (probe >= size) break;
            if (!keyBefore(entries_[probe], key)) {
                high = probe;
                break;
            }
            low = probe + 1;
        }
    } else {
        high = std::min(near, size);
        for (std::size_t step = 1;; step *= 2) {
            if (high < step) break;
            const std::size_t probe = high - step;
            if (keyBefore(entries_[probe], key)) {
                low = probe + 1;
                break;
            }
            high = probe;
        }
    }
    const auto begin = entries_.begin();
    return static_cast<std::size_t>(std::lower_bound(begin + static_cast<std::ptrdiff_t>(low),
                                                     begin + static_cast<std::ptrdiff_t>(high), key, keyBefore) -
                                    begin);
}

CommentPlaces& AttachedComments::Builder::add(const void* record, CommentedPart part) {
    Entry entry = keyOf(record, part);
    entry.index = made_.places_.size();
    made_.entries_.push_back(entry);
    return made_.places_.emplace_back();
}

AttachedComments AttachedComments::Builder::finish() && {
    std::vector<Entry>& entries = made_.entries_;
    sortRuns(entries,
             [](const Entry& a, const Entry& b) { return sameKey(a, b) ? a.index < b.index : keyBefore(a, b); });
    std::size_t kept = 0;
    for (std::size_t at = 0; at < entries.size(); ++at) {
        if (kept > 0 && sameKey(entries[kept - 1], entries[at])) {
            CommentPlaces& into = made_.places_[entries[kept - 1].index];
            const CommentPlaces& from = made_.places_[entries[at].index];
            append(into.before, from.before);
            append(into.afterHead, from.afterHead);
            append(into.afterEnd, from.afterEnd);
            append(into.inside, from.inside);
            append(into.after, from.after);
            continue;
        }
        entries[kept++] = entries[at];
    }
    entries.resize(kept);
    std::size_t words = 8;
    while (words * 4 < entries.size()) words *= 2;
    made_.filter_.assign(words, 0);
    for (const Entry& entry : entries) {
        const std::uint64_t hash = mix(entry);
        made_.filter_[made_.filterWord(hash)] |= filterBit(hash);
    }
    return std::move(made_);
}

}  // namespace zeb
