#pragma once

// The lists records are made of. Their elements live in the Mission's Arena,
// so a list is a small handle that owns nothing and is never destroyed; it
// grows through the arena it was started in.
//
// A handle can be moved but not copied: a copy would share the elements
// with the original, and the original's next push_back would write into
// room the copy believes is its own. The moved-from handle is left empty.
//
// ArenaList keeps its elements side by side: for the short lists of a record
// (labels, equipment). ChunkedList keeps them in a chain of blocks that never
// move: for the long lists of plans and teams, which then grow without
// copying and without leaving abandoned space behind.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <new>
#include <type_traits>
#include <utility>

#include "model/arena.h"

namespace zeb {

template <typename T>
class ArenaList {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
    using value_type = T;
    using iterator = const T*;
    using const_iterator = const T*;

    ArenaList() = default;
    ArenaList(Arena& arena, std::initializer_list<T> items) {
        for (const T& item : items) push_back(arena, item);
    }
    ArenaList(const ArenaList&) = delete;
    ArenaList& operator=(const ArenaList&) = delete;
    ArenaList(ArenaList&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)),
          size_(std::exchange(other.size_, 0)),
          capacity_(std::exchange(other.capacity_, 0)) {}
    ArenaList& operator=(ArenaList&& other) noexcept {
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
        return *this;
    }

    void push_back(Arena& arena, const T& item) {
        if (size_ == capacity_) grow(arena);
        data_[size_++] = item;
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + size_; }
    const T& operator[](std::size_t index) const { return data_[index]; }
    const T& front() const { return data_[0]; }
    const T& back() const { return data_[size_ - 1]; }

    friend bool operator==(const ArenaList& a, const ArenaList& b) {
        if (a.size_ != b.size_) return false;
        for (std::uint32_t i = 0; i < a.size_; ++i) {
            if (!(a.data_[i] == b.data_[i])) return false;
        }
        return true;
    }

private:
    // A list that is the arena's latest allocation grows in place by one
    // element at a time, so the list being filled takes no spare room;
    // otherwise it moves once to twice its room.
    void grow(Arena& arena) {
        if (capacity_ >= kLargestCapacity) throw std::bad_alloc();
        if (capacity_ != 0 && arena.extend(data_ + capacity_, sizeof(T))) {
            ++capacity_;
            return;
        }
        const std::uint32_t more = capacity_ == 0 ? 1 : capacity_;
        T* moved = static_cast<T*>(arena.allocate(std::size_t{capacity_ + more} * sizeof(T), alignof(T)));
        if (size_ != 0) std::memcpy(static_cast<void*>(moved), data_, std::size_t{size_} * sizeof(T));
        data_ = moved;
        capacity_ += more;
    }

    static constexpr std::uint32_t kLargestCapacity = std::uint32_t{1} << 31;

    T* data_ = nullptr;
    std::uint32_t size_ = 0;
    std::uint32_t capacity_ = 0;
};

// A list of values that each live once elsewhere, read as those values: a
// patrol's areas are the areas' own labels, so an entry is a pointer (8
// bytes) instead of a copy of the text (16). The values must outlive the list.
template <typename T>
class ArenaRefList {
public:
    class iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = const T*;
        using reference = const T&;

        iterator() = default;
        explicit iterator(const T* const* at) : at_(at) {}
        reference operator*() const { return **at_; }
        pointer operator->() const { return *at_; }
        iterator& operator++() {
            ++at_;
            return *this;
        }
        iterator operator++(int) { return iterator(at_++); }
        friend bool operator==(iterator a, iterator b) = default;

    private:
        const T* const* at_ = nullptr;
    };
    using value_type = T;
    using const_iterator = iterator;

    void push_back(Arena& arena, const T& item) { refs_.push_back(arena, &item); }

    std::size_t size() const { return refs_.size(); }
    bool empty() const { return refs_.empty(); }
    iterator begin() const { return iterator(refs_.begin()); }
    iterator end() const { return iterator(refs_.end()); }
    const T& operator[](std::size_t index) const { return *refs_[index]; }
    const T& front() const { return *refs_.front(); }
    const T& back() const { return *refs_.back(); }

    friend bool operator==(const ArenaRefList& a, const ArenaRefList& b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (!(a[i] == b[i])) return false;
        }
        return true;
    }

private:
    ArenaList<const T*> refs_;
};

template <typename T>
class ChunkedList {
    static_assert(std::is_trivially_destructible_v<T>);
    static_assert(alignof(T) <= 16);

    struct alignas(16) Block {
        Block* next;
        std::uint32_t size;
        std::uint32_t capacity;
        T* items() { return std::launder(reinterpret_cast<T*>(this + 1)); }
    };

public:
    template <typename Element>
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = Element*;
        using reference = Element&;

        Iterator() = default;
        Iterator(Block* block, std::uint32_t index) : block_(block), index_(index) {}
        reference operator*() const { return block_->items()[index_]; }
        pointer operator->() const { return &block_->items()[index_]; }
        Iterator& operator++() {
            if (++index_ == block_->size) {
                block_ = block_->next;
                index_ = 0;
            }
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++*this;
            return before;
        }
        friend bool operator==(const Iterator& a, const Iterator& b) {
            return a.block_ == b.block_ && a.index_ == b.index_;
        }

    private:
        Block* block_ = nullptr;
        std::uint32_t index_ = 0;
    };
    using value_type = T;
    using iterator = Iterator<T>;
    using const_iterator = Iterator<const T>;

    ChunkedList() = default;
    ChunkedList(const ChunkedList&) = delete;
    ChunkedList& operator=(const ChunkedList&) = delete;
    ChunkedList(ChunkedList&& other) noexcept
        : first_(std::exchange(other.first_, nullptr)),
          last_(std::exchange(other.last_, nullptr)),
          size_(std::exchange(other.size_, 0)) {}
    ChunkedList& operator=(ChunkedList&& other) noexcept {
        first_ = std::exchange(other.first_, nullptr);
        last_ = std::exchange(other.last_, nullptr);
        size_ = std::exchange(other.size_, 0);
        return *this;
    }

    // A new element at the end, built from the arguments.
    template <typename... Args>
    T& emplace_back(Arena& arena, Args&&... args) {
        if (last_ == nullptr || last_->size == last_->capacity) addBlock(arena);
        T* item = new (&last_->items()[last_->size]) T(std::forward<Args>(args)...);
        ++last_->size;
        ++size_;
        return *item;
    }
    void push_back(Arena& arena, const T& item) { emplace_back(arena, item); }
    void push_back(Arena& arena, T&& item) { emplace_back(arena, std::move(item)); }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    iterator begin() { return iterator(first_, 0); }
    iterator end() { return iterator(); }
    const_iterator begin() const { return const_iterator(first_, 0); }
    const_iterator end() const { return const_iterator(); }
    T& back() { return last_->items()[last_->size - 1]; }
    const T& back() const { return last_->items()[last_->size - 1]; }
    const T& front() const { return first_->items()[0]; }
    // Walks the blocks: for tests and the rare random access.
    const T& operator[](std::size_t index) const {
        Block* block = first_;
        while (index >= block->size) {
            index -= block->size;
            block = block->next;
        }
        return block->items()[index];
    }

private:
    // Blocks double from a few elements up to a few kilobytes, so a short
    // list wastes little and a long one is a chain of cache-friendly runs.
    void addBlock(Arena& arena) {
        std::uint32_t capacity = last_ == nullptr ? kFirstCapacity : last_->capacity * 2;
        if (capacity > kLargestCapacity) capacity = kLargestCapacity;
        void* memory = arena.allocate(sizeof(Block) + std::size_t{capacity} * sizeof(T), alignof(Block));
        Block* block = new (memory) Block{nullptr, 0, capacity};
        if (last_ == nullptr) {
            first_ = block;
        } else {
            last_->next = block;
        }
        last_ = block;
    }

    static constexpr std::uint32_t kFirstCapacity = 2;
    static constexpr std::uint32_t kLargestCapacity =
        sizeof(T) >= 1024 ? 2 : static_cast<std::uint32_t>(2048 / sizeof(T));

    Block* first_ = nullptr;
    Block* last_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace zeb
