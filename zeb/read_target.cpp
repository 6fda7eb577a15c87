#include "zeb/read_target.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "frontend/source_reader.h"

namespace zeb {
namespace {

constexpr std::size_t kBlock = 1 << 16;

TargetText failure(bool openFailed, int error) {
    TargetText failed;
    failed.openFailed = openFailed;
    failed.problem = std::strerror(error);
    return failed;
}

TargetText readAll(int fd, KeepBytes keep) {
    auto text = std::make_shared<std::string>();
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (regular) text->reserve(static_cast<std::size_t>(info.st_size));
    for (;;) {
        const std::size_t used = text->size();
        text->resize(used + kBlock);
        const ssize_t got = ::read(fd, text->data() + used, kBlock);
        if (got < 0) {
            if (errno == EINTR) {
                text->resize(used);
                continue;
            }
            return failure(false, errno);
        }
        text->resize(used + static_cast<std::size_t>(got));
        if (got == 0) break;
    }
    TargetText read;
    if (keep == KeepBytes::Yes) {
        read.bytes = text->find('\r') == std::string::npos ? text : std::make_shared<const std::string>(*text);
        if (regular) read.regularFile = info;
    }
    normaliseLineEnds(*text);
    read.text = std::move(text);
    return read;
}

}  // namespace

TargetText readTarget(const std::string& path, KeepBytes keep) {
    if (path == "-") return readAll(STDIN_FILENO, keep);
    // Not blocking on open: a FIFO with no writer then reads as empty
    // instead of waiting for one forever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return failure(true, errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(fd);
        return failure(true, error);
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    TargetText read = readAll(fd, keep);
    ::close(fd);
    return read;
}

}  // namespace zeb
