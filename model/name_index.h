#pragma once

// A flat hash index from names to values. The declaration queries run once
// per name in a file, so a node-based map costs an allocation per name and
// a cache miss per probe; here a lookup is one hash of a short name and
// usually one probe of a contiguous array. The first value stored for a
// name is kept, which is the answer of a first-match scan.

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace zeb {

std::uint64_t hashName(std::string_view name);

template <typename Value>
class NameIndex {
public:
    // Stores value for key unless key is present already. The key's
    // characters must outlive the index.
    void tryEmplace(std::string_view key, Value value) {
        if ((entries_.size() + 1) * 10 > slots_.size() * 7) grow();
        const std::uint32_t hash = shortHash(key);
        Slot& slot = probe(key, hash);
        if (slot.entry != kFree) return;
        slot = Slot{hash, static_cast<std::uint32_t>(entries_.size())};
        entries_.push_back(Entry{key, value});
    }
    void insert(std::string_view key) { tryEmplace(key, Value{}); }

    const Value* find(std::string_view key) const {
        if (entries_.empty()) return nullptr;
        const Slot& slot = const_cast<NameIndex*>(this)->probe(key, shortHash(key));
        return slot.entry != kFree ? &entries_[slot.entry].value : nullptr;
    }
    bool contains(std::string_view key) const { return find(key) != nullptr; }
    bool empty() const { return entries_.empty(); }
    void clear() {
        slots_.clear();
        entries_.clear();
    }

private:
    // The table itself holds only a hash and a position, eight bytes a
    // slot: a large mission has hundreds of thousands of names, and a
    // small table keeps more of it in the cache. The names sit apart, in
    // the order they came.
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t entry = kFree;
    };
    struct Entry {
        std::string_view key;
        Value value;
    };
    static constexpr std::uint32_t kFree = 0xFFFFFFFFu;

    static std::uint32_t shortHash(std::string_view key) { return static_cast<std::uint32_t>(hashName(key)); }

    // The slot holding key, or the free slot where it would go.
    Slot& probe(std::string_view key, std::uint32_t hash) {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
            Slot& slot = slots_[at];
            if (slot.entry == kFree) return slot;
            if (slot.hash == hash && entries_[slot.entry].key == key) return slot;
        }
    }

    void grow() {
        slots_.assign(slots_.empty() ? 16 : slots_.size() * 2, Slot{});
        const std::size_t mask = slots_.size() - 1;
        for (std::uint32_t i = 0; i < entries_.size(); ++i) {
            const std::uint32_t hash = shortHash(entries_[i].key);
            std::size_t at = hash & mask;
            while (slots_[at].entry != kFree) at = (at + 1) & mask;
            slots_[at] = Slot{hash, i};
        }
    }

    std::vector<Slot> slots_;
    std::vector<Entry> entries_;
};

}  // namespace zeb
