// Large inputs: generated missions compile, their output is a fixed point of
// the formatter, and the cost per byte of source stays flat as the source
// grows, which is what a linear pass over tokens and names gives.

#include <gtest/gtest.h>
#include <algorithm>
#include <chrono>

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
