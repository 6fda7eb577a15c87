#include <gtest/gtest.h>

#include "test_support.h"

namespace zeb::lalrgen::testing {
namespace {

TEST(Conflicts, AmbiguousSumIsAShiftReduceConflictAfterEPlusE) {
    const GeneratedParser parser = generate(tokensFor({"\"+\"", "ID"}), R"(e : e "+" e | ID ;)");
    // States: 0 start, 1 after ID, 2 after e, 3 final, 4 after e "+", 5 after e "+" e.
    ASSERT_EQ(parser.build.conflicts.size(), 1u);
    EXPECT_EQ(parser.conflictMessages().front(),
              "test.grammar: conflict in state 5 on \"+\": shift to state 4 vs reduce by production 1 (e: e \"+\" e)");
}

TEST(Conflicts, TwoProductionsForTheSameTokenAreAReduceReduceConflict) {
    const GeneratedParser parser = generate(tokensFor({"\"x\""}), R"(
        s : a | b ;
        a : "x" ;
        b : "x" ;
    )");
    ASSERT_EQ(parser.build.conflicts.size(), 1u);
    EXPECT_EQ(parser.conflictMessages().front(),
              "test.grammar: conflict in state 1 on $end: reduce by production 3 (a: \"x\") vs reduce by production 4 "
              "(b: \"x\")");
}

TEST(Conflicts, EveryConflictIsReportedNotJustTheFirst) {
    const GeneratedParser parser = generate(tokensFor({"\"+\"", "\"*\"", "ID"}), R"(e : e "+" e | e "*" e | ID ;)");
    // After e "+" e and after e "*" e, both operators conflict: four in all.
    EXPECT_EQ(parser.build.conflicts.size(), 4u);
}

TEST(Conflicts, ActionPointBeforeACommonPrefixConflicts) {
    const GeneratedParser parser = generate(tokensFor({"\"a\"", "\"b\"", "\"c\"", "\"d\""}), R"(
        s : "a" @early "b" "c" | "a" "b" "d" ;
    )");
    ASSERT_EQ(parser.build.conflicts.size(), 1u);
    EXPECT_NE(parser.conflictMessages().front().find("on \"b\": shift to state"), std::string::npos);
    EXPECT_NE(parser.conflictMessages().front().find("reduce by production 1 (@early.1: %empty)"), std::string::npos);
}

}  // namespace
}  // namespace zeb::lalrgen::testing
