// The floor of the per-line flush: copies a file to standard output with
// exactly one write(2) per line (and one for a last line without a line
// end), the least a run that flushes after every line can do. The file is
// read whole first, in 1 MB blocks, so the time is the writes'.
//
//   write_floor FILE > /dev/null

#include <fcntl.h>
#include <unistd.h>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool writeAll(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(STDOUT_FILENO, data, size);
        if (written <= 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: write_floor FILE\n", stderr);
        return 2;
    }
    const int fd = ::open(argv[1], O_RDONLY);
    if (fd < 0) {
        std::perror(argv[1]);
        return 1;
    }
    std::string text;
    constexpr std::size_t kBlock = std::size_t{1} << 20;
    for (;;) {
        const std::size_t used = text.size();
        text.resize(used + kBlock);
        const ssize_t got = ::read(fd, text.data() + used, kBlock);
        if (got < 0) {
            std::perror(argv[1]);
            return 1;
        }
        text.resize(used + static_cast<std::size_t>(got));
        if (got == 0) break;
    }
    ::close(fd);
    const char* line = text.data();
    const char* const end = line + text.size();
    while (line < end) {
        const void* found = std::memchr(line, '\n', static_cast<std::size_t>(end - line));
        const char* next = found ? static_cast<const char*>(found) + 1 : end;
        if (!writeAll(line, static_cast<std::size_t>(next - line))) {
            std::perror("write");
            return 1;
        }
        line = next;
    }
    return 0;
}
