#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace zeb {

// Owns copies of texts in large chunks, so that recording a name costs one
// copy and no allocation of its own. Views it hands out stay valid for the
// arena's lifetime: chunks are never moved or freed before then.
class TextArena {
public:
    std::string_view copy(std::string_view text);

private:
    static constexpr std::size_t kChunkSize = 64 * 1024;
    std::vector<std::unique_ptr<char[]>> chunks_;
    char* free_ = nullptr;
    std::size_t freeSize_ = 0;
};

}  // namespace zeb
