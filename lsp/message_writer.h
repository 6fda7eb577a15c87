#pragma once

// The outgoing half of the framing, on a thread of its own: a client that
// is slow to read its input holds up this thread only, never the reading
// of the client's next messages or the analyses.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

namespace zeb::lsp {

class MessageWriter {
public:
    explicit MessageWriter(int fd);
    // Writes what is queued, for at most a second: a client that reads no
    // more must not keep the server from exiting.
    ~MessageWriter();
    MessageWriter(const MessageWriter&) = delete;
    MessageWriter& operator=(const MessageWriter&) = delete;

    // Queues one message. rawBytes: the message carries stand-ins of bytes
    // that are not UTF-8 (see raw_bytes.h), to be sent as those bytes.
    void send(const nlohmann::json& message, bool rawBytes = false);
    // The same for a message already written out as JSON text.
    void sendText(std::string body, bool rawBytes = false);

private:
    void run();
    bool writeAll(const std::string& framed);

    int fd_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::string> queue_;
    bool stopping_ = false;
    bool failed_ = false;  // the client's end is closed
    std::chrono::steady_clock::time_point deadline_;
    std::thread thread_;
};

}  // namespace zeb::lsp
