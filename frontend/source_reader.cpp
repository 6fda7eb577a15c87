#include "frontend/source_reader.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>

#include "model/huge_pages.h"

namespace zeb {
namespace {

constexpr std::size_t kBlockSize = 1 << 20;

// Reads until end of file; false on a read error. A regular file is read
// into a buffer of its own size, so the text is never copied while growing.
bool readAll(int fd, std::string& text) {
    struct stat info {};
    std::size_t capacity = kBlockSize;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        capacity = static_cast<std::size_t>(info.st_size) + 1;
    }
    text.reserve(capacity);
    // A large file's buffer gets huge pages, asked for before it is first touched.
    adviseHugePages(text.data(), text.capacity());
    text.resize(capacity);
    std::size_t used = 0;
    for (;;) {
        if (used == text.size()) text.resize(text.size() * 2);
        ssize_t got = ::read(fd, text.data() + used, text.size() - used);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) break;
        used += static_cast<std::size_t>(got);
    }
    text.resize(used);
    return true;
}

}  // namespace

void normaliseLineEnds(std::string& text) {
    char* out = static_cast<char*>(std::memchr(text.data(), '\r', text.size()));
    if (out == nullptr) return;
    const char* in = out;
    const char* end = text.data() + text.size();
    while (in != end) {
        if (*in == '\r' && in + 1 != end && in[1] == '\n') ++in;
        *out++ = *in++;
    }
    text.resize(static_cast<std::size_t>(out - text.data()));
}

SourceText readSource(int fd) {
    SourceText source;
    std::shared_ptr<std::string> text;
    try {
        text = std::make_shared<std::string>();
    } catch (const std::bad_alloc&) {
        source.failureMessage = "out of dynamic memory in yy_create_buffer()\n";
        return source;
    }
    try {
        if (!readAll(fd, *text)) {
            source.failureMessage = "input in flex scanner failed\n";
            return source;
        }
    } catch (const std::bad_alloc&) {
        source.failureMessage = "fatal error - scanner input buffer overflow\n";
        return source;
    } catch (const std::length_error&) {
        source.failureMessage = "fatal error - scanner input buffer overflow\n";
        return source;
    }
    normaliseLineEnds(*text);
    source.text = std::move(text);
    return source;
}

}  // namespace zeb
