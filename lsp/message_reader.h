#pragma once

// The incoming half of the protocol's framing: "Content-Length: N" headers,
// an empty line, then N bytes of JSON. A fault in the framing is written to
// standard error and skipped: the reader looks for the next header and goes
// on, so that one bad message never ends the session.

#include <cstddef>
#include <functional>
#include <string>

namespace zeb::lsp {

class MessageReader {
public:
    // Far above any real document, far below what would exhaust memory.
    static constexpr std::size_t kLargestMessage = std::size_t{256} << 20;

    explicit MessageReader(int fd) : fd_(fd) {}

    // The next message's body; false once the input has ended.
    bool next(std::string& body);
    // Called each time the reader has nothing left to read and is about to
    // wait for the client: the server reads every message that is already
    // there before it starts an analysis.
    void onIdle(std::function<void()> idle) { idle_ = std::move(idle); }

private:
    enum class Fill { More, Stalled, End };
    // Reads what the descriptor has; waits at most timeoutMs (-1: forever).
    Fill fill(int timeoutMs);
    // Drops a broken header and everything up to the next header.
    void skipToNextHeader(std::size_t from);
    void consume(std::size_t bytes);
    std::size_t buffered() const { return end_ - start_; }
    const char* data() const { return buffer_.data() + start_; }

    int fd_;
    // The bytes read and not yet handed out are buffer_[start_, end_); the
    // rest of it is room for the next read, cleared only once when it grows.
    std::string buffer_;
    std::size_t start_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;
    std::function<void()> idle_;
};

}  // namespace zeb::lsp
