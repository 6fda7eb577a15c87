#pragma once

// Large blocks that are filled at random (name tables) or once from end to
// end (the source, the arena) are asked to be backed by huge pages where the
// system allows it: one page fault and one TLB entry per 2 MB instead of 512.

#include <cstddef>
#include <cstdlib>
#include <new>

namespace zeb {

inline constexpr std::size_t kHugePageSize = 2 * 1024 * 1024;

// Advises the whole huge pages inside [begin, begin + size); a no-op for a
// smaller block. Call it before the memory is first touched.
void adviseHugePages(void* begin, std::size_t size);

// A std::allocator that gives large blocks the advice above.
template <typename T>
struct HugePageAllocator {
    using value_type = T;

    HugePageAllocator() = default;
    template <typename U>
    HugePageAllocator(const HugePageAllocator<U>&) noexcept {}

    T* allocate(std::size_t count) {
        if (count > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
        void* memory = std::malloc(count * sizeof(T));
        if (memory == nullptr) throw std::bad_alloc();
        adviseHugePages(memory, count * sizeof(T));
        return static_cast<T*>(memory);
    }
    void deallocate(T* memory, std::size_t) noexcept { std::free(memory); }

    template <typename U>
    friend bool operator==(const HugePageAllocator&, const HugePageAllocator<U>&) noexcept {
        return true;
    }
};

}  // namespace zeb
