#pragma once

// The language server in process, the two ways the protocol fuzz target
// runs it: on bytes that stand ready in full (read to their end, on the
// calling thread, with no pause in which an analysis would start), or as a
// session over pipes with the server on a thread of its own, where the
// target writes, waits for what it expects, and writes on.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace zeb::fuzz {

// Reports a broken promise of the server and stops the run.
[[noreturn]] void brokenPromise(const std::string& what);

// Takes the next message off the front of the server's output; false when
// it has not all arrived. Anything but a well-framed JSON message is a
// broken promise: the server writes only protocol messages.
bool takeMessage(std::string& output, nlohmann::json& message);

// Runs the server on `input` to its end; its output and its status.
std::string serveBytes(std::string_view input, int& status);

class ServerSession {
public:
    ServerSession();
    // Ends a session the script left open, so that no thread outlives it.
    ~ServerSession();
    ServerSession(const ServerSession&) = delete;
    ServerSession& operator=(const ServerSession&) = delete;

    // All of it, however long the server takes to read it.
    void write(std::string_view bytes);
    void closeInput();
    // The next message, waiting at most timeoutMs; none when nothing came in
    // time or the output has ended.
    std::optional<nlohmann::json> next(int timeoutMs);
    bool outputEnded() const { return ended_; }
    // Waits for the server to return and gives its status.
    int finish();

private:
    int input_[2] = {-1, -1};
    int output_[2] = {-1, -1};
    int status_ = -1;
    bool ended_ = false;
    std::string buffer_;
    std::thread thread_;
};

}  // namespace zeb::fuzz
