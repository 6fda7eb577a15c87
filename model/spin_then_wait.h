#pragma once

// How one thread waits for another that hands it blocks of work every few
// tens of microseconds: a short spin first, since sleeping and being woken
// for each block would cost a system call on both sides, then a sleep.

#include <atomic>
#include <cstdint>

namespace zeb {

// Waits until ready(counter) holds, spinning `spins` times before sleeping.
template <typename Ready>
void spinThenWait(const std::atomic<std::uint32_t>& counter, int spins, Ready ready) {
    for (int spin = 0; spin < spins; ++spin) {
        if (ready(counter.load(std::memory_order_acquire))) return;
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
    for (std::uint32_t seen = counter.load(std::memory_order_acquire); !ready(seen);
         seen = counter.load(std::memory_order_acquire)) {
        counter.wait(seen, std::memory_order_acquire);
    }
}

}  // namespace zeb
