// Whole runs compared with expectations kept beside their inputs, for every
// folder of them:
//   tests/golden/NAME.mission      NAME.golden     the zebparser binary
//   examples/**/NAME.mission       NAME.expected   the zebparser binary
//   tests/diagnostics/NAME.mission NAME.expected   zeb check's text report
//   tests/format/NAME.mission      NAME.formatted  the source layout
//   examples/**/NAME.mission       NAME.formatted  the source layout
//   tests/map/NAME.mission         NAME.svg        the map zeb map draws
//   examples/**/NAME.mission       NAME.svg        the map zeb map draws
// A binary run's expectation holds the exit status, standard output and
// standard error (after the banner). Every accepted mission whose listing
// reads back must list the same again, and every accepted mission of every
// folder (and every fuzz seed) must keep the formatter's promise: its
// source layout is accepted, lists as the original does, formats to itself
// and holds each comment of the original once. Run with ZEB_UPDATE_GOLDEN=1
// to rewrite the expectations after reviewing the difference.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/source_formatter.h"
#include "bench/mission_generator.h"
#include "frontend/source_reader.h"
#include "map/mission_map.h"
#include "output/source_writers.h"
#include "tests/run_support.h"

namespace zeb::testing {
namespace {

namespace fs = std::filesystem;

enum class Runner { Zebparser, ZebCheck, Formatter, Map };

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
    {"format", fs::path(ZEB_SOURCE_DIR) / "tests" / "format", ".formatted", Runner::Formatter},
    {"examples_layout", fs::path(ZEB_SOURCE_DIR) / "examples", ".formatted", Runner::Formatter},
    {"map", fs::path(ZEB_SOURCE_DIR) / "tests" / "map", ".svg", Runner::Map},
    {"examples_map", fs::path(ZEB_SOURCE_DIR) / "examples", ".svg", Runner::Map},
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

std::shared_ptr<const std::string> normalisedText(std::string text) {
    normaliseLineEnds(text);
    return std::make_shared<const std::string>(std::move(text));
}

std::vector<std::string> commentsOf(const std::shared_ptr<const std::string>& text) {
    std::vector<std::string> comments;
    for (std::string_view comment : analyzeMission(text).comments) comments.push_back(commentAsLaidOut(comment));
    std::sort(comments.begin(), comments.end());
    return comments;
}

bool hasTrailingBlank(std::string_view text) {
    for (std::size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1)) {
        if (at > 0 && (text[at - 1] == ' ' || text[at - 1] == '\t')) return true;
    }
    return false;
}

// The formatter's promise for one accepted source; returns the formatted text.
std::string expectFormatKeepsMission(const std::string& source, const std::string& label) {
    const auto original = normalisedText(source);
    const FormattedSource formatted = formatSource(original);
    EXPECT_FALSE(formatted.hasError()) << label;
    const RunResult listing = compileInProcess(source);
    const RunResult relisted = compileInProcess(formatted.text);
    EXPECT_EQ(relisted.status, 0) << label << ": the formatted text is refused:\n" << relisted.err << formatted.text;
    EXPECT_EQ(relisted.out, listing.out) << label << ": the formatted text is another mission";
    const auto formattedText = std::make_shared<const std::string>(formatted.text);
    EXPECT_EQ(formatSource(formattedText).text, formatted.text) << label << ": formatting again changes it";
    EXPECT_EQ(commentsOf(formattedText), commentsOf(original)) << label << ": comments lost or repeated";
    // Blanks inside a quoted text that spans lines are the text's own.
    if (hasTrailingBlank(formatted.text) && !hasTrailingBlank(listing.out)) {
        ADD_FAILURE() << label << ": a line ends in a blank:\n" << formatted.text;
    }
    return formatted.text;
}

class GoldenTest : public ::testing::TestWithParam<GoldenCase> {};

// The picture of an accepted mission, as zeb map draws it.
std::string mapOf(const std::string& source) {
    const MissionAnalysis analysis = analyzeMission(normalisedText(source));
    EXPECT_FALSE(analysis.hasError());
    return map::drawMissionMap(*analysis.mission);
}

TEST_P(GoldenTest, MatchesExpectedRun) {
    const GoldenCase& c = GetParam();
    const fs::path mission = c.folder->dir / (c.relative + ".mission");
    const fs::path expected = c.folder->dir / (c.relative + c.folder->expectedExtension);
    if (c.folder->runner == Runner::Formatter || c.folder->runner == Runner::Map) {
        const std::string source = readFile(mission.string());
        // A mission with an error has no layout and no map (the error examples).
        if (compileInProcess(source).status != 0) {
            EXPECT_FALSE(fs::exists(expected)) << expected << " for a mission with an error";
            return;
        }
        const std::string actual =
            c.folder->runner == Runner::Map ? mapOf(source) : expectFormatKeepsMission(source, c.relative);
        if (std::getenv("ZEB_UPDATE_GOLDEN") != nullptr) {
            writeFile(expected.string(), actual);
            GTEST_SKIP() << "rewrote " << expected;
        }
        ASSERT_TRUE(fs::exists(expected))
            << "missing " << expected << " (run with ZEB_UPDATE_GOLDEN=1, then review it)";
        EXPECT_EQ(readFile(expected.string()), actual);
        return;
    }
    const RunResult result = run(c, mission);
    const std::string actual = formatRun(result);
    if (std::getenv("ZEB_UPDATE_GOLDEN") != nullptr) {
        writeFile(expected.string(), actual);
        GTEST_SKIP() << "rewrote " << expected;
    }
    ASSERT_TRUE(fs::exists(expected)) << "missing " << expected << " (run with ZEB_UPDATE_GOLDEN=1, then review it)";
    EXPECT_EQ(readFile(expected.string()), actual);

    const std::string source = readFile(mission.string());
    if (compileInProcess(source).status == 0) expectFormatKeepsMission(source, c.relative);

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

TEST(FormatInvariant, HoldsForEveryFuzzSeed) {
    std::size_t accepted = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(ZEB_SOURCE_DIR) / "fuzz" / "seeds")) {
        const std::string source = readFile(entry.path().string());
        if (compileInProcess(source).status != 0) continue;
        expectFormatKeepsMission(source, entry.path().filename().string());
        ++accepted;
    }
    EXPECT_GE(accepted, 2u);
}

// A text of a megabyte or more is formatted with its constructs found on
// a second thread and the back half of its teams' plans laid out there.
TEST(FormatInvariant, HoldsForALargeMission) {
    std::string large = bench::generateMission(bench::shapeForBytes(1'200'000, 5, bench::ShapeKind::Text), 5);
    ASSERT_GT(large.size(), std::size_t{1} << 20);
    expectFormatKeepsMission(large, "1.2 MB text-shaped mission");
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
