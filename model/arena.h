#pragma once

// The storage of one Mission: records, their lists and copies of texts are
// carved out of large chunks and released together with the Mission. A large
// mission has millions of small records; one allocation each would cost a
// malloc header apiece and scatter the records the printer later walks in
// order.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>
#include <type_traits>
#include <utility>

namespace zeb {

class Arena {
public:
    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;
    ~Arena();

    // Uninitialised room for `bytes` bytes at the given alignment (at most 16).
    void* allocate(std::size_t bytes, std::size_t alignment) {
        const std::uintptr_t at = (reinterpret_cast<std::uintptr_t>(free_) + alignment - 1) & ~(alignment - 1);
        if (free_ != nullptr && at + bytes <= reinterpret_cast<std::uintptr_t>(limit_)) {
            free_ = reinterpret_cast<char*>(at + bytes);
            return reinterpret_cast<void*>(at);
        }
        return allocateInNewChunk(bytes, alignment);
    }

    // Makes the block that `bytes` ago ended at the free point `more` bytes
    // longer, when it is the latest allocation and its chunk has the room:
    // a list that grows while nothing else is allocated never moves.
    bool extend(const void* blockEnd, std::size_t more) {
        if (blockEnd != free_ || static_cast<std::size_t>(limit_ - free_) < more) return false;
        free_ += more;
        return true;
    }

    // A record of type T, built from the arguments. The arena never runs
    // destructors, so records that live here own nothing.
    template <typename T, typename... Args>
    T* make(Args&&... args) {
        static_assert(std::is_trivially_destructible_v<T>, "arena records are never destroyed");
        return new (allocate(sizeof(T), alignof(T))) T(std::forward<Args>(args)...);
    }

    // A copy of text that lives as long as the arena.
    std::string_view copy(std::string_view text) {
        if (text.empty()) return std::string_view("", 0);
        char* stored = static_cast<char*>(allocate(text.size(), 1));
        std::memcpy(stored, text.data(), text.size());
        return {stored, text.size()};
    }

    // Bytes taken from the system so far (for tests and the benchmark).
    std::size_t reservedBytes() const { return reserved_; }

private:
    struct ChunkHeader {
        ChunkHeader* previous;
        std::size_t size;
    };

    void* allocateInNewChunk(std::size_t bytes, std::size_t alignment);

    ChunkHeader* chunks_ = nullptr;
    char* free_ = nullptr;
    char* limit_ = nullptr;
    std::size_t nextChunkSize_ = kFirstChunkSize;
    std::size_t reserved_ = 0;

    static constexpr std::size_t kFirstChunkSize = 16 * 1024;
    static constexpr std::size_t kLargestChunkSize = 4 * 1024 * 1024;
};

}  // namespace zeb
