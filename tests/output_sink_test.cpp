// The sink flushes after every line: each finished line is on its file
// descriptor before the next one begins, and an open line is not.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "bench/mission_generator.h"
#include "frontend/lexer.h"
#include "frontend/parser.h"
#include "model/mission.h"
#include "output/mission_printer.h"
#include "output/output_sink.h"
#include "output/print_ahead.h"
#include "tests/run_support.h"

namespace zeb::testing {
namespace {

class OutputSinkToFile : public ::testing::Test {
protected:
    void SetUp() override {
        fd_ = ::open(file_.path().c_str(), O_WRONLY | O_TRUNC);
        ASSERT_GE(fd_, 0);
    }
    void TearDown() override { ::close(fd_); }

    TempFile file_{""};
    int fd_ = -1;
};

TEST_F(OutputSinkToFile, EveryLineIsWrittenWhenItEnds) {
    OutputSink out(fd_);
    std::string expected;
    for (int i = 0; i < 100; ++i) {
        out.put("  wait ").put(std::to_string(i)).put(';');
        EXPECT_EQ(readFile(file_.path()), expected) << "an open line stays in the sink";
        out.endLine();
        expected += "  wait " + std::to_string(i) + ";\n";
        EXPECT_EQ(readFile(file_.path()), expected);
    }
    out.endLine();
    EXPECT_EQ(readFile(file_.path()), expected + "\n") << "a blank line is a line of its own";
}

TEST_F(OutputSinkToFile, MessagesGoOutAtOnce) {
    OutputSink err(fd_);
    err.writeLines("first\nsecond\n");
    EXPECT_EQ(readFile(file_.path()), "first\nsecond\n");
}

TEST(OutputSink, RemembersTheFirstWriteFailure) {
    const int fd = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(fd, 0);
    OutputSink out(fd);
    out.put("x").endLine();
    out.put("y").endLine();
    EXPECT_TRUE(out.failed());
    EXPECT_EQ(out.error(), ENOSPC);
    ::close(fd);
}

// A large listing is made on a second thread while the first writes it:
// still one write a line, in order, and nothing after a failed write. A
// packet socket keeps the bounds of each write, so every write is seen.
TEST(PrintAheadConcurrent, WritesEachLineOnceInOrder) {
    for (const char* shapeName : {"member", "plan"}) {
        bench::ShapeKind kind{};
        ASSERT_TRUE(bench::shapeKindFromName(shapeName, kind));
        const std::string text = bench::generateMission(bench::shapeForBytes(400'000, 3, kind), 3);
        Mission mission;
        Lexer lexer(text);
        std::string diagnostics;
        ASSERT_EQ(Parser(lexer, mission, diagnostics).parse(), kParseSucceeded) << diagnostics;
        std::string listing;
        OutputSink printed(&listing);
        print(printed, mission);

        int ends[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, ends), 0);
        std::vector<std::string> writes;
        std::thread reader([&] {
            std::vector<char> packet(1 << 16);
            for (ssize_t got; (got = ::recv(ends[1], packet.data(), packet.size(), 0)) > 0;) {
                writes.emplace_back(packet.data(), static_cast<std::size_t>(got));
            }
        });
        OutputSink out(ends[0]);
        printAhead(out, mission);
        ::close(ends[0]);
        reader.join();
        ::close(ends[1]);
        EXPECT_FALSE(out.failed());

        std::string joined;
        for (const std::string& write : writes) {
            EXPECT_TRUE(!write.empty() && write.find('\n') == write.size() - 1) << "a write that is not one line";
            joined += write;
        }
        EXPECT_EQ(joined, listing) << shapeName;
    }
}

TEST(PrintAheadConcurrent, StopsAtTheFirstWriteFailure) {
    const std::string text = bench::generateMission(bench::shapeForBytes(300'000, 3, bench::ShapeKind::Plan), 3);
    Mission mission;
    Lexer lexer(text);
    std::string diagnostics;
    ASSERT_EQ(Parser(lexer, mission, diagnostics).parse(), kParseSucceeded) << diagnostics;
    const int fd = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(fd, 0);
    OutputSink out(fd);
    printAhead(out, mission);
    EXPECT_TRUE(out.failed());
    EXPECT_EQ(out.error(), ENOSPC);
    ::close(fd);
}

}  // namespace
}  // namespace zeb::testing
