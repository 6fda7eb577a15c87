#include "model/text_arena.h"

#include <cstring>

namespace zeb {

std::string_view TextArena::copy(std::string_view text) {
    if (text.empty()) return std::string_view("", 0);
    if (text.size() > freeSize_) {
        // A text larger than a chunk gets a chunk of its own; the current
        // chunk keeps its free space for the texts that follow.
        if (text.size() > kChunkSize / 4) {
            chunks_.push_back(std::make_unique_for_overwrite<char[]>(text.size()));
            std::memcpy(chunks_.back().get(), text.data(), text.size());
            return {chunks_.back().get(), text.size()};
        }
        chunks_.push_back(std::make_unique_for_overwrite<char[]>(kChunkSize));
        free_ = chunks_.back().get();
        freeSize_ = kChunkSize;
    }
    char* stored = free_;
    std::memcpy(stored, text.data(), text.size());
    free_ += text.size();
    freeSize_ -= text.size();
    return {stored, text.size()};
}

}  // namespace zeb
