#pragma once

// The grammar's actions of a large parse, run on a second thread while the
// parse goes on. The parse hands over each action with a copy of the values
// it reads; the second thread runs them in the same order on the builder.
// The grammar's actions never steer the parse: they fill the record and check
// names. So the parse may run ahead, and the two threads share only the
// blocks of actions handed over, a block at a time.
//
// The record comes out exactly as if the actions had run in the parse: the
// same actions in the same order, and none after a failed one. A failed
// check is known by its place in that order, which lets the parser find the
// token the parse had reached when it would have run it.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <thread>

#include "frontend/grammar_actions.h"
#include "frontend/token.h"
#include "model/mission_builder.h"

namespace zeb {

class DeferredActions {
public:
    // A parse of fewer bytes than this runs its actions itself. At 1 MB the
    // second thread saved a quarter of the time in most runs, but some
    // runs took half as long again as a parse alone (the new thread's
    // first placement, it seems); from 4 MB the worst runs cost what a
    // parse alone does.
    static constexpr std::size_t kWorthFrom = std::size_t{4} << 20;

    // Whether a second thread would run beside the parse: this process may
    // run on more than one processor. On one, the two would take turns.
    static bool worthwhile();

    explicit DeferredActions(MissionBuilder& builder);
    DeferredActions(const DeferredActions&) = delete;
    DeferredActions& operator=(const DeferredActions&) = delete;
    // Stops the second thread, after what it was given or at once when the
    // parse gave up by an exception.
    ~DeferredActions();

    // Hands over one action and the `count` values it reads from rhs. False
    // when an action handed over earlier has failed: the parse may stop.
    bool add(int production, const SemanticValue* rhs, std::size_t count) {
        const std::size_t bytes = sizeof(Header) + count * sizeof(SemanticValue);
        if (bytes > static_cast<std::size_t>(blockEnd_ - fill_) && !nextBlock()) return false;
        const Header header{static_cast<std::uint32_t>(production), 0};
        std::memcpy(fill_, &header, sizeof header);
        if (count != 0) std::memcpy(fill_ + sizeof header, rhs, count * sizeof(SemanticValue));
        fill_ += bytes;
        return true;
    }

    // How the actions ended, once every one handed over has run or the
    // first has failed. Rethrows what the second thread threw.
    struct Outcome {
        NameError error;                 // empty when every action succeeded
        std::uint64_t failedAction = 0;  // the failed one's place, from 0
    };
    Outcome finish();

private:
    struct Header {
        std::uint32_t production;  // kEndOfBlock or kEndOfActions instead
        std::uint32_t unused;
    };
    static constexpr std::uint32_t kEndOfBlock = 0;  // production 0 is never reduced
    static constexpr std::uint32_t kEndOfActions = 0xFFFFFFFFu;
    // Blocks small enough that those in flight stay in the second level
    // cache, large enough that handing one over is rare.
    static constexpr std::size_t kBlockBytes = std::size_t{64} << 10;
    static constexpr std::uint32_t kBlocks = 8;

    std::byte* block(std::uint32_t number) const { return blocks_.get() + (number % kBlocks) * kBlockBytes; }
    // Ends the block being filled, hands it over and waits for room for the
    // next one; false when an action has failed.
    bool nextBlock();
    void startBlock(std::uint32_t number);
    void endStream();
    void runActions();
    bool runBlock(const std::byte* at, MissionBuilder& builder, std::uint64_t& actionsRun);

    MissionBuilder& builder_;
    std::unique_ptr<std::byte[]> blocks_;
    // The parse's side, on a line of its own: it changes with every action,
    // and the second thread must not wait for that line when it reads
    // anything beside it.
    alignas(64) std::byte* fill_ = nullptr;
    std::byte* blockEnd_ = nullptr;  // room is kept past it for the end mark
    std::uint32_t filling_ = 0;
    bool finished_ = false;
    // Blocks handed over and blocks done with, each counted from 0 and
    // written by one side only; on lines of their own, as each side polls
    // the other's.
    alignas(64) std::atomic<std::uint32_t> handedOver_{0};
    alignas(64) std::atomic<std::uint32_t> doneWith_{0};
    alignas(64) std::atomic<bool> failed_{false};
    // The second thread's, read by the parse once it has ended.
    Outcome outcome_;
    std::exception_ptr thrown_;
    std::thread worker_;
};

}  // namespace zeb
