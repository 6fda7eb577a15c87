#include "lsp/message_reader.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <iostream>
#include <string_view>

namespace zeb::lsp {
namespace {

constexpr std::size_t kReadSize = 1 << 20;
// A header block longer than this is not one.
constexpr std::size_t kLongestHeader = 64 * 1024;
// A body that has not arrived after this long while a header stands in it
// was announced with too large a length.
constexpr int kStallMs = 1000;
constexpr std::string_view kLengthField = "content-length:";

void log(std::string_view message) {
    std::cerr << "zeb lsp: " << message << '\n' << std::flush;
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithField(std::string_view line, std::string_view field) {
    if (line.size() < field.size()) return false;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (lower(line[i]) != field[i]) return false;
    }
    return true;
}

// Where a Content-Length field stands at or after `from`: after a fault in
// the framing, the next message starts there.
std::size_t findHeader(std::string_view text, std::size_t from) {
    for (std::size_t at = from; at + kLengthField.size() <= text.size(); ++at) {
        if (lower(text[at]) == 'c' && startsWithField(text.substr(at), kLengthField)) return at;
    }
    return std::string_view::npos;
}

bool isReadable(int fd, int timeoutMs) {
    pollfd waiting{fd, POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&waiting, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready != 0;
}

// The end of the header block (the first byte of the body), or npos.
std::size_t headerEnd(std::string_view text) {
    const std::size_t crlf = text.find("\r\n\r\n");
    const std::size_t lf = text.find("\n\n");
    if (crlf != std::string_view::npos && (lf == std::string_view::npos || crlf < lf)) return crlf + 4;
    if (lf != std::string_view::npos) return lf + 2;
    return std::string_view::npos;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

enum class Header { Good, NoLength, BadLength, TooLarge };

Header parseHeader(std::string_view block, std::size_t& length) {
    bool found = false;
    while (!block.empty()) {
        const std::size_t end = block.find('\n');
        const std::string_view line = trimmed(block.substr(0, end));
        block.remove_prefix(end == std::string_view::npos ? block.size() : end + 1);
        if (line.empty()) continue;
        if (line.find(':') == std::string_view::npos) return Header::NoLength;
        if (!startsWithField(line, kLengthField)) continue;
        const std::string_view value = trimmed(line.substr(kLengthField.size()));
        std::uint64_t number = 0;
        const auto [end_, error] = std::from_chars(value.data(), value.data() + value.size(), number);
        if (value.empty() || error == std::errc::result_out_of_range) {
            return value.empty() ? Header::BadLength : Header::TooLarge;
        }
        if (error != std::errc() || end_ != value.data() + value.size()) return Header::BadLength;
        if (number > MessageReader::kLargestMessage) return Header::TooLarge;
        length = static_cast<std::size_t>(number);
        found = true;
    }
    return found ? Header::Good : Header::NoLength;
}

}  // namespace

MessageReader::Fill MessageReader::fill(int timeoutMs) {
    if (ended_) return Fill::End;
    if (!isReadable(fd_, 0)) {
        if (idle_) idle_();
        if (timeoutMs >= 0 && !isReadable(fd_, timeoutMs)) return Fill::Stalled;
    }
    if (start_ > 0 && start_ >= end_ / 2) {
        buffer_.erase(0, start_);
        end_ -= start_;
        start_ = 0;
    }
    if (buffer_.size() - end_ < kReadSize) buffer_.resize(std::max(end_ + kReadSize, 2 * buffer_.size()));
    ssize_t got;
    do {
        got = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
        ended_ = true;
        return Fill::End;
    }
    end_ += static_cast<std::size_t>(got);
    return Fill::More;
}

void MessageReader::consume(std::size_t bytes) {
    start_ += bytes;
    if (start_ == end_) {
        start_ = 0;
        end_ = 0;
        // After a large document the buffer need not stay that large.
        if (buffer_.size() > 4 * kReadSize) {
            buffer_.resize(kReadSize);
            buffer_.shrink_to_fit();
        }
    }
}

void MessageReader::skipToNextHeader(std::size_t from) {
    const std::string_view text(data(), buffered());
    const std::size_t next = findHeader(text, from);
    if (next != std::string_view::npos) {
        consume(next);
        return;
    }
    // Keep only a tail that may be the start of a header still arriving:
    // it holds no line end, so the reader waits for more before it looks
    // for a header again.
    std::size_t keep = std::min(text.size(), kLengthField.size() - 1);
    while (keep > 0 && !startsWithField(text.substr(text.size() - keep), kLengthField.substr(0, keep))) --keep;
    consume(text.size() - keep);
}

bool MessageReader::next(std::string& body) {
    for (;;) {
        std::string_view text(data(), buffered());
        // Blank lines between messages are harmless.
        std::size_t blank = 0;
        while (blank < text.size() && (text[blank] == '\r' || text[blank] == '\n')) ++blank;
        if (blank > 0) {
            consume(blank);
            continue;
        }
        const std::size_t end = headerEnd(text);
        if (end == std::string_view::npos) {
            if (text.size() > kLongestHeader) {
                log("a header without its empty line was skipped");
                skipToNextHeader(1);
                continue;
            }
            if (fill(-1) == Fill::End) {
                if (buffered() > 0) log("the input ended inside a message's header");
                return false;
            }
            continue;
        }
        std::size_t length = 0;
        switch (parseHeader(text.substr(0, end), length)) {
        case Header::Good: break;
        case Header::NoLength:
            log("a message without a Content-Length header was skipped");
            skipToNextHeader(1);
            continue;
        case Header::BadLength:
            log("a message whose Content-Length is not a number was skipped");
            skipToNextHeader(1);
            continue;
        case Header::TooLarge:
            log("a message of more than 256 MB was refused and skipped");
            skipToNextHeader(end);
            continue;
        }
        // Wait for the whole body. A body that stops arriving while a next
        // header stands in it was announced too long: the header is the
        // next message.
        bool cutShort = false;
        while (!cutShort && buffered() - end < length) {
            const Fill got = fill(kStallMs);
            if (got == Fill::End) {
                log("the input ended inside a message");
                return false;
            }
            if (got == Fill::Stalled) {
                const std::string_view arrived(data(), buffered());
                const std::size_t next = findHeader(arrived, end);
                if (next != std::string_view::npos && headerEnd(arrived.substr(next)) != std::string_view::npos) {
                    log("a message shorter than its Content-Length was skipped");
                    consume(next);
                    cutShort = true;
                }
            }
        }
        if (cutShort) continue;
        body.assign(data() + end, length);
        consume(end + length);
        return true;
    }
}

}  // namespace zeb::lsp
