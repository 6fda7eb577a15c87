// The floor of the per-line flush: copies a file to standard output with
// exactly one write(2) per line (and one for a last line without a line
// end), the least a run that flushes after every line can do. The file is
// mapped, with its pages filled in one go, so the time is the writes'.
// (It used to be read into a string grown a megabyte at a time: the fresh
// memory and the copies of that growth took 110 to 190 ms of a 100 MB
// output, which the floor then claimed for the writes.)
//
//   write_floor FILE > /dev/null

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <cstring>

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

#if defined(MAP_POPULATE)
constexpr int kFillAhead = MAP_POPULATE;
#else
constexpr int kFillAhead = 0;
#endif

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: write_floor FILE\n", stderr);
        return 2;
    }
    const int fd = ::open(argv[1], O_RDONLY);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fprintf(stderr, "write_floor: %s: not a readable regular file\n", argv[1]);
        return 1;
    }
    const auto size = static_cast<std::size_t>(info.st_size);
    if (size == 0) return 0;
    void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | kFillAhead, fd, 0);
    if (mapped == MAP_FAILED) {
        std::perror(argv[1]);
        return 1;
    }
    ::close(fd);
    const char* line = static_cast<const char*>(mapped);
    const char* const end = line + size;
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
