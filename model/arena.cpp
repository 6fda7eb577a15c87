#include "model/arena.h"

#include <sys/mman.h>
#include <cstdlib>

namespace zeb {
namespace {

constexpr std::size_t kHugePage = 2 * 1024 * 1024;

// Large chunks are asked to be backed by huge pages where the system allows
// it: one fault instead of 512 while a big mission is being built.
void adviseHugePages(char* begin, std::size_t size) {
    const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(begin) + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (reinterpret_cast<std::uintptr_t>(begin) + size) & ~(kHugePage - 1);
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

}  // namespace

Arena::~Arena() {
    while (chunks_ != nullptr) {
        ChunkHeader* previous = chunks_->previous;
        std::free(chunks_);
        chunks_ = previous;
    }
}

// Chunks grow geometrically, so a small mission takes little and a large one
// few chunks; a block larger than a chunk gets one of its own size.
void* Arena::allocateInNewChunk(std::size_t bytes, std::size_t alignment) {
    const std::size_t header = (sizeof(ChunkHeader) + 15) & ~std::size_t{15};
    const std::size_t needed = header + bytes + alignment;
    std::size_t size = nextChunkSize_;
    if (nextChunkSize_ < kLargestChunkSize) nextChunkSize_ *= 2;
    if (size < needed) size = needed;
    void* memory = std::malloc(size);
    if (memory == nullptr) throw std::bad_alloc();
    if (size >= kHugePage) adviseHugePages(static_cast<char*>(memory), size);
    reserved_ += size;
    auto* chunk = static_cast<ChunkHeader*>(memory);
    chunk->previous = chunks_;
    chunk->size = size;
    chunks_ = chunk;
    free_ = static_cast<char*>(memory) + header;
    limit_ = static_cast<char*>(memory) + size;
    return allocate(bytes, alignment);
}

}  // namespace zeb
