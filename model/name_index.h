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
        if ((size_ + 1) * 10 > slots_.size() * 7) grow();
        const std::uint32_t hash = shortHash(key);
        Slot* slot = probe(key, hash);
        if (slot->data != nullptr) return;
        *slot = Slot{key.data() != nullptr ? key.data() : "", key.size(), hash, value};
        ++size_;
    }
    void insert(std::string_view key) { tryEmplace(key, Value{}); }

    const Value* find(std::string_view key) const {
        if (size_ == 0) return nullptr;
        const Slot* slot = const_cast<NameIndex*>(this)->probe(key, shortHash(key));
        return slot->data != nullptr ? &slot->value : nullptr;
    }
    bool contains(std::string_view key) const { return find(key) != nullptr; }
    bool empty() const { return size_ == 0; }
    void clear() {
        slots_.clear();
        size_ = 0;
    }

private:
    // Compact on purpose: a large mission holds hundreds of thousands of
    // names, and the index should cost little beside the names themselves.
    struct Slot {
        const char* data = nullptr;  // null marks a free slot
        std::size_t size = 0;
        std::uint32_t hash = 0;
        Value value{};
    };

    static std::uint32_t shortHash(std::string_view key) { return static_cast<std::uint32_t>(hashName(key)); }

    // The slot holding key, or the free slot where it would go. An empty
    // key needs a non-null pointer to be told from a free slot.
    Slot* probe(std::string_view key, std::uint32_t hash) {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
            Slot& slot = slots_[at];
            if (slot.data == nullptr) return &slot;
            if (slot.hash == hash && slot.size == key.size() &&
                (key.empty() || std::memcmp(slot.data, key.data(), key.size()) == 0)) {
                return &slot;
            }
        }
    }

    void grow() {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(old.empty() ? 16 : old.size() * 2, Slot{});
        for (const Slot& slot : old) {
            if (slot.data != nullptr) *probe(std::string_view(slot.data, slot.size), slot.hash) = slot;
        }
    }

    std::vector<Slot> slots_;
    std::size_t size_ = 0;
};

}  // namespace zeb
