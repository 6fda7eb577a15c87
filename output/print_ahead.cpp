#include "output/print_ahead.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "model/spin_then_wait.h"
#include "output/mission_printer.h"

namespace zeb {
namespace {

// Both sides spin only briefly before they sleep. Where writing dominates
// the printer waits, and with spins of 200 µs it slowed the writing thread
// (member shape 1164 against 1200 ms); at about 10 µs member is unchanged
// and the plan shape keeps its gain.
constexpr int kSpins = 256;

// Blocks of lines passed from the printing thread to the writing one, in a
// ring of a few; each side swaps its block with a slot's, so no line is
// copied on the way.
class LineRing final : public LineBlocks {
public:
    struct Block {
        std::string bytes;
        std::vector<std::size_t> lineEnds;
        bool last = false;
    };

    // The printing thread's side.
    void take(std::string& bytes, std::vector<std::size_t>& lineEnds) override {
        if (stopped_.load(std::memory_order_relaxed)) return;  // the lines are dropped
        Block& slot = slotFor(given_);
        slot.bytes.swap(bytes);
        slot.lineEnds.swap(lineEnds);
        giveSlot();
    }
    // Marks the end, after the last block; also when the printing failed.
    void end() {
        slotFor(given_).last = true;
        giveSlot();
    }

    // The writing thread's side: the next block, which stays valid until
    // done(); null at the end.
    Block* next() {
        spinThenWait(handedOver_, kSpins, [this](std::uint32_t given) { return given != taken_; });
        Block& slot = slots_[taken_ % kSlots];
        return slot.last ? nullptr : &slot;
    }
    void done() {
        Block& slot = slots_[taken_ % kSlots];
        slot.bytes.clear();
        slot.lineEnds.clear();
        ++taken_;
        doneWith_.store(taken_, std::memory_order_release);
        doneWith_.notify_one();
    }
    // The writes failed: later lines need not be made into blocks.
    void stop() { stopped_.store(true, std::memory_order_relaxed); }

private:
    static constexpr std::uint32_t kSlots = 8;

    Block& slotFor(std::uint32_t number) {
        spinThenWait(doneWith_, kSpins, [number](std::uint32_t done) { return number - done < kSlots; });
        return slots_[number % kSlots];
    }
    void giveSlot() {
        ++given_;
        handedOver_.store(given_, std::memory_order_release);
        handedOver_.notify_one();
    }

    std::array<Block, kSlots> slots_;
    alignas(64) std::uint32_t given_ = 0;  // the printing thread's
    alignas(64) std::uint32_t taken_ = 0;  // the writing thread's
    alignas(64) std::atomic<std::uint32_t> handedOver_{0};
    alignas(64) std::atomic<std::uint32_t> doneWith_{0};
    alignas(64) std::atomic<bool> stopped_{false};
};

}  // namespace

OutputSink& printAhead(OutputSink& out, const Mission& mission) {
    LineRing ring;
    std::exception_ptr thrown;
    std::thread printer;
    // Should a write throw, the printing thread is let go of only once it
    // has ended, its blocks taken and dropped.
    struct Joiner {
        LineRing& ring;
        std::thread& printer;
        ~Joiner() {
            if (!printer.joinable()) return;
            ring.stop();
            while (ring.next() != nullptr) ring.done();
            printer.join();
        }
    } joiner{ring, printer};
    printer = std::thread([&] {
        try {
            OutputSink lines(ring);
            print(lines, mission);
            lines.finish();
        } catch (...) {
            thrown = std::current_exception();
        }
        ring.end();
    });
    while (LineRing::Block* block = ring.next()) {
        std::size_t start = 0;
        for (const std::size_t end : block->lineEnds) {
            out.writeLine(std::string_view(block->bytes).substr(start, end - start));
            start = end;
        }
        ring.done();
        if (out.failed()) ring.stop();
    }
    printer.join();
    if (thrown) std::rethrow_exception(thrown);
    return out;
}

}  // namespace zeb
