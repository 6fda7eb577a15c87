// Whole runs compared with expectations kept beside their inputs, for every
// folder of them:
//   tests/golden/NAME.mission      NAME.golden     the zebparser binary
//   examples/**/NAME.mission       NAME.expected   the zebparser binary
//   tests/diagnostics/NAME.mission NAME.expected   zeb check's text report
// A binary run's expectation holds the exit status, standard output and
// standard error (after the banner). Every accepted mission whose listing
// reads back must list the same again. Run with ZEB_UPDATE_GOLDEN=1 to
// rewrite the expectations after reviewing the difference.

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

enum class Runner { Zebparser, ZebCheck };

struct GoldenFolder {
    const char* name;  // the test name's prefix
    fs::path dir;
    const char* expectedExtension;
    Runner runner;
};

const GoldenFolder kFolders[] = {
    {"golden", fs::path(ZEB_SOURCE_DIR) / "tests" / "golden", ".golden", Runner::Zebparser},
    {"examples", fs::path(ZEB_SOURCE_DIR) / "examples", ".expected", Runner::Zebparser},
    {"diagnostics", fs::path(ZEB_SOURCE_DIR) / "tests" / "diagnostics", ".expected", Runner::ZebCheck},
};

struct GoldenCase {
    const GoldenFolder* folder;
    std::string relative;  // below the folder, without ".mission"
};

std::vector<GoldenCase> goldenCases() {
    std::vector<GoldenCase> cases;
    for (const GoldenFolder& folder : kFolders) {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(folder.dir)) {
            if (!entry.is_regular_file() || entry.path().extension() != ".mission") continue;
            fs::path relative = fs::relative(entry.path(), folder.dir);
            relative.replace_extension();
            names.push_back(relative.generic_string());
        }
        std::sort(names.begin(), names.end());
        for (std::string& name : names) cases.push_back(GoldenCase{&folder, std::move(name)});
    }
    return cases;
}

std::string formatRun(const RunResult& result) {
    return "-- status --\n" + std::to_string(result.status) + "\n-- stdout --\n" + result.out + "-- stderr --\n" +
           result.err;
}

// The diagnostics name the file as the folder's own relative path, so the
// expectation does not depend on where the tree was checked out.
RunResult run(const GoldenCase& c, const fs::path& mission) {
    if (c.folder->runner == Runner::Zebparser) return runBinary({mission.string()});
    return runZeb({"check", c.relative + ".mission"}, c.folder->dir.string());
}

class GoldenTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenTest, MatchesExpectedRun) {
    const GoldenCase& c = GetParam();
    const fs::path mission = c.folder->dir / (c.relative + ".mission");
    const fs::path expected = c.folder->dir / (c.relative + c.folder->expectedExtension);
    const RunResult result = run(c, mission);
    const std::string actual = formatRun(result);
    if (std::getenv("ZEB_UPDATE_GOLDEN") != nullptr) {
        writeFile(expected.string(), actual);
        GTEST_SKIP() << "rewrote " << expected;
    }
    ASSERT_TRUE(fs::exists(expected)) << "missing " << expected << " (run with ZEB_UPDATE_GOLDEN=1, then review it)";
    EXPECT_EQ(readFile(expected.string()), actual);

    // The listing is the same language: where the listing itself is
    // accepted (some layouts are written in forms the grammar refuses),
    // listing it again changes nothing.
    if (c.folder->runner != Runner::Zebparser || result.status != 0) return;
    const RunResult again = compileInProcess(result.out);
    if (again.status == 0) {
        EXPECT_EQ(again.out, result.out) << "the listing lists differently";
    }
}

// The examples under errors/ each show one failure; the others are clean.
TEST(GoldenFolders, ExamplesShowBothKinds) {
    std::size_t clean = 0;
    std::size_t failing = 0;
    for (const GoldenCase& c : goldenCases()) {
        if (std::string_view(c.folder->name) != "examples") continue;
        const bool isError = c.relative.rfind("errors/", 0) == 0;
        const RunResult result = runBinary({(c.folder->dir / (c.relative + ".mission")).string()});
        EXPECT_EQ(result.status, isError ? 1 : 0) << c.relative;
        if (isError) {
            EXPECT_TRUE(result.out.empty()) << c.relative;
            ++failing;
        } else {
            EXPECT_EQ(result.err, "/* zebparser: parsing completed, no errors found */ \n") << c.relative;
            ++clean;
        }
    }
    EXPECT_GE(clean, 3u);
    EXPECT_GE(failing, 5u);
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenTest, ::testing::ValuesIn(goldenCases()),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) {
                             std::string name = std::string(info.param.folder->name) + "_" + info.param.relative;
                             std::replace_if(
                                 name.begin(), name.end(),
                                 [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
                             return name;
                         });

}  // namespace
}  // namespace zeb::testing
