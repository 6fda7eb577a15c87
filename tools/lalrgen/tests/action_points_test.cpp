#include <gtest/gtest.h>

#include "test_support.h"

namespace zeb::lalrgen::testing {
namespace {

const std::vector<TokenDefinition> kTokens = tokensFor({"\"a\"", "\"b\"", "\"c\"", "\"d\"", "\"e\""});

TEST(ActionPoints, EmptyProductionsAreNumberedJustBeforeTheirHolder) {
    const GeneratedParser parser = generate(kTokens, R"(
        s : t "a" @p "b" @q "c" => whole
          | t "d" @p "e"
          ;
        t : %empty ;
    )");
    const Grammar& grammar = parser.grammar;
    ASSERT_EQ(grammar.productionCount(), 7);
    EXPECT_EQ(grammar.productionText(1), "@p.1: %empty");
    EXPECT_EQ(grammar.productionText(2), "@q.2: %empty");
    EXPECT_EQ(grammar.productionText(3), "s: t \"a\" @p.1 \"b\" @q.2 \"c\"");
    EXPECT_EQ(grammar.productionText(4), "@p.4: %empty");
    EXPECT_EQ(grammar.productionText(5), "s: t \"d\" @p.4 \"e\"");
    EXPECT_EQ(grammar.productionText(6), "t: %empty");
    // Symbols before the action point, earlier action points included.
    EXPECT_EQ(grammar.productions[1].valueOffset, 2);
    EXPECT_EQ(grammar.productions[2].valueOffset, 4);
    EXPECT_EQ(grammar.productions[3].valueOffset, 6);
    EXPECT_EQ(grammar.productions[4].valueOffset, 2);
    // One action name, many places; actions listed in order of first appearance.
    EXPECT_EQ(grammar.actionNames, (std::vector<std::string>{"None", "p", "q", "whole"}));
    EXPECT_EQ(grammar.productions[1].action, grammar.productions[4].action);
    EXPECT_EQ(grammar.actionNames[grammar.productions[3].action], "whole");
}

TEST(ActionPoints, ActionPointAfterADistinguishingTokenDoesNotConflict) {
    const GeneratedParser parser = generate(kTokens, R"(s : "a" @seenA "b" | "c" "b" ;)");
    ASSERT_TRUE(parser.build.conflicts.empty());
    const ParseOutcome outcome = simulateParse(parser, {"\"a\"", "\"b\""});
    EXPECT_TRUE(outcome.accepted);
    // The action point reduces after "a", before "b" is shifted.
    EXPECT_EQ(outcome.reductions, (std::vector<int>{1, 2}));
    // The state after "a" has only that reduction, so it does not wait for "b".
    const int afterA = parser.build.tables.action[0][terminalNamed(parser.grammar, "\"a\"")];
    EXPECT_EQ(parser.build.tables.reduceWithoutLookahead[afterA], 1);
}

}  // namespace
}  // namespace zeb::lalrgen::testing
