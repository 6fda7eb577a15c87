#include "model/arena.h"

#include <cstdlib>

#include "model/huge_pages.h"

namespace zeb {

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
    adviseHugePages(memory, size);
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
