#include <gtest/gtest.h>

#include "canonical_lr1.h"
#include "test_support.h"

namespace zeb::lalrgen::testing {
namespace {

constexpr const char* kAssignmentGrammar = R"(
    s : l "=" r | r ;
    l : "*" r | ID ;
    r : l ;
)";

std::set<int> lookaheadsOf(const GeneratedParser& parser, int state, int production) {
    for (const Reduction& reduction : parser.reductions[state]) {
        if (reduction.production == production) {
            const std::vector<int> members = reduction.lookahead.members();
            return {members.begin(), members.end()};
        }
    }
    return {};
}

// Compares every state's reductions with canonical LR(1) merged by core.
void expectSameAsMergedCanonical(const GeneratedParser& parser) {
    const auto reference = mergedCanonicalLookaheads(parser.grammar);
    ASSERT_EQ(reference.size(), parser.automaton.states.size());
    for (int state = 0; state < parser.automaton.stateCount(); ++state) {
        const auto it = reference.find(parser.automaton.states[state].kernel);
        ASSERT_NE(it, reference.end()) << "state " << state;
        ReductionLookaheads ours;
        for (const Reduction& reduction : parser.reductions[state]) {
            ours[reduction.production] = lookaheadsOf(parser, state, reduction.production);
        }
        EXPECT_EQ(ours, it->second) << "state " << state;
    }
}

TEST(LalrLookaheads, AssignmentGrammarIsLalrButNotSlr) {
    const GeneratedParser parser = generate(tokensFor({"\"=\"", "\"*\"", "ID"}), kAssignmentGrammar);
    EXPECT_TRUE(parser.build.conflicts.empty());
    const Grammar& grammar = parser.grammar;
    const int afterL = parser.build.tables.gotoState[0][nonterminalNamed(grammar, "l")];
    const int equals = terminalNamed(grammar, "\"=\"");
    // SLR would also reduce r: l on "=" (it is in FOLLOW(r)) and conflict here.
    EXPECT_GT(parser.build.tables.action[afterL][equals], 0);
    EXPECT_EQ(lookaheadsOf(parser, afterL, 5), std::set<int>{kEndOfInput});
    EXPECT_EQ(parser.build.tables.action[afterL][kEndOfInput], -5);
}

TEST(LalrLookaheads, AssignmentGrammarMatchesCanonicalLr1MergedByCore) {
    expectSameAsMergedCanonical(generate(tokensFor({"\"=\"", "\"*\"", "ID"}), kAssignmentGrammar));
}

TEST(LalrLookaheads, NullableChainsAndActionPointsMatchCanonicalLr1MergedByCore) {
    // Nullable nonterminals exercise the reads relation, trailing ones the includes relation.
    const GeneratedParser parser = generate(tokensFor({"\"a\"", "\"b\"", "\"c\"", "\";\"", "ID"}), R"(
        program : items ;
        items : %empty | item ";" items ;
        item : opt_a @seen ID opt_b tail => item ;
        opt_a : %empty | "a" ;
        opt_b : %empty | "b" opt_a ;
        tail : %empty | "c" tail | opt_a ;
    )");
    expectSameAsMergedCanonical(parser);
}

TEST(LalrLookaheads, ExpressionGrammarMatchesCanonicalLr1MergedByCore) {
    expectSameAsMergedCanonical(generate(tokensFor({"\"+\"", "\"*\"", "\"(\"", "\")\"", "ID"}), R"g(
        e : e "+" t | t ;
        t : t "*" f | f ;
        f : "(" e ")" | ID ;
    )g"));
}

}  // namespace
}  // namespace zeb::lalrgen::testing
