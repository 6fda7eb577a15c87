#include "frontend/source_reader.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Moves [in, stop) to out with each "\r\n" made one "\n", and gives back
// where both ended. out is either apart from the text (Apart) or in it, at
// or before in. A pair that `stop` splits is taken whole, so the next call
// starts after it; `end` bounds the look past a carriage return.
//
// Most of a text has no carriage return, so it moves 16 bytes a step where
// the machine can, with one comparison for the whole step; a step that finds
// one keeps the bytes before it and deals with it alone. (Line by line with
// memchr and memmove made two calls of a few dozen bytes a line.)
struct Moved {
    const char* in;
    char* out;
};

template <bool Apart>
Moved moveNormalising(const char* in, const char* stop, const char* end, char* out) {
#if defined(__SSE2__)
    const __m128i carriageReturn = _mm_set1_epi8('\r');
    while (stop - in >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        const auto found = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, carriageReturn)));
        // In place, a whole store must not reach past what this step reads,
        // which it may in a step that stops short while fewer than 16
        // carriage returns have been dropped.
        const bool wholeStore = Apart || found == 0 || in - out >= 16;
        if (wholeStore) _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
        if (found == 0) {
            in += 16;
            out += 16;
            continue;
        }
        const auto before = static_cast<std::size_t>(std::countr_zero(found));
        if (!wholeStore) std::memmove(out, in, before);
        in += before;
        out += before;
        const bool pair = in + 1 != end && in[1] == '\n';
        *out++ = pair ? '\n' : '\r';
        in += pair ? 2 : 1;
    }
#endif
    while (in < stop) {
        const char c = *in++;
        if (c == '\r' && in != end && *in == '\n') continue;
        *out++ = c;
    }
    return {in, out};
}

// The new length of [text, text + size) once each "\r\n" is one "\n".
std::size_t normaliseInPlace(char* text, std::size_t size) {
    char* first = static_cast<char*>(std::memchr(text, '\r', size));
    if (first == nullptr) return size;
    const char* end = text + size;
    return static_cast<std::size_t>(moveNormalising<false>(first, end, end, first).out - text);
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

// A text with "\r\n" line ends, copied out of the file's pages into room
// of its own with each pair made one "\n" on the way: one pass that reads
// the shared pages and writes fresh ones. Normalising the private mapping in
// place would copy every page in the kernel on its first write, a fault per
// 4 KB, and then move every byte once more. The file's pages are given back
// as the copy passes them, so the two never stand whole side by side. The
// copy gets the system's usual pages: with huge-page advice a run was 3 %
// quicker at the median, but one in five waited 150 ms or more while the
// system gathered huge pages. Empty when there is no room.
SourceText copyNormalised(const char* file, std::size_t size, std::size_t pageSize) {
    SourceText source;
    char* copy = static_cast<char*>(std::malloc(size + 1));
    if (copy == nullptr) return source;
    std::shared_ptr<char> owner;
    try {
        // Should this throw, the deleter has already freed the copy.
        owner = std::shared_ptr<char>(copy, [](char* text) { std::free(text); });
    } catch (const std::bad_alloc&) {
        return source;
    }
    constexpr std::size_t kStretch = std::size_t{4} << 20;
    const char* end = file + size;
    Moved at{file, copy};
    const char* givenBack = file;
    while (at.in < end) {
        const char* stop = at.in + std::min(kStretch, static_cast<std::size_t>(end - at.in));
        at = moveNormalising<true>(at.in, stop, end, at.out);
        const char* passed = file + static_cast<std::size_t>(at.in - file) / pageSize * pageSize;
#if defined(MADV_DONTNEED)
        // Only the pages' use goes: the range stays mapped, so a stray read
        // would fetch the page again rather than fault.
        if (passed > givenBack)
            ::madvise(const_cast<char*>(givenBack), static_cast<std::size_t>(passed - givenBack), MADV_DONTNEED);
#endif
        givenBack = passed;
    }
    *at.out = '\0';
    source.text = std::string_view(copy, static_cast<std::size_t>(at.out - copy));
    source.owner = std::move(owner);
    return source;
}

// The file's own pages as a private mapping. It is mapped for reading only,
// so that filling it in advance shares the pages the system holds instead
// of copying each one. Past the file's end the last page holds zero bytes,
// and the end mark is written there into a private copy of that page: a
// file that grows under the run cannot then move it, and the scanner never
// reads past the mapping. A file that ends exactly at a page boundary has
// no room for it and is read instead. A text with "\r\n" to normalise is
// copied out of the mapping, which is then let go. Empty when mapping is
// refused.
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
    // The mapping stays published while it is copied: a page the file loses
    // meanwhile is a read failure like any other.
    if (std::memchr(text, '\r', size) != nullptr) return copyNormalised(text, size, page);
    if (::mprotect(text + (size - size % page), page, PROT_READ | PROT_WRITE) != 0) return SourceText{};
    text[size] = '\0';
    source.text = std::string_view(text, size);
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
