#include "model/huge_pages.h"

#include <sys/mman.h>
#include <cstdint>

namespace zeb {

void adviseHugePages(void* begin, std::size_t size) {
    const auto start = reinterpret_cast<std::uintptr_t>(begin);
    const std::uintptr_t first = (start + kHugePageSize - 1) & ~(kHugePageSize - 1);
    const std::uintptr_t last = (start + size) & ~(kHugePageSize - 1);
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

}  // namespace zeb
