// Large inputs: generated missions compile, their output is a fixed point of
// the formatter, and the cost per byte of source stays flat as the source
// grows, which is what a linear pass over tokens and names gives.

#include <gtest/gtest.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "bench/mission_generator.h"
#include "tests/run_support.h"

namespace zeb::testing {
namespace {

const std::string kCompleted = "/* zebparser: parsing completed, no errors found */ \n";

TEST(GeneratedMission, CompilesAndFormatsToAFixedPoint) {
    for (std::size_t units : {1u, 2u, 37u, 400u}) {
        SCOPED_TRACE("units " + std::to_string(units));
        const RunResult first = compileInProcess(bench::generateMission(bench::shapeForUnits(units)));
        ASSERT_EQ(first.status, 0) << first.err;
        EXPECT_EQ(first.err, kCompleted);
        const RunResult second = compileInProcess(first.out);
        ASSERT_EQ(second.status, 0) << second.err;
        EXPECT_EQ(second.out, first.out);
    }
}

// Sized by bytes, the same seed gives the same text, another seed another
// text, and both compile and format to a fixed point.
TEST(GeneratedMission, IsSizedInBytesAndRepeatableFromItsSeed) {
    for (std::size_t bytes : {1000u, 6000u, 300000u}) {
        SCOPED_TRACE("bytes " + std::to_string(bytes));
        const bench::MissionShape shape = bench::shapeForBytes(bytes, 3);
        const std::string text = bench::generateMission(shape, 3);
        EXPECT_NEAR(static_cast<double>(text.size()), static_cast<double>(bytes), 0.03 * static_cast<double>(bytes));
        EXPECT_EQ(text, bench::generateMission(shape, 3));
        const std::string other = bench::generateMission(shape, 4);
        EXPECT_NE(text, other);
        for (const std::string* source : {&text, &other}) {
            const RunResult first = compileInProcess(*source);
            ASSERT_EQ(first.status, 0) << first.err;
            const RunResult second = compileInProcess(first.out);
            ASSERT_EQ(second.status, 0) << second.err;
            EXPECT_EQ(second.out, first.out);
        }
    }
}

// Every kind of text, sized by bytes, is accepted by the real binary (its
// CRLF line ends and quoted lines included), repeats from its seed, and the
// formatted text is a fixed point.
TEST(GeneratedMission, EveryKindIsAcceptedByTheBinary) {
    const struct {
        const char* name;
        std::size_t bytes;
    } kCases[] = {{"member", 6000}, {"plan", 6000},   {"plan", 300000}, {"map", 6000},  {"map", 300000},
                  {"text", 6000},   {"text", 300000}, {"mix", 6000},    {"mix", 300000}};
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("zeb-kinds-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.bytes));
        bench::ShapeKind kind{};
        ASSERT_TRUE(bench::shapeKindFromName(c.name, kind));
        const bench::MissionShape shape = bench::shapeForBytes(c.bytes, 5, kind);
        const std::string text = bench::generateMission(shape, 5);
        EXPECT_NEAR(static_cast<double>(text.size()), static_cast<double>(c.bytes),
                    0.03 * static_cast<double>(c.bytes));
        EXPECT_EQ(text, bench::generateMission(shape, 5));
        EXPECT_EQ(text.find("\r\n") != std::string::npos, kind == bench::ShapeKind::Text);
        const std::filesystem::path file = dir / (std::string(c.name) + ".mission");
        std::ofstream(file, std::ios::binary) << text;
        const RunResult run = runBinary({file.string()});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, kCompleted);
        const RunResult again = compileInProcess(run.out);
        ASSERT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(again.out, run.out);
    }
    bench::ShapeKind unknown{};
    EXPECT_FALSE(bench::shapeKindFromName("members", unknown));
    std::filesystem::remove_all(dir);
}

TEST(GeneratedMission, DeclaresNamesInProportionToItsSize) {
    const bench::MissionShape small = bench::shapeForUnits(1000);
    const bench::MissionShape large = bench::shapeForUnits(16000);
    const auto members = [](const bench::MissionShape& s) { return s.forces * s.teamsPerForce * s.membersPerTeam; };
    const auto statements = [](const bench::MissionShape& s) { return s.instructions; };
    EXPECT_GE(members(large), 15 * members(small));
    EXPECT_GE(statements(large), 15 * statements(small));
}

// The best of a few runs, per byte of source, so a busy machine's noise
// counts for as little as it can.
double secondsPerByte(const std::string& source) {
    double best = 1e300;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const RunResult result = compileInProcess(source);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(result.status, 0) << result.err;
        best = std::min(best, took.count());
    }
    return best / static_cast<double>(source.size());
}

// Eight times the units (about seven times the source: locations, areas and
// objectives stop growing at their caps) may cost a little more per byte
// (caches), but nothing like the sevenfold a quadratic step (a name scan per
// use) gives.
TEST(Scaling, CostPerByteStaysFlatOverAnEightfoldGrowth) {
    const std::string small = bench::generateMission(bench::shapeForUnits(1000));
    const std::string large = bench::generateMission(bench::shapeForUnits(8000));
    ASSERT_GE(large.size(), 6 * small.size());
    const double smallCost = secondsPerByte(small);
    const double largeCost = secondsPerByte(large);
    EXPECT_LT(largeCost, 2.5 * smallCost) << "ns per byte: " << smallCost * 1e9 << " then " << largeCost * 1e9;
}

}  // namespace
}  // namespace zeb::testing
