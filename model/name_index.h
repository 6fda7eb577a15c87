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
        if ((size_ + 1) * 2 > slots_.size()) grow();
        const std::uint64_t hash = hashName(key);
        Slot* slot = probe(key, hash);
        if (slot->used) return;
        *slot = Slot{hash, key, value, true};
        ++size_;
    }
    void insert(std::string_view key) { tryEmplace(key, Value{}); }

    const Value* find(std::string_view key) const {
        if (size_ == 0) return nullptr;
        const Slot* slot = const_cast<NameIndex*>(this)->probe(key, hashName(key));
        return slot->used ? &slot->value : nullptr;
    }
    bool contains(std::string_view key) const { return find(key) != nullptr; }
    bool empty() const { return size_ == 0; }
    void clear() {
        slots_.clear();
        size_ = 0;
    }

private:
    struct Slot {
        std::uint64_t hash = 0;
        std::string_view key;
        Value value{};
        bool used = false;
    };

    // The slot holding key, or the empty slot where it would go.
    Slot* probe(std::string_view key, std::uint64_t hash) {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
            Slot& slot = slots_[at];
            if (!slot.used || (slot.hash == hash && slot.key == key)) return &slot;
        }
    }

    void grow() {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(old.empty() ? 16 : old.size() * 2, Slot{});
        for (const Slot& slot : old) {
            if (slot.used) *probe(slot.key, slot.hash) = slot;
        }
    }

    std::vector<Slot> slots_;
    std::size_t size_ = 0;
};

}  // namespace zeb
