// Whole runs of the binary: each tests/golden/NAME.mission beside its
// NAME.golden, which holds the exit status, standard output and standard
// error (after the banner). Run with ZEB_UPDATE_GOLDEN=1 to rewrite the
// expectations after reviewing the difference.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "tests/run_support.h"

namespace zeb::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kGoldenDir = fs::path(ZEB_SOURCE_DIR) / "tests" / "golden";

std::string formatGolden(const RunResult& result) {
    return "-- status --\n" + std::to_string(result.status) + "\n-- stdout --\n" + result.out + "-- stderr --\n" +
           result.err;
}

std::vector<std::string> goldenCases() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kGoldenDir)) {
        if (entry.path().extension() == ".mission") names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class GoldenTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenTest, MatchesExpectedRun) {
    const fs::path mission = kGoldenDir / (GetParam() + ".mission");
    const fs::path golden = kGoldenDir / (GetParam() + ".golden");
    const std::string actual = formatGolden(runBinary({mission.string()}));
    if (std::getenv("ZEB_UPDATE_GOLDEN") != nullptr) {
        writeFile(golden.string(), actual);
        GTEST_SKIP() << "rewrote " << golden;
    }
    ASSERT_TRUE(fs::exists(golden)) << "missing " << golden << " (run with ZEB_UPDATE_GOLDEN=1)";
    EXPECT_EQ(readFile(golden.string()), actual);
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenTest, ::testing::ValuesIn(goldenCases()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace_if(
                                 name.begin(), name.end(),
                                 [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
                             return name;
                         });

}  // namespace
}  // namespace zeb::testing
