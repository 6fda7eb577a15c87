// The floor of a record's memory: the time a process takes to obtain and
// first touch BYTES of fresh memory in 4 MB blocks with huge-page advice,
// the way the mission's arena grows. Every page a run keeps must be handed
// over zeroed by the system once, whatever the program does with it.
//
//   touch_floor BYTES     prints the milliseconds taken

#include <sys/mman.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr std::size_t kBlock = 4 * 1024 * 1024;
constexpr std::size_t kHugePage = 2 * 1024 * 1024;
constexpr std::size_t kPage = 4096;

void adviseHugePages([[maybe_unused]] char* begin, [[maybe_unused]] std::size_t size) {
#if defined(MADV_HUGEPAGE)
    const auto start = reinterpret_cast<std::uintptr_t>(begin);
    const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (start + size) & ~(kHugePage - 1);
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: touch_floor BYTES\n", stderr);
        return 2;
    }
    const std::size_t bytes = std::strtoull(argv[1], nullptr, 10);
    const auto start = std::chrono::steady_clock::now();
    std::vector<char*> blocks;
    for (std::size_t done = 0; done < bytes; done += kBlock) {
        char* block = static_cast<char*>(std::malloc(kBlock));
        if (block == nullptr) return 1;
        adviseHugePages(block, kBlock);
        volatile char* touched = block;
        for (std::size_t at = 0; at < kBlock; at += kPage) touched[at] = 1;
        blocks.push_back(block);
    }
    const auto end = std::chrono::steady_clock::now();
    std::printf("%.1f\n", std::chrono::duration<double, std::milli>(end - start).count());
    // Released by the end of the process, as the tool's own record is.
    return 0;
}
