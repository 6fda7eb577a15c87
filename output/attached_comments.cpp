#include "output/attached_comments.h"

#include <algorithm>

namespace zeb {
namespace {

void append(std::vector<std::string_view>& to, const std::vector<std::string_view>& from) {
    to.insert(to.end(), from.begin(), from.end());
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
    return static_cast<std::size_t>(
        std::lower_bound(begin + static_cast<std::ptrdiff_t>(low), begin + static_cast<std::ptrdiff_t>(high), key,
                         keyBefore) -
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
    // Made in source order, the entries are mostly sorted already.
    auto byKeyThenMade = [](const Entry& a, const Entry& b) {
        return sameKey(a, b) ? a.index < b.index : keyBefore(a, b);
    };
    if (!std::is_sorted(entries.begin(), entries.end(), byKeyThenMade)) {
        std::sort(entries.begin(), entries.end(), byKeyThenMade);
    }
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
