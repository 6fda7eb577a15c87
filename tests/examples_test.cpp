// Every mission under examples/ (and examples/errors/) is run through the
// real binary and compared with NAME.expected beside it, so the examples the
// README points to never drift from what the tool does. The expected file
// holds the exit status, standard output and standard error after the
// banner, in the same form as the golden cases. Run with
// ZEB_UPDATE_EXAMPLES=1 to rewrite the expectations after reviewing the
// difference.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/run_support.h"

namespace zeb::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kExamplesDir = fs::path(ZEB_SOURCE_DIR) / "examples";

// Paths relative to examples/, without the ".mission" ending.
std::vector<std::string> exampleCases() {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(kExamplesDir)) {
        if (entry.is_regular_file() && entry.path().extension() == ".mission") {
            fs::path rel = fs::relative(entry.path(), kExamplesDir);
            rel.replace_extension();
            names.push_back(rel.generic_string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string formatRun(const RunResult& result) {
    return "-- status --\n" + std::to_string(result.status) + "\n-- stdout --\n" + result.out + "-- stderr --\n" +
           result.err;
}

TEST(ExamplesTest, ThereAreExamplesOfBothKinds) {
    const auto names = exampleCases();
    const auto errors =
        std::count_if(names.begin(), names.end(), [](const std::string& n) { return n.rfind("errors/", 0) == 0; });
    EXPECT_GE(names.size() - static_cast<std::size_t>(errors), 3u);
    EXPECT_GE(errors, 5);
}

class ExampleRun : public ::testing::TestWithParam<std::string> {};

TEST_P(ExampleRun, MatchesExpected) {
    const fs::path mission = kExamplesDir / (GetParam() + ".mission");
    const fs::path expected = kExamplesDir / (GetParam() + ".expected");
    const RunResult result = runBinary({mission.string()});
    const std::string actual = formatRun(result);
    if (std::getenv("ZEB_UPDATE_EXAMPLES") != nullptr) {
        writeFile(expected.string(), actual);
        GTEST_SKIP() << "rewrote " << expected;
    }
    ASSERT_TRUE(fs::exists(expected)) << "missing " << expected << " (run with ZEB_UPDATE_EXAMPLES=1, then review it)";
    EXPECT_EQ(readFile(expected.string()), actual);

    // The examples under errors/ each show one failure; the others are clean.
    const bool isErrorExample = GetParam().rfind("errors/", 0) == 0;
    EXPECT_EQ(result.status, isErrorExample ? 1 : 0);
    if (isErrorExample) {
        EXPECT_TRUE(result.out.empty());
    } else {
        EXPECT_EQ(result.err, "/* zebparser: parsing completed, no errors found */ \n");
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleRun, ::testing::ValuesIn(exampleCases()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace_if(
                                 name.begin(), name.end(),
                                 [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
                             return name;
                         });

}  // namespace
}  // namespace zeb::testing
