#include "zeb/read_target.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

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

TargetText finish(std::shared_ptr<std::string> text, KeepBytes keep, bool regular, const struct stat& info) {
    TargetText read;
    if (keep == KeepBytes::Yes) {
        read.bytes = text->find('\r') == std::string::npos ? text : std::make_shared<const std::string>(*text);
        if (regular) read.regularFile = info;
    }
    normaliseLineEnds(*text);
    read.text = std::move(text);
    return read;
}

TargetText readAll(int fd, KeepBytes keep) {
    auto text = std::make_shared<std::string>();
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    // A regular file is read into room of its size and a byte more, to see
    // its end; anything else, or a file that grew, through a block that is
    // then appended. The text's room is never grown a block at a time,
    // since every byte it grows by is cleared first, and for a small file
    // clearing a block cost more than checking the file.
    std::size_t used = 0;
    if (regular) {
        text->resize(static_cast<std::size_t>(info.st_size) + 1);
        while (used < text->size()) {
            const ssize_t got = ::read(fd, text->data() + used, text->size() - used);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return failure(false, errno);
            if (got == 0) break;
            used += static_cast<std::size_t>(got);
        }
        const bool ended = used < text->size();
        text->resize(used);
        if (ended) return finish(std::move(text), keep, regular, info);
    }
    std::vector<char> block(kBlock);
    for (;;) {
        const ssize_t got = ::read(fd, block.data(), block.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return failure(false, errno);
        if (got == 0) break;
        text->append(block.data(), static_cast<std::size_t>(got));
    }
    return finish(std::move(text), keep, regular, info);
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
