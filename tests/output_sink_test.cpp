// The sink flushes after every line: each finished line is on its file
// descriptor before the next one begins, and an open line is not.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "output/output_sink.h"
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

}  // namespace
}  // namespace zeb::testing
