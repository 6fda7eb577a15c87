#pragma once

// A flat hash index over names that the Mission already keeps in a list of
// its own (locations, areas, forces, teams, members). The index stores only
// a hash and the name's position in that list, eight bytes a slot: a large
// mission has hundreds of thousands of names, and a small table keeps more of
// it in the cache and costs no second copy of every name. The first position
// stored for a name is kept, which is the answer of a first-match scan.
//
// A table that outgrows the cache gets a filter in front of it: a few bits
// per slot that tell for certain when a name was never stored. A declaration
// asks for a name that is, nearly always, not there yet; the filter answers
// that from the cache, and the new entry waits in a short list until enough
// have come to be placed together, their slots fetched ahead of use. Each
// declaration otherwise waits once on main memory for a slot it only looks
// at. A lookup that gets past the filter reads the waiting entries too.
//
// No lookup changes the index, so any number of threads may ask one index
// at once while nothing stores into it.
//
// Every call is given `keyAt`, which returns the name at a position of the
// caller's list.

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "model/huge_pages.h"

namespace zeb {

std::uint64_t hashName(std::string_view name);

class NameIndex {
public:
    static constexpr std::uint32_t kAbsent = 0xFFFFFFFFu;

    // The first position stored for key, or kAbsent.
    template <typename KeyAt>
    std::uint32_t find(std::string_view key, KeyAt keyAt) const {
        if (count_ == 0) return kAbsent;
        const std::uint32_t hash = shortHash(key);
        if (!mayHold(hash)) return kAbsent;
        const std::uint32_t placed = slots_[probe(key, hash, keyAt)].position;
        return placed != kAbsent ? placed : findWaiting(key, hash, keyAt);
    }

    // Stores position for key unless key is present already.
    template <typename KeyAt>
    void insert(std::string_view key, std::uint32_t position, KeyAt keyAt) {
        insertIfAbsent(key, position, keyAt);
    }

    // The same, with one hash and one probe for what a find and an insert
    // would ask apart: kAbsent when key was new and is now stored, else the
    // position stored for it before (and nothing changes).
    template <typename KeyAt>
    std::uint32_t insertIfAbsent(std::string_view key, std::uint32_t position, KeyAt keyAt) {
        if ((count_ + 1) * 10 > slots_.size() * 7) grow();
        const std::uint32_t hash = shortHash(key);
        const Slot entry{hash, position};
        if (mayHold(hash)) {
            const std::size_t at = probe(key, hash, keyAt);
            if (slots_[at].position != kAbsent) return slots_[at].position;
            if (const std::uint32_t waiting = findWaiting(key, hash, keyAt); waiting != kAbsent) return waiting;
            slots_[at] = entry;
        } else {
            // Certainly new: it waits for the next batch.
            if (waiting_.size() == kBatch) placeWaiting();
            waiting_.push_back(entry);
        }
        remember(hash);
        ++count_;
        return kAbsent;
    }

    bool empty() const { return count_ == 0; }
    void clear() {
        slots_.clear();
        filter_.clear();
        waiting_.clear();
        count_ = 0;
    }

private:
    struct Slot {
        std::uint32_t hash;
        std::uint32_t position;
    };
    // Entries placed together. Large enough for the fetches ahead to
    // overlap; small enough that a lookup reads them all from a few lines.
    static constexpr std::size_t kBatch = 32;

    // Equal hashes make a match all but certain; the bytes confirm it. Only
    // equality is asked, so no order is worked out as string_view's compare
    // would.
    static bool sameName(std::string_view stored, std::string_view key) {
        return stored.size() == key.size() && (key.empty() || std::memcmp(stored.data(), key.data(), key.size()) == 0);
    }

    static std::uint32_t shortHash(std::string_view key) { return static_cast<std::uint32_t>(hashName(key)); }

    // ---- the filter: one 64-bit word per 16 slots, three bits a name ----
    // Below this many slots the table itself stays in the cache.
    static constexpr std::size_t kFilteredFrom = std::size_t{1} << 16;
    static constexpr std::size_t kSlotsPerWord = 16;

    // The filter's bits come from a remix of the stored 32-bit hash, so the
    // filter can be made again from the slots alone.
    static std::uint64_t filterBits(std::uint32_t hash) {
        const std::uint64_t mixed = hash * 0x9E3779B97F4A7C15ull;
        return (std::uint64_t{1} << (mixed & 63)) | (std::uint64_t{1} << ((mixed >> 6) & 63)) |
               (std::uint64_t{1} << ((mixed >> 12) & 63));
    }
    std::size_t filterWord(std::uint32_t hash) const {
        return static_cast<std::size_t>((hash * 0x9E3779B97F4A7C15ull) >> 32) & (filter_.size() - 1);
    }
    [[gnu::always_inline]] bool mayHold(std::uint32_t hash) const {
        if (filter_.empty()) return true;
        const std::uint64_t bits = filterBits(hash);
        return (filter_[filterWord(hash)] & bits) == bits;
    }
    void remember(std::uint32_t hash) {
        if (!filter_.empty()) filter_[filterWord(hash)] |= filterBits(hash);
    }

    // The position of a waiting entry for key, or kAbsent. Only a table
    // with a filter keeps entries waiting.
    template <typename KeyAt>
    std::uint32_t findWaiting(std::string_view key, std::uint32_t hash, KeyAt& keyAt) const {
        for (const Slot& entry : waiting_) {
            if (entry.hash == hash && sameName(keyAt(entry.position), key)) return entry.position;
        }
        return kAbsent;
    }

    // A hint to start loading a slot about to be written; GCC's and Clang's.
    static void fetchAhead([[maybe_unused]] const Slot* slot) {
#if defined(__GNUC__)
        __builtin_prefetch(slot, 1);
#endif
    }

    // Places every waiting entry. They are distinct names, none of them in
    // the table, so each goes to the first free slot without a comparison.
    void placeWaiting() {
        constexpr std::size_t kAhead = 16;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = 0; i < kAhead && i < waiting_.size(); ++i) {
            fetchAhead(&slots_[waiting_[i].hash & mask]);
        }
        for (std::size_t i = 0; i < waiting_.size(); ++i) {
            if (i + kAhead < waiting_.size()) fetchAhead(&slots_[waiting_[i + kAhead].hash & mask]);
            place(waiting_[i]);
        }
        waiting_.clear();
    }
    void place(const Slot& entry) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t at = entry.hash & mask;
        while (slots_[at].position != kAbsent) at = (at + 1) & mask;
        slots_[at] = entry;
    }

    // The slot holding key, or the free slot where it would go.
    template <typename KeyAt>
    std::size_t probe(std::string_view key, std::uint32_t hash, KeyAt& keyAt) const {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
            const Slot& slot = slots_[at];
            if (slot.position == kAbsent) return at;
            if (slot.hash == hash && sameName(keyAt(slot.position), key)) return at;
        }
    }

    // The stored hashes are enough to place every name again and to make
    // the filter anew.
    void grow() {
        const std::size_t size = slots_.empty() ? 16 : slots_.size() * 2;
        SlotTable old(size, Slot{0, kAbsent});
        old.swap(slots_);
        for (const Slot& slot : old) {
            if (slot.position != kAbsent) place(slot);
        }
        for (const Slot& slot : waiting_) place(slot);
        waiting_.clear();
        filter_.clear();
        if (size >= kFilteredFrom) {
            filter_.assign(size / kSlotsPerWord, 0);
            for (const Slot& slot : slots_) {
                if (slot.position != kAbsent) remember(slot.hash);
            }
        }
    }

    // A big table is probed at random: huge pages spare a TLB miss per probe.
    using SlotTable = std::vector<Slot, HugePageAllocator<Slot>>;
    SlotTable slots_;
    std::vector<std::uint64_t> filter_;
    std::vector<Slot> waiting_;
    std::size_t count_ = 0;
};

}  // namespace zeb
