#pragma once

// A flat hash index over names that the Mission already keeps in a list of
// its own (locations, areas, forces, teams, members). The index stores only
// a hash and the name's position in that list, eight bytes a slot: a large
// mission has hundreds of thousands of names, and a small table keeps more of
// it in the cache and costs no second copy of every name. The first position
// stored for a name is kept, which is the answer of a first-match scan.
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
        const std::size_t at = probe(key, hash, keyAt);
        // A declaration asks first and then stores the same name: the
        // free slot found here is where it will go.
        lastMiss_ = slots_[at].position == kAbsent ? Miss{key.data(), key.size(), at, hash} : Miss{};
        return slots_[at].position;
    }

    // Stores position for key unless key is present already.
    template <typename KeyAt>
    void insert(std::string_view key, std::uint32_t position, KeyAt keyAt) {
        if ((count_ + 1) * 10 > slots_.size() * 7) grow();
        std::size_t at;
        std::uint32_t hash;
        if (lastMiss_.data == key.data() && lastMiss_.size == key.size() && key.data() != nullptr) {
            at = lastMiss_.slot;
            hash = lastMiss_.hash;
        } else {
            hash = shortHash(key);
            at = probe(key, hash, keyAt);
        }
        lastMiss_ = Miss{};
        if (slots_[at].position != kAbsent) return;
        slots_[at] = Slot{hash, position};
        ++count_;
    }

    bool empty() const { return count_ == 0; }
    void clear() {
        slots_.clear();
        count_ = 0;
        lastMiss_ = Miss{};
    }

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t position = kAbsent;
    };
    // The free slot of the latest unsuccessful find, valid until the next
    // change of the table.
    struct Miss {
        const char* data = nullptr;
        std::size_t size = 0;
        std::size_t slot = 0;
        std::uint32_t hash = 0;
    };

    static std::uint32_t shortHash(std::string_view key) { return static_cast<std::uint32_t>(hashName(key)); }

    // The slot holding key, or the free slot where it would go.
    template <typename KeyAt>
    std::size_t probe(std::string_view key, std::uint32_t hash, KeyAt& keyAt) const {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
            const Slot& slot = slots_[at];
            if (slot.position == kAbsent) return at;
            if (slot.hash == hash && keyAt(slot.position) == key) return at;
        }
    }

    // The stored hashes are enough to place every name again.
    void grow() {
        SlotTable old(slots_.empty() ? 16 : slots_.size() * 2);
        old.swap(slots_);
        const std::size_t mask = slots_.size() - 1;
        for (const Slot& slot : old) {
            if (slot.position == kAbsent) continue;
            std::size_t at = slot.hash & mask;
            while (slots_[at].position != kAbsent) at = (at + 1) & mask;
            slots_[at] = slot;
        }
        lastMiss_ = Miss{};
    }

    // A big table is probed at random: huge pages spare a TLB miss per probe.
    using SlotTable = std::vector<Slot, HugePageAllocator<Slot>>;
    SlotTable slots_;
    std::size_t count_ = 0;
    mutable Miss lastMiss_;
};

}  // namespace zeb
