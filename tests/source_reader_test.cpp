// How a mission file reaches the scanner: mapped when it is a regular file
// with room for the end mark in its last page (and copied out of the mapping
// when it has "\r\n" line ends), read otherwise, and the same text every
// way (line ends normalised, a zero byte after the end).

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "driver/input_fault.h"
#include "frontend/source_reader.h"
#include "tests/run_support.h"
#include "zeb/read_target.h"

namespace zeb::testing {
namespace {

SourceText readPath(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    EXPECT_GE(fd, 0) << path;
    SourceText source = readSource(fd);
    ::close(fd);
    return source;
}

// The text as a plain byte loop normalises it, to check the reader's
// faster moves against.
std::string normalised(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

// A file of `size` bytes made of short lines, with "\r\n" line ends when
// asked. The CRLF lines are 5 bytes, so a pair straddles every multiple of
// 4 MiB (where the reader's copy of a mapped file pauses).
std::string linesOfSize(std::size_t size, bool crlf) {
    std::string text;
    while (text.size() < size) text += crlf ? "abc\r\n" : "abc\n";
    text.resize(size);
    return text;
}

struct ReaderCase {
    const char* name;
    std::size_t size;
    bool crlf;
    bool mapped;  // whether the text is the file's mapping
};

class SourceReaderTest : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(SourceReaderTest, GivesTheNormalisedTextWithAnEndMark) {
    const ReaderCase& c = GetParam();
    const std::string content = linesOfSize(c.size, c.crlf);
    TempFile file(content);
    const SourceText source = readPath(file.path());
    ASSERT_TRUE(source.owner) << source.failureMessage;
    EXPECT_EQ(source.mapped, c.mapped);
    EXPECT_EQ(source.text, normalised(content));
    EXPECT_EQ(source.text.data()[source.text.size()], '\0');
    // zeb reads the same file into room of its own, not a mapping, and
    // keeps the file's bytes apart when it may replace the file.
    const TargetText target = readTarget(file.path(), KeepBytes::Yes);
    ASSERT_TRUE(target.text) << target.problem;
    EXPECT_EQ(*target.text, normalised(content));
    ASSERT_TRUE(target.bytes);
    EXPECT_EQ(*target.bytes, content);
}

// 4096 is the page size of the machines this runs on; a file that fills its
// last page exactly has no room for the end mark there and is read.
INSTANTIATE_TEST_SUITE_P(
    Sizes, SourceReaderTest,
    ::testing::Values(ReaderCase{"OneByte", 1, false, true}, ReaderCase{"JustUnderAPage", 4095, false, true},
                      ReaderCase{"ExactlyAPage", 4096, false, false}, ReaderCase{"JustOverAPage", 4097, false, true},
                      ReaderCase{"ThreePages", 3 * 4096, true, false},
                      ReaderCase{"CrlfCopiedFromTheMapping", 3 * 4096 + 7, true, false},
                      ReaderCase{"CrlfSplitAtTheEnd", 4099, true, false},
                      ReaderCase{"OverAReadBlock", 65536 + 3, true, false},
                      ReaderCase{"CrlfPairAcrossTheCopysPause", 4 * 1024 * 1024 + 11, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Line ends are moved 16 bytes at a time, so every placement of a pair, a
// lone carriage return and a doubled one against those steps, in place in
// a string and through a file's copy, must give what the byte loop gives.
TEST(SourceReader, EveryPlacementOfACarriageReturnNormalisesAlike) {
    const char* const kEnds[] = {"\r\n", "\r", "\r\r\n", "\r\n\r\n", "\n\r"};
    std::string all;
    for (const char* ends : kEnds) {
        for (std::size_t before = 0; before <= 40; ++before) {
            for (std::size_t after : {0, 1, 15, 16, 17, 40}) {
                const std::string text = std::string(before, 'x') + ends + std::string(after, 'y');
                std::string inPlace = text;
                normaliseLineEnds(inPlace);
                EXPECT_EQ(inPlace, normalised(text)) << before << " " << after;
                all += text;
            }
        }
    }
    TempFile file(all);
    const SourceText source = readPath(file.path());
    ASSERT_TRUE(source.owner) << source.failureMessage;
    EXPECT_EQ(source.text, normalised(all));
    EXPECT_EQ(source.text.data()[source.text.size()], '\0');
}

TEST(SourceReader, EmptyFileIsReadAsEmptyText) {
    TempFile file("");
    const SourceText source = readPath(file.path());
    ASSERT_TRUE(source.owner);
    EXPECT_FALSE(source.mapped);
    EXPECT_EQ(source.text, "");
    EXPECT_EQ(source.text.data()[0], '\0');
}

TEST(SourceReader, PipeIsReadInBlocks) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string content = "mission \"m\"\r\n{ }\n";
    ASSERT_EQ(::write(ends[1], content.data(), content.size()), static_cast<ssize_t>(content.size()));
    ::close(ends[1]);
    const SourceText source = readSource(ends[0]);
    ::close(ends[0]);
    ASSERT_TRUE(source.owner);
    EXPECT_FALSE(source.mapped);
    EXPECT_EQ(source.text, "mission \"m\"\n{ }\n");
}

// A file whose size the system does not know ahead (it reports 0) is read
// whole all the same: the room of its size is only a first guess.
TEST(SourceReader, TargetOfUnknownSizeIsReadWhole) {
    struct stat info {};
    ASSERT_EQ(::stat("/proc/self/status", &info), 0);
    ASSERT_EQ(info.st_size, 0);
    const TargetText target = readTarget("/proc/self/status");
    ASSERT_TRUE(target.text) << target.problem;
    EXPECT_NE(target.text->find("Name:"), std::string::npos);
    EXPECT_EQ(target.text->back(), '\n');
}

// The mapping lives as long as its owner, after the file is gone.
TEST(SourceReader, MappedTextOutlivesTheFile) {
    SourceText source;
    {
        TempFile file(linesOfSize(10000, false));
        source = readPath(file.path());
    }
    ASSERT_TRUE(source.mapped);
    EXPECT_EQ(source.text, linesOfSize(10000, false));
}

// Another program appends to the file after it is mapped: the end mark
// stays where it was, so the scanner still stops at the end it was given.
TEST(SourceReader, FileThatGrowsKeepsItsEndMark) {
    const std::string content = linesOfSize(5000, false);
    TempFile file(content);
    const SourceText source = readPath(file.path());
    ASSERT_TRUE(source.mapped);
    const int appender = ::open(file.path().c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(appender, 0);
    ASSERT_EQ(::write(appender, "more", 4), 4);
    ::close(appender);
    EXPECT_EQ(source.text, content);
    EXPECT_EQ(source.text.data()[source.text.size()], '\0');
}

// A mission padded with a comment to sizes on both sides of a page boundary:
// the mapped and the read file give the same run as the text in memory.
TEST(SourceReader, MappedAndReadFilesFormatAlike) {
    const std::string mission = readFile(ZEB_SOURCE_DIR "/examples/warehouse.mission");
    ASSERT_LT(mission.size() + 8, 4096u);
    for (std::size_t size : {std::size_t{4095}, std::size_t{4096}, std::size_t{4097}}) {
        std::string padded = mission + "//";
        padded.append(size - padded.size() - 1, 'x');
        padded += '\n';
        ASSERT_EQ(padded.size(), size);
        TempFile file(padded);
        const RunResult fromFile = runBinary({file.path()});
        const RunResult inMemory = compileInProcess(padded);
        EXPECT_EQ(fromFile.status, 0) << size;
        EXPECT_EQ(fromFile.out, inMemory.out) << size;
        EXPECT_EQ(fromFile.err, inMemory.err) << size;
    }
}

// Another program truncates the file while it is mapped: the next read of a
// lost page ends the process with the read-failure message, not a crash.
TEST(SourceReaderDeathTest, TruncatedMappedFileIsAReadFailure) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TempFile file(linesOfSize(64 * 1024 + 1, false));
    EXPECT_EXIT(
        {
            reportLostInputPagesAsReadFailure();
            const SourceText source = readPath(file.path());
            if (!source.mapped) std::_Exit(3);
            if (::truncate(file.path().c_str(), 0) != 0) std::_Exit(4);
            volatile char last = source.text[source.text.size() - 1];
            (void)last;
            std::_Exit(5);
        },
        ::testing::ExitedWithCode(1), "^input in flex scanner failed\n$");
}

// Any other bus error is a crash, not a read failure: the process dies of
// the signal, with nothing printed. The child keeps no core file.
void withoutCoreFile() {
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
}

TEST(SourceReaderDeathTest, BusErrorSentByAProcessKeepsTheDefaultAction) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TempFile file(linesOfSize(64 * 1024 + 1, false));
    EXPECT_EXIT(
        {
            withoutCoreFile();
            reportLostInputPagesAsReadFailure();
            const SourceText source = readPath(file.path());
            if (!source.mapped) std::_Exit(3);
            ::raise(SIGBUS);
            std::_Exit(5);
        },
        ::testing::KilledBySignal(SIGBUS), "^$");
}

TEST(SourceReaderDeathTest, FaultOutsideTheSourceKeepsTheDefaultAction) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TempFile file(linesOfSize(64 * 1024 + 1, false));
    TempFile other(linesOfSize(64 * 1024 + 1, false));
    EXPECT_EXIT(
        {
            withoutCoreFile();
            reportLostInputPagesAsReadFailure();
            const SourceText source = readPath(file.path());
            if (!source.mapped) std::_Exit(3);
            // Another mapping of a file, not a source, loses its pages.
            const int fd = ::open(other.path().c_str(), O_RDONLY);
            void* mapped = ::mmap(nullptr, 64 * 1024 + 1, PROT_READ, MAP_PRIVATE, fd, 0);
            if (fd < 0 || mapped == MAP_FAILED) std::_Exit(4);
            if (::truncate(other.path().c_str(), 0) != 0) std::_Exit(4);
            volatile char last = static_cast<const char*>(mapped)[64 * 1024];
            (void)last;
            std::_Exit(5);
        },
        ::testing::KilledBySignal(SIGBUS), "^$");
}

}  // namespace
}  // namespace zeb::testing
