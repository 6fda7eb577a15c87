#include "lsp/message_writer.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "lsp/raw_bytes.h"

namespace zeb::lsp {

MessageWriter::MessageWriter(int fd) : fd_(fd), thread_([this] { run(); }) {}

MessageWriter::~MessageWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    }
    wake_.notify_all();
    thread_.join();
}

void MessageWriter::send(const nlohmann::json& message, bool rawBytes) {
    // Any text that is not UTF-8 yet is sent with U+FFFD in its place
    // rather than refused.
    sendText(message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace), rawBytes);
}

void MessageWriter::sendText(std::string body, bool rawBytes) {
    if (rawBytes) unwrapRawBytes(body);
    std::string framed = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    framed += body;
    {
        std::lock_guard lock(mutex_);
        if (failed_) return;
        queue_.push_back(std::move(framed));
    }
    wake_.notify_one();
}

bool MessageWriter::writeAll(const std::string& framed) {
    std::size_t done = 0;
    while (done < framed.size()) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_ && std::chrono::steady_clock::now() > deadline_) return false;
        }
        pollfd waiting{fd_, POLLOUT, 0};
        const int ready = ::poll(&waiting, 1, 100);
        if (ready < 0 && errno != EINTR) return false;
        if (ready <= 0) continue;
        const ssize_t wrote = ::write(fd_, framed.data() + done, framed.size() - done);
        if (wrote < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (wrote <= 0) return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

void MessageWriter::run() {
    for (;;) {
        std::string framed;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;
            framed = std::move(queue_.front());
            queue_.pop_front();
        }
        if (!writeAll(framed)) {
            std::lock_guard lock(mutex_);
            failed_ = true;
            queue_.clear();
            if (stopping_) return;
        }
    }
}

}  // namespace zeb::lsp
