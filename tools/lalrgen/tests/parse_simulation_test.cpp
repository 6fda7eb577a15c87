#include <gtest/gtest.h>

#include "test_support.h"

namespace zeb::lalrgen::testing {
namespace {

class ExpressionParse : public ::testing::Test {
protected:
    const GeneratedParser parser = generate(tokensFor({"\"+\"", "\"*\"", "\"(\"", "\")\"", "ID"}), R"g(
        e : e "+" t | t ;
        t : t "*" f | f ;
        f : "(" e ")" | ID ;
    )g");
};

TEST_F(ExpressionParse, AcceptsWellFormedInput) {
    ASSERT_TRUE(parser.build.conflicts.empty());
    EXPECT_TRUE(simulateParse(parser, {"ID"}).accepted);
    EXPECT_TRUE(simulateParse(parser, {"ID", "\"+\"", "ID", "\"*\"", "ID"}).accepted);
    EXPECT_TRUE(simulateParse(parser, {"\"(\"", "ID", "\"+\"", "ID", "\")\"", "\"*\"", "ID"}).accepted);
}

TEST_F(ExpressionParse, ReducesInPrecedenceOrder) {
    // ID + ID * ID: the product is reduced before the sum.
    const ParseOutcome outcome = simulateParse(parser, {"ID", "\"+\"", "ID", "\"*\"", "ID"});
    EXPECT_EQ(outcome.reductions, (std::vector<int>{6, 4, 2, 6, 4, 6, 3, 1}));
}

TEST_F(ExpressionParse, RejectsAtTheOffendingToken) {
    EXPECT_EQ(simulateParse(parser, {"ID", "ID"}).errorAt, 1);
    EXPECT_EQ(simulateParse(parser, {"ID", "\"+\"", "\")\""}).errorAt, 2);
    EXPECT_EQ(simulateParse(parser, {"\"(\"", "ID", "\"+\"", "ID"}).errorAt, 4);  // end of input
    EXPECT_EQ(simulateParse(parser, {}).errorAt, 0);
}

TEST_F(ExpressionParse, DefaultReductionsDelayButDoNotMoveTheError) {
    // After "( ID" the defaults reduce f, t, e on the bad ID; it is still caught at that ID.
    const ParseOutcome outcome = simulateParse(parser, {"\"(\"", "ID", "ID"});
    EXPECT_FALSE(outcome.accepted);
    EXPECT_EQ(outcome.errorAt, 2);
}

}  // namespace
}  // namespace zeb::lalrgen::testing
