// The engine's timing: which actions run before the next token is read, what
// default reductions do before an error is found, and the report's near text.

#include <gtest/gtest.h>

#include <string>

#include "frontend/error_report.h"
#include "frontend/lexer.h"
#include "frontend/parser.h"
#include "model/mission.h"

namespace zeb {
namespace {

struct Outcome {
    ParseResult result;
    std::string diagnostics;
};

Outcome parseText(const std::string& source, Mission& mission) {
    Lexer lexer(source);
    Outcome outcome;
    outcome.result = Parser(lexer, mission, outcome.diagnostics).parse();
    return outcome;
}

const std::string kPrefix =
    "mission \"m\" { author \"a\"; description \"d\"; rules { }; map \"w\" { location l = <1,2,3>; "
    "area a { style = open; locations = l; }; area b { style = open; locations = l; } }; "
    "force \"f\" { team \"t\" { }; }; objectives { }; plan \"t\" { ";

TEST(ParserTest, ReportWithoutAnyMatchSaysUnknown) {
    EXPECT_EQ(formatErrorReport(1, "", false, "parse error"),
              "ERROR in syntax found, at line 1\nnear: '<unknown>'.\nCAUSE parse error\n");
    EXPECT_EQ(formatErrorReport(4, "", true, "parse error"),
              "ERROR in syntax found, at line 4\nnear: ''.\nCAUSE parse error\n");
}

// A check whose construct ends with its last token runs before the next
// token is read: a character that the lexer refuses right after it is
// never reached.
TEST(ParserTest, ChecksRunBeforeTheNextTokenIsRead) {
    Mission mission;
    const Outcome outcome = parseText(
        "mission \"m\" { author \"a\"; description \"d\"; rules { }; map \"w\" { location l = <1,2,3>; "
        "area a { style = open; locations = zz #",
        mission);
    EXPECT_EQ(outcome.result, kParseFailed);
    EXPECT_EQ(outcome.diagnostics,
              "ERROR in syntax found, at line 1\nnear: 'zz'.\nCAUSE location label 'zz' not declared\n");
}

TEST(ParserTest, LateChecksReadTheFollowingTokenFirst) {
    for (const char* instruction : {"patrol #", "signal towards l #", "patrol (a, b #"}) {
        Mission mission;
        const Outcome outcome = parseText(kPrefix + instruction, mission);
        EXPECT_EQ(outcome.result, kParseLexicalError) << instruction;
        EXPECT_EQ(outcome.diagnostics, "ERROR in syntax found by lex, at line 1, near: \"#\".\n") << instruction;
    }
}

// Default reductions run, with their actions, before a wrong look-ahead is
// found to be wrong.
TEST(ParserTest, DefaultReductionsRecordBeforeTheSyntaxError) {
    Mission mission;
    const Outcome outcome = parseText(kPrefix + "attack towards l; patrol (a, b c) }; }", mission);
    EXPECT_EQ(outcome.result, kParseFailed);
    EXPECT_EQ(outcome.diagnostics, "ERROR in syntax found, at line 1\nnear: 'c'.\nCAUSE parse error\n");
    ASSERT_EQ(mission.teams.size(), 1u);
    const InstructionList& plan = mission.teams[0]->instructions;
    ASSERT_EQ(plan.size(), 2u);
    EXPECT_EQ(plan[1].kind, InstructionKind::Patrol);
    EXPECT_EQ(std::vector<Text>(plan[1].areas.begin(), plan[1].areas.end()), (std::vector<Text>{"a", "b"}));
}

TEST(ParserTest, NameErrorLeavesEarlierRecordsInPlace) {
    Mission mission;
    const Outcome outcome = parseText(kPrefix + "wait 1; observe nowhere; wait 2 }; }", mission);
    EXPECT_EQ(outcome.result, kParseFailed);
    ASSERT_EQ(mission.teams[0]->instructions.size(), 1u);
    EXPECT_EQ(mission.teams[0]->instructions[0].value, 1.0f);
}

TEST(ParserTest, MissionGetsItsNameBeforeTheOpeningBrace) {
    Mission mission;
    const Outcome outcome = parseText("mission \"early\" #", mission);
    EXPECT_EQ(outcome.result, kParseLexicalError);
    EXPECT_EQ(mission.missionName, std::optional<std::string_view>("early"));
}

TEST(ParserTest, ParsersAreIndependent) {
    Mission first;
    Mission second;
    const std::string text = kPrefix + "wait 1 }; }";
    EXPECT_EQ(parseText(text, first).result, kParseSucceeded);
    EXPECT_EQ(parseText(text, second).result, kParseSucceeded);
    EXPECT_EQ(first.teams[0]->instructions.size(), 1u);
    EXPECT_EQ(second.teams[0]->instructions.size(), 1u);
}

}  // namespace
}  // namespace zeb
