#include "frontend/source_reader.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>

#include "model/huge_pages.h"

namespace zeb {
namespace {

constexpr std::size_t kBlockSize = 1 << 20;

// A mapping is filled in one go where the system can (Linux): the scanner
// then takes no page fault per page. Elsewhere pages come in on first touch.
#if defined(MAP_POPULATE)
constexpr int kFillAhead = MAP_POPULATE;
#else
constexpr int kFillAhead = 0;
#endif

// The new length of [text, text + size) once each "\r\n" is one "\n".
std::size_t normaliseInPlace(char* text, std::size_t size) {
    char* out = static_cast<char*>(std::memchr(text, '\r', size));
    if (out == nullptr) return size;
    // Each step starts at a carriage return, drops it when a line feed
    // follows, and moves the run up to the next one in one piece.
    const char* in = out;
    const char* end = text + size;
    while (in != end) {
        if (in + 1 != end && in[1] == '\n') ++in;
        const auto* next = static_cast<const char*>(std::memchr(in + 1, '\r', static_cast<std::size_t>(end - in - 1)));
        if (next == nullptr) next = end;
        std::memmove(out, in, static_cast<std::size_t>(next - in));
        out += next - in;
        in = next;
    }
    return static_cast<std::size_t>(out - text);
}

// Reads until end of file; false on a read error. A regular file is read
// into a buffer of its own size, so the text is never copied while growing.
bool readAll(int fd, std::size_t sizeHint, std::string& text) {
    const std::size_t capacity = sizeHint > 0 ? sizeHint + 1 : kBlockSize;
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

SourceText readIntoString(int fd, std::size_t sizeHint) {
    SourceText source;
    std::shared_ptr<std::string> text;
    try {
        text = std::make_shared<std::string>();
    } catch (const std::bad_alloc&) {
        source.failureMessage = "out of dynamic memory in yy_create_buffer()\n";
        return source;
    }
    try {
        if (!readAll(fd, sizeHint, *text)) {
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
    source.text = *text;
    source.owner = std::move(text);
    return source;
}

// The address ranges of the mappings alive now, for the SIGBUS handler: it
// must tell a page the file lost from any other fault, and a handler may
// read only lock-free atomics. A range is published whole (its end after
// its begin) and withdrawn end first, so a reader never sees half of one.
// A mapping that finds every slot taken goes unlisted, and a fault in it is
// then an ordinary crash.
struct LiveRange {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
};
constexpr std::size_t kLiveRanges = 16;
LiveRange liveRanges[kLiveRanges];
static_assert(std::atomic<std::uintptr_t>::is_always_lock_free);

LiveRange* publishRange(const void* base, std::size_t length) {
    const auto begin = reinterpret_cast<std::uintptr_t>(base);
    for (LiveRange& range : liveRanges) {
        std::uintptr_t free = 0;
        if (range.begin.compare_exchange_strong(free, begin)) {
            range.end.store(begin + length);
            return &range;
        }
    }
    return nullptr;
}

void withdrawRange(LiveRange* range) {
    if (range == nullptr) return;
    range->end.store(0);
    range->begin.store(0);
}

struct Mapping {
    void* base;
    std::size_t length;
    LiveRange* published;
    // The mapping covers whole pages: a fault can come from any of them.
    Mapping(void* mapped, std::size_t size, std::size_t pageSize)
        : base(mapped), length(size), published(publishRange(mapped, (size + pageSize - 1) / pageSize * pageSize)) {}
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;
    ~Mapping() {
        withdrawRange(published);
        ::munmap(base, length);
    }
};

// The file's own pages as a private mapping. It is mapped for reading only,
// so that filling it in advance shares the pages the system holds instead
// of copying each one; only a text with "\r\n" to normalise is made
// writable, and then copies just the pages it changes. Past the file's end
// the last page holds zero bytes, and the end mark is written there into a
// private copy of that page: a file that grows under the run cannot then
// move it, and the scanner never reads past the mapping. A file that ends
// exactly at a page boundary has no room for it and is read instead.
// Empty when mapping is refused.
SourceText mapFile(int fd, std::size_t size) {
    SourceText source;
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pageSize <= 0) return source;
    const auto page = static_cast<std::size_t>(pageSize);
    if (size % page == 0) return source;
    void* base = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | kFillAhead, fd, 0);
    if (base == MAP_FAILED) return source;
    std::shared_ptr<Mapping> mapping;
    try {
        mapping = std::make_shared<Mapping>(base, size, page);
    } catch (const std::bad_alloc&) {
        ::munmap(base, size);
        return source;
    }
    char* text = static_cast<char*>(base);
    std::size_t length = size;
    if (std::memchr(text, '\r', size) != nullptr) {
        if (::mprotect(base, size, PROT_READ | PROT_WRITE) != 0) return SourceText{};
        length = normaliseInPlace(text, size);
    } else if (::mprotect(text + (size - size % page), page, PROT_READ | PROT_WRITE) != 0) {
        return SourceText{};
    }
    text[length] = '\0';
    source.text = std::string_view(text, length);
    source.owner = std::move(mapping);
    source.mapped = true;
    return source;
}

}  // namespace

void normaliseLineEnds(std::string& text) {
    text.resize(normaliseInPlace(text.data(), text.size()));
}

bool isInMappedSource(const void* address) {
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    for (const LiveRange& range : liveRanges) {
        const std::uintptr_t begin = range.begin.load();
        const std::uintptr_t end = range.end.load();
        if (begin != 0 && at >= begin && at < end) return true;
    }
    return false;
}

SourceText readSource(int fd) {
    struct stat info {};
    std::size_t size = 0;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        size = static_cast<std::size_t>(info.st_size);
        SourceText mapped = mapFile(fd, size);
        if (mapped.owner) return mapped;
    }
    return readIntoString(fd, size);
}

}  // namespace zeb
