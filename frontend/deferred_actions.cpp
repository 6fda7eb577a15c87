#include "frontend/deferred_actions.h"

#include <algorithm>
#include <new>
#include <thread>
#if defined(__linux__)
#include <sched.h>
#endif

#include "frontend/grammar_tables.h"
#include "model/spin_then_wait.h"

namespace zeb {
namespace {

// A block takes the other thread tens of microseconds; a spin of about
// 200 µs covers most waits (a shorter one with yields made the plan shape's
// front end slower).
constexpr int kSpins = 4096;

// The most room one action takes in a block, its header included.
constexpr std::size_t largestAction(std::size_t header) {
    std::size_t largest = 0;
    for (const grammar::Production& rule : grammar::kProductions) {
        largest = std::max(largest, header + rule.valueOffset * sizeof(SemanticValue));
    }
    return largest;
}

}  // namespace

bool DeferredActions::worthwhile() {
#if defined(__linux__)
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) return CPU_COUNT(&allowed) > 1;
#endif
    return std::thread::hardware_concurrency() > 1;
}

DeferredActions::DeferredActions(MissionBuilder& builder)
    : builder_(builder), blocks_(new std::byte[kBlocks * kBlockBytes]) {
    // Any action fits in a block, beside the mark that ends the block.
    static_assert(largestAction(sizeof(Header)) + sizeof(Header) <= kBlockBytes);
    startBlock(0);
    worker_ = std::thread([this] { runActions(); });
}

DeferredActions::~DeferredActions() {
    if (finished_) return;
    // Left by an exception: nothing more is run, and the thread is let go of
    // only once it has ended.
    failed_.store(true, std::memory_order_relaxed);
    endStream();
    worker_.join();
}

void DeferredActions::startBlock(std::uint32_t number) {
    filling_ = number;
    fill_ = block(number);
    blockEnd_ = fill_ + kBlockBytes - sizeof(Header);
}

bool DeferredActions::nextBlock() {
    const Header end{kEndOfBlock, 0};
    std::memcpy(fill_, &end, sizeof end);
    const std::uint32_t next = filling_ + 1;
    handedOver_.store(next, std::memory_order_release);
    handedOver_.notify_one();
    // The block to fill next must have been done with.
    spinThenWait(doneWith_, kSpins, [next](std::uint32_t done) { return next - done < kBlocks; });
    startBlock(next);
    return !failed_.load(std::memory_order_relaxed);
}

void DeferredActions::endStream() {
    const Header end{kEndOfActions, 0};
    std::memcpy(fill_, &end, sizeof end);
    handedOver_.store(filling_ + 1, std::memory_order_release);
    handedOver_.notify_one();
}

DeferredActions::Outcome DeferredActions::finish() {
    if (!finished_) {
        finished_ = true;
        endStream();
        worker_.join();
    }
    if (thrown_) std::rethrow_exception(thrown_);
    return outcome_;
}

void DeferredActions::runActions() {
    // Locals, so that nothing the parse's thread writes is read per action.
    MissionBuilder& builder = builder_;
    std::uint64_t actionsRun = 0;
    for (std::uint32_t number = 0;; ++number) {
        spinThenWait(handedOver_, kSpins, [number](std::uint32_t given) { return given != number; });
        const bool more = runBlock(block(number), builder, actionsRun);
        doneWith_.store(number + 1, std::memory_order_release);
        doneWith_.notify_one();
        if (!more) return;
    }
}

// Runs the actions of one block; false at the end of them all. After a
// failure the blocks still come and are passed over, so the parse never
// waits for room that is not made.
bool DeferredActions::runBlock(const std::byte* at, MissionBuilder& builder, std::uint64_t& actionsRun) {
    for (;;) {
        Header header;
        std::memcpy(&header, at, sizeof header);
        if (header.production == kEndOfBlock) return true;
        if (header.production == kEndOfActions) return false;
        const grammar::Production& rule = grammar::kProductions[header.production];
        at += sizeof header;
        if (!failed_.load(std::memory_order_relaxed)) {
            try {
                // The copies made by add() are the values' objects now.
                const auto* values = std::launder(reinterpret_cast<const SemanticValue*>(at));
                if (NameError error = runGrammarAction(rule.action, builder, values)) {
                    outcome_ = Outcome{error, actionsRun};
                    failed_.store(true, std::memory_order_relaxed);
                }
            } catch (...) {
                thrown_ = std::current_exception();
                failed_.store(true, std::memory_order_relaxed);
            }
            ++actionsRun;
        }
        at += rule.valueOffset * sizeof(SemanticValue);
    }
}

}  // namespace zeb
