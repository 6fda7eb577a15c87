#include "fuzz/lsp_session.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "lsp/raw_bytes.h"
#include "lsp/server.h"

namespace zeb::fuzz {
namespace {

constexpr std::string_view kLengthField = "Content-Length: ";
// Fewer wake-ups of either side for the long messages of a large text.
constexpr int kPipeSize = 1 << 20;

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

void openPipe(int (&ends)[2]) {
    if (::pipe2(ends, O_CLOEXEC) != 0) brokenPromise("pipe2 failed");
    ::fcntl(ends[1], F_SETPIPE_SZ, kPipeSize);
}

// ZEB_LSP_FUZZ_TRACE=1: what a scripted session writes and reads goes to
// standard error, to see where a failing run parts from the script.
bool tracing() {
    static const bool on = std::getenv("ZEB_LSP_FUZZ_TRACE") != nullptr;
    return on;
}

int scratchFile(const char* name) {
    const int fd = ::memfd_create(name, MFD_CLOEXEC);
    if (fd < 0) brokenPromise("memfd_create failed");
    return fd;
}

}  // namespace

void brokenPromise(const std::string& what) {
    std::fprintf(stderr, "zeb lsp promise broken: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

bool takeMessage(std::string& output, nlohmann::json& message) {
    const std::size_t headerEnd = output.find("\r\n\r\n");
    if (headerEnd == std::string::npos) {
        if (output.size() >= kLengthField.size() && output.compare(0, kLengthField.size(), kLengthField) != 0) {
            brokenPromise("the output does not start with a Content-Length header: " + output.substr(0, 80));
        }
        return false;
    }
    std::size_t length = 0;
    const char* digits = output.data() + kLengthField.size();
    const auto [end, error] = std::from_chars(digits, output.data() + headerEnd, length);
    if (output.compare(0, kLengthField.size(), kLengthField) != 0 || error != std::errc() ||
        end != output.data() + headerEnd) {
        brokenPromise("a malformed header in the output: " + output.substr(0, headerEnd));
    }
    if (output.size() - headerEnd - 4 < length) return false;
    std::string body = output.substr(headerEnd + 4, length);
    output.erase(0, headerEnd + 4 + length);
    // A text's stray bytes go out as themselves (lsp/raw_bytes.h).
    if (!lsp::isValidUtf8(body)) body = lsp::wrapRawBytes(body);
    message = nlohmann::json::parse(body, nullptr, false);
    if (message.is_discarded() || !message.is_object() || message.value("jsonrpc", "") != "2.0") {
        brokenPromise("the output holds a message that is not JSON-RPC: " + body.substr(0, 200));
    }
    return true;
}

std::string serveBytes(std::string_view input, int& status) {
    // Made once: a file in memory is always readable, so the server reads
    // to the end without ever pausing, and it takes any amount of output.
    static const int in = scratchFile("lsp-fuzz-in");
    static const int out = scratchFile("lsp-fuzz-out");
    if (::ftruncate(in, 0) != 0 || ::ftruncate(out, 0) != 0) brokenPromise("ftruncate failed");
    std::size_t done = 0;
    while (done < input.size()) {
        const ssize_t wrote = ::pwrite(in, input.data() + done, input.size() - done, static_cast<off_t>(done));
        if (wrote <= 0) brokenPromise("pwrite failed");
        done += static_cast<std::size_t>(wrote);
    }
    ::lseek(in, 0, SEEK_SET);
    ::lseek(out, 0, SEEK_SET);
    status = lsp::runLanguageServer(in, out, "fuzz");
    struct stat info {};
    ::fstat(out, &info);
    std::string output(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t got = 0;
    while (got < output.size()) {
        const ssize_t read = ::pread(out, output.data() + got, output.size() - got, static_cast<off_t>(got));
        if (read <= 0) brokenPromise("pread failed");
        got += static_cast<std::size_t>(read);
    }
    return output;
}

ServerSession::ServerSession() {
    openPipe(input_);
    openPipe(output_);
    thread_ = std::thread([this] {
        status_ = lsp::runLanguageServer(input_[0], output_[1], "fuzz");
        // The end of the output tells the client that the server is gone.
        closeFd(output_[1]);
    });
}

ServerSession::~ServerSession() {
    closeInput();
    if (thread_.joinable()) {
        // The server reads no more; drain what it still writes so that it
        // never waits on a full pipe.
        while (!ended_) next(1000);
        thread_.join();
    }
    closeFd(input_[0]);
    closeFd(output_[0]);
}

void ServerSession::write(std::string_view bytes) {
    if (tracing()) {
        std::fputs(">>> ", stderr);
        std::fwrite(bytes.data(), 1, bytes.size(), stderr);
        std::fputc('\n', stderr);
    }
    while (!bytes.empty()) {
        const ssize_t wrote = ::write(input_[1], bytes.data(), bytes.size());
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) brokenPromise("the server stopped reading its input");
        bytes.remove_prefix(static_cast<std::size_t>(wrote));
    }
}

void ServerSession::closeInput() {
    closeFd(input_[1]);
}

std::optional<nlohmann::json> ServerSession::next(int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        nlohmann::json message;
        if (takeMessage(buffer_, message)) {
            if (tracing())
                std::fprintf(stderr, "<<< %s\n",
                             message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
            return message;
        }
        if (ended_) return std::nullopt;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd waiting{output_[0], POLLIN, 0};
        const int ready = ::poll(&waiting, 1, static_cast<int>(std::max<long long>(left, 0)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return std::nullopt;
        char chunk[1 << 16];
        const ssize_t got = ::read(output_[0], chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ended_ = true;
            if (!buffer_.empty()) brokenPromise("the output ends inside a message");
            return std::nullopt;
        }
        buffer_.append(chunk, static_cast<std::size_t>(got));
    }
}

int ServerSession::finish() {
    if (thread_.joinable()) thread_.join();
    return status_;
}

}  // namespace zeb::fuzz
