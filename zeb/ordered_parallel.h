#pragma once

// Runs a job for each of n items on a few threads and hands the results to
// `deliver` in item order, as if the items had been done one by one. Only
// `threads` items are worked on at once (the calling thread's among them),
// so a run over many files never holds more than that many open; finished
// results wait for their turn.

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace zeb {

template <typename Result, typename Work, typename Deliver>
void runInOrder(std::size_t n, std::size_t threads, Work work, Deliver deliver) {
    threads = std::min(threads, n);
    if (threads <= 1) {
        for (std::size_t item = 0; item < n; ++item) {
            Result result = work(item);
            deliver(result);
        }
        return;
    }
    std::vector<std::optional<Result>> done(n);
    std::mutex mutex;
    std::condition_variable ready;
    std::atomic<std::size_t> next{0};
    std::size_t deliveringNext = 0;  // under mutex: the item the calling thread waits for
    auto finish = [&](std::size_t item, Result&& result) {
        const std::lock_guard lock(mutex);
        done[item].emplace(std::move(result));
        // Small items finish by the thousand a second: only the one awaited
        // wakes the calling thread.
        if (item == deliveringNext) ready.notify_one();
    };
    auto worker = [&] {
        for (std::size_t item; (item = next.fetch_add(1)) < n;) finish(item, work(item));
    };
    // The calling thread is one of the workers: between its items it
    // delivers what is ready, and it waits only when no item is left to take.
    std::vector<std::jthread> pool;
    for (std::size_t i = 1; i < threads; ++i) pool.emplace_back(worker);
    for (std::size_t item = 0; item < n; ++item) {
        std::unique_lock lock(mutex);
        deliveringNext = item;
        while (!done[item].has_value()) {
            lock.unlock();
            if (const std::size_t mine = next.fetch_add(1); mine < n) {
                finish(mine, work(mine));
                lock.lock();
                continue;
            }
            lock.lock();
            ready.wait(lock, [&] { return done[item].has_value(); });
        }
        Result result = std::move(*done[item]);
        done[item].reset();
        lock.unlock();
        deliver(result);
    }
}

}  // namespace zeb
