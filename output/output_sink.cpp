#include "output/output_sink.h"

#include <unistd.h>
#include <cerrno>

namespace zeb {

void OutputSink::endLine() {
    line_.push_back('\n');
    flush();
}

void OutputSink::writeLines(std::string_view lines) {
    line_.append(lines);
    flush();
}

void OutputSink::flush() {
    if (line_.empty()) return;
    if (capture_ != nullptr) {
        capture_->append(line_);
    } else if (error_ == 0) {
        const char* data = line_.data();
        std::size_t left = line_.size();
        // One write per line; a short write (a pipe under pressure) goes on
        // with the rest rather than losing it.
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
    line_.clear();
}

}  // namespace zeb
