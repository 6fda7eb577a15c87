#include <gtest/gtest.h>

#include "test_support.h"

namespace zeb::lalrgen::testing {
namespace {

TEST(ParseTables, NestedParenthesesGiveTheExpectedFullTable) {
    // Terminals: $end "(" ")" "x".  Productions: 1 s: "(" s ")", 2 s: "x".
    const GeneratedParser parser = generate(tokensFor({"\"(\"", "\")\"", "\"x\""}), R"g(s : "(" s ")" | "x" ;)g");
    const ParseTables& tables = parser.build.tables;
    ASSERT_TRUE(parser.build.conflicts.empty());
    const std::vector<std::vector<int>> expectedActions = {
        {0, 1, 0, 2},    // 0: start
        {0, 1, 0, 2},    // 1: after "("
        {-2, 0, -2, 0},  // 2: after "x"
        {5, 0, 0, 0},    // 3: after s
        {0, 0, 6, 0},    // 4: after "(" s
        {0, 0, 0, 0},    // 5: final
        {-1, 0, -1, 0},  // 6: after "(" s ")"
    };
    EXPECT_EQ(tables.action, expectedActions);
    const std::vector<std::vector<int>> expectedGotos = {{-1, 3},  {-1, 4},  {-1, -1}, {-1, -1},
                                                         {-1, -1}, {-1, -1}, {-1, -1}};
    EXPECT_EQ(tables.gotoState, expectedGotos);
    EXPECT_EQ(tables.defaultReduction, (std::vector<int>{-1, -1, 2, -1, -1, -1, 1}));
    EXPECT_EQ(tables.reduceWithoutLookahead, (std::vector<int>{-1, -1, 2, -1, -1, -1, 1}));
    EXPECT_EQ(tables.finalState, 5);
}

TEST(ParseTables, DefaultReductionTieGoesToTheLowerProductionNumber) {
    const auto tokens = tokensFor({"\"x\"", "\"y\"", "\"z\""});
    const GeneratedParser aFirst = generate(tokens, R"(s : a "x" | b "y" ; a : "z" ; b : "z" ;)");
    const GeneratedParser bFirst = generate(tokens, R"(s : a "x" | b "y" ; b : "z" ; a : "z" ;)");
    const int afterZ = aFirst.build.tables.action[0][terminalNamed(aFirst.grammar, "\"z\"")];
    ASSERT_GT(afterZ, 0);
    EXPECT_EQ(aFirst.build.tables.defaultReduction[afterZ], 3);  // a: "z"
    EXPECT_EQ(bFirst.build.tables.defaultReduction[afterZ], 3);  // b: "z"
    EXPECT_EQ(bFirst.grammar.productionText(3), "b: \"z\"");
    // Two reductions, so the state must read the token to choose.
    EXPECT_EQ(aFirst.build.tables.reduceWithoutLookahead[afterZ], -1);
}

TEST(ParseTables, DefaultReductionPrefersMoreLookaheadsOverLowerNumber) {
    const GeneratedParser parser =
        generate(tokensFor({"\"x\"", "\"y\"", "\"w\"", "\"z\""}), R"(s : a "x" | b "y" | b "w" ; a : "z" ; b : "z" ;)");
    const int afterZ = parser.build.tables.action[0][terminalNamed(parser.grammar, "\"z\"")];
    EXPECT_EQ(parser.build.tables.defaultReduction[afterZ], 5);  // b: "z", two look-aheads
    // The explicit entries stay: the default only fills empty ones.
    EXPECT_EQ(parser.build.tables.action[afterZ][terminalNamed(parser.grammar, "\"x\"")], -4);
}

TEST(ParseTables, StateThatCanShiftNeverReducesWithoutLookahead) {
    const GeneratedParser parser = generate(tokensFor({"\"a\"", "\"b\""}), R"(s : "a" | "a" "b" ;)");
    const int afterA = parser.build.tables.action[0][terminalNamed(parser.grammar, "\"a\"")];
    EXPECT_EQ(parser.build.tables.defaultReduction[afterA], 1);
    EXPECT_EQ(parser.build.tables.reduceWithoutLookahead[afterA], -1);
}

}  // namespace
}  // namespace zeb::lalrgen::testing
