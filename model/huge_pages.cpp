#include "model/huge_pages.h"

#include <sys/mman.h>
#include <cstdint>

namespace zeb {

// Huge-page advice is Linux's (transparent huge pages); elsewhere the
// blocks simply get the system's usual pages.
void adviseHugePages([[maybe_unused]] void* begin, [[maybe_unused]] std::size_t size) {
#if defined(MADV_HUGEPAGE)
    const auto start = reinterpret_cast<std::uintptr_t>(begin);
    const std::uintptr_t first = (start + kHugePageSize - 1) & ~(kHugePageSize - 1);
    const std::uintptr_t last = (start + size) & ~(kHugePageSize - 1);
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

}  // namespace zeb
