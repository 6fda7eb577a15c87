#pragma once

// The one place that owns line ends, flushing and write failures. Writers
// append pieces of a line; endLine() finishes it and hands the whole line to
// the destination in one write, which is the flush after every line.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zeb {

// Takes the finished lines of a sink that makes them for another thread to
// write: the bytes of a block of lines, and where each line ends in them.
// The receiver may swap both out; the sink goes on with what it is left.
class LineBlocks {
public:
    virtual void take(std::string& bytes, std::vector<std::size_t>& lineEnds) = 0;

protected:
    ~LineBlocks() = default;
};

class OutputSink {
public:
    // Writes to a file descriptor (standard output for the driver).
    explicit OutputSink(int fd) : fd_(fd) {}
    // Collects everything in a string (tests, library users).
    explicit OutputSink(std::string* capture) : capture_(capture) {}
    // Writes to a file descriptor a block of lines at a time, for a tool
    // that owes no one a write per line; finish() writes the last block.
    struct InBlocks {};
    OutputSink(int fd, InBlocks) : fd_(fd), capture_(&block_) {}
    // Makes lines for another thread to write, handed to `receiver` a block
    // of about 64 KB at a time with each line's end noted; finish() hands
    // over the last block.
    explicit OutputSink(LineBlocks& receiver) : capture_(&block_), receiver_(&receiver) {}
    OutputSink(const OutputSink&) = delete;
    OutputSink& operator=(const OutputSink&) = delete;

    OutputSink& put(std::string_view text) {
        line_.append(text);
        return *this;
    }
    OutputSink& put(char c) {
        line_.push_back(c);
        return *this;
    }
    OutputSink& indent(int count) {
        if (count > 0) line_.append(static_cast<std::size_t>(count), ' ');
        return *this;
    }
    // Ends the line with "\n" and flushes it.
    void endLine();
    // Writes finished lines at once (messages that carry their own line
    // ends); nothing may be pending.
    void writeLines(std::string_view lines);

    // Writes one finished line, its "\n" included, as endLine() would have
    // written it; nothing may be pending. Made elsewhere, it is not copied.
    void writeLine(std::string_view line);

    // Writes what a block sink still holds; nothing may be pending.
    void finish();

    // After the first failed write nothing more is written; error() keeps
    // the errno of that failure.
    bool failed() const { return error_ != 0; }
    int error() const { return error_; }

private:
    static constexpr std::size_t kBlockBytes = std::size_t{1} << 16;

    void flush();
    // Inlined into flush(): there it is the legacy listing's write per line.
    [[gnu::always_inline]] inline void write(std::string_view bytes);

    int fd_ = -1;
    std::string* capture_ = nullptr;
    std::string line_;
    std::string block_;
    LineBlocks* receiver_ = nullptr;
    std::vector<std::size_t> lineEnds_;  // in block_, for the receiver
    int error_ = 0;
};

// Writes count blanks.
inline void writeIndent(OutputSink& out, int count) {
    out.indent(count);
}

}  // namespace zeb
