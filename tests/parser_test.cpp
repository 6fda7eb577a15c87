// The engine's timing: which actions run before the next token is read, what
// default reductions do before an error is found, and the report's near text.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/mission_generator.h"
#include "frontend/error_report.h"
#include "frontend/lexer.h"
#include "frontend/parser.h"
#include "model/mission.h"
#include "output/mission_printer.h"
#include "output/output_sink.h"

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

// A large parse runs its actions on a second thread while it goes on. On
// any text that must end as a parse that runs them itself: the same result,
// the same report (a failed check is found again by its place among the
// actions), and the same record, which after a failure holds what the
// actions before it made.
struct Finished {
    ParseResult result;
    std::string diagnostics;
    std::string record;  // the listing, or after a failure what each list holds
};

Finished parseRunningActions(const std::string& text, bool onSecondThread) {
    Mission mission;
    Lexer lexer(text);
    Finished finished;
    Parser parser(lexer, mission, finished.diagnostics);
    parser.deferActionsFrom(onSecondThread ? 0 : SIZE_MAX);
    finished.result = parser.parse();
    if (finished.result == kParseSucceeded) {
        OutputSink sink(&finished.record);
        print(sink, mission);
        return finished;
    }
    std::ostringstream sizes;
    sizes << mission.locations.size() << ' ' << mission.areas.size() << ' ' << mission.forces.size() << ' '
          << mission.members.size() << ' ' << mission.objectives.size() << ' ' << mission.annotation.has_value();
    for (const Team* team : mission.teams) sizes << ' ' << team->instructions.size();
    finished.record = sizes.str();
    return finished;
}

// Returns how the parse ended: its result, or 4 for a failed name check.
int expectSameEitherWay(const std::string& text, const std::string& what) {
    const Finished inLoop = parseRunningActions(text, false);
    const Finished deferred = parseRunningActions(text, true);
    EXPECT_EQ(deferred.result, inLoop.result) << what;
    EXPECT_EQ(deferred.diagnostics, inLoop.diagnostics) << what;
    EXPECT_EQ(deferred.record, inLoop.record) << what;
    const bool nameCheck =
        inLoop.result == kParseFailed && inLoop.diagnostics.find("CAUSE parse error") == std::string::npos;
    return nameCheck ? 4 : inLoop.result;
}

TEST(ConcurrentActions, EveryKeptMissionEndsAlikeEitherWay) {
    namespace fs = std::filesystem;
    std::size_t seen = 0;
    for (const char* folder : {"tests/golden", "tests/diagnostics", "examples", "fuzz/seeds"}) {
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(ZEB_SOURCE_DIR) / folder)) {
            if (entry.path().extension() != ".mission") continue;
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            expectSameEitherWay(text, entry.path().string());
            ++seen;
        }
    }
    EXPECT_GT(seen, 40u);
}

// Generated missions of every shape, of many blocks of actions, spoilt at
// places through the text: a name no declaration has, a syntax error, a
// character no token starts with, the text cut short, and a wrong name
// with a syntax error after it (the name's report must win) or before it.
TEST(ConcurrentActions, LargeMissionsSpoiltAnywhereEndAlike) {
    std::vector<int> endings(5, 0);
    for (const char* shapeName : {"member", "plan", "map", "text", "mix"}) {
        bench::ShapeKind kind{};
        ASSERT_TRUE(bench::shapeKindFromName(shapeName, kind));
        std::string text = bench::generateMission(bench::shapeForBytes(600'000, 7, kind), 7);
        // LF line ends: the lexer takes the text as it is.
        std::erase(text, '\r');
        ++endings[expectSameEitherWay(text, shapeName)];
        for (const double at : {0.02, 0.37, 0.81, 0.999}) {
            // The identifier that starts at or after the place: a reference
            // to it fails its check (a declaration merely adds a name).
            std::size_t start = static_cast<std::size_t>(static_cast<double>(text.size()) * at);
            start = text.find_first_of("abcdefghijklmnopqrstuvwxyz", text.find_first_of(" (,", start));
            const std::size_t end = text.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_", start);
            std::string wrongName = text;
            wrongName.replace(start, end - start, "nowhere_zz");
            const std::string where = std::string(shapeName) + " at " + std::to_string(at);
            ++endings[expectSameEitherWay(wrongName, where + ": wrong name")];
            ++endings[expectSameEitherWay(wrongName.substr(0, wrongName.size() * 9 / 10) + " ;; }",
                                          where + ": then a syntax error")];
            std::string syntaxFirst = wrongName;
            syntaxFirst.insert(start > 100 ? start - 100 : 0, " ;; ");
            ++endings[expectSameEitherWay(syntaxFirst, where + ": a syntax error first")];
            std::string lexical = text;
            lexical.insert(start, "#");
            ++endings[expectSameEitherWay(lexical, where + ": a character no token starts with")];
            ++endings[expectSameEitherWay(text.substr(0, start), where + ": cut short")];
        }
    }
    // Every way to end was met, the failed check most of all.
    for (const int ending : {kParseSucceeded, kParseFailed, kParseLexicalError})
        EXPECT_GT(endings[ending], 0) << ending;
    EXPECT_GT(endings[4], 10);
}

}  // namespace
}  // namespace zeb
