#include "output/output_sink.h"

#include <unistd.h>
#include <cerrno>

namespace zeb {

inline void OutputSink::write(std::string_view bytes) {
    if (error_ != 0) return;
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    // A short write (a pipe under pressure) goes on with the rest rather
    // than losing it.
    while (left > 0) {
        ssize_t written = ::write(fd_, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            error_ = errno;
            break;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

void OutputSink::endLine() {
    line_.push_back('\n');
    flush();
}

void OutputSink::writeLines(std::string_view lines) {
    line_.append(lines);
    flush();
}

void OutputSink::writeLine(std::string_view line) {
    if (capture_ != nullptr) {
        writeLines(line);
        return;
    }
    write(line);
}

void OutputSink::finish() {
    flush();
    if (receiver_ != nullptr) {
        receiver_->take(block_, lineEnds_);
        block_.clear();
        lineEnds_.clear();
    } else if (capture_ == &block_) {
        write(block_);
        block_.clear();
    }
}

void OutputSink::flush() {
    if (line_.empty()) return;
    if (capture_ != nullptr) {
        capture_->append(line_);
        if (receiver_ != nullptr) {
            lineEnds_.push_back(block_.size());
            if (block_.size() >= kBlockBytes) {
                receiver_->take(block_, lineEnds_);
                block_.clear();
                lineEnds_.clear();
            }
        } else if (capture_ == &block_ && block_.size() >= kBlockBytes) {
            write(block_);
            block_.clear();
        }
    } else {
        // One write per line.
        write(line_);
    }
    line_.clear();
}

}  // namespace zeb
