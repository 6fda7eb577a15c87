// The command line as a user meets it: banner, usage, file errors, framing
// lines, exit statuses and the separation of the two streams.

#include <gtest/gtest.h>

#include <string>

#include "tests/run_support.h"

namespace zeb::testing {
namespace {

const std::string kExample = std::string(ZEB_SOURCE_DIR) + "/examples/warehouse.mission";
const std::string kCompleted = "/* zebparser: parsing completed, no errors found */ \n";
const std::string kNotFound = "zebparser: source file not found\n";

TEST(DriverTest, BannerLinesAre51CharactersWithTheBuildDate) {
    const std::string text = banner();
    ASSERT_EQ(text.size(), 104u);
    EXPECT_EQ(text.substr(0, 34), "/* VTR - ZEB mission file parser [");
    EXPECT_EQ(text.substr(45, 7), "]   */\n");
    EXPECT_EQ(text.substr(52, 15), "/*       mailto");
    EXPECT_EQ(text.substr(101), "*/\n");
}

TEST(DriverTest, NoArgumentPrintsUsage) {
    const RunResult result = runBinary({});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "usage: zebparser <source file>\n"
              "       emits formatted output to standard output\n");
}

TEST(DriverTest, FilesThatCannotBeOpenedAreNotFound) {
    for (const std::string& path : {std::string("/nonexistent/mission"), std::string("/tmp"), std::string("")}) {
        const RunResult result = runBinary({path});
        EXPECT_EQ(result.status, 1) << path;
        EXPECT_EQ(result.out, "") << path;
        EXPECT_EQ(result.err, kNotFound) << path;
    }
}

TEST(DriverTest, SuccessWritesOutputAndCompletionLine) {
    const RunResult result = runBinary({kExample});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, kCompleted);
    EXPECT_EQ(result.out.substr(0, 24), "mission \"Warehouse raid\"");
    EXPECT_EQ(result.out.substr(result.out.size() - 2), "}\n");
}

TEST(DriverTest, ArgumentsAfterTheFirstAreIgnored) {
    const RunResult first = runBinary({kExample});
    const RunResult more = runBinary({kExample, "/nonexistent", "--help"});
    EXPECT_EQ(more.status, 0);
    EXPECT_EQ(more.out, first.out);
    EXPECT_EQ(more.err, first.err);
}

TEST(DriverTest, RedirectedOutputHoldsOnlyTheMission) {
    TempFile out("");
    const RunResult result = runBinary({kExample}, out.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(readFile(out.path()), runBinary({kExample}).out);
    EXPECT_EQ(readFile(out.path()).find("/*"), std::string::npos);
}

TEST(DriverTest, FailedWriteIsNotSuccess) {
    const RunResult result = runBinary({kExample}, "/dev/full");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "zebparser: error writing output: No space left on device\n");
}

TEST(DriverTest, SyntaxErrorWritesNothingToStandardOutput) {
    TempFile mission("mission \"m\" {\n  author \"a\"\n}\n");
    const RunResult result = runBinary({mission.path()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "ERROR in syntax found, at line 3\nnear: '}'.\nCAUSE parse error\n"
              "zebparser: there were errors during compilation\n");
}

TEST(DriverTest, LexicalErrorEndsTheRunWithItsOwnLineOnly) {
    TempFile mission("mission \"m\" {\n\n\n\n\n\n  #\n");
    const RunResult result = runBinary({mission.path()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "ERROR in syntax found by lex, at line 7, near: \"#\".\n");
}

}  // namespace
}  // namespace zeb::testing
