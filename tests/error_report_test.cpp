// Every syntax and name error is reported at its token and line, with its
// cause, and ends the run with the failure line. Cases start from a small
// valid mission with one section per line and replace one section.

#include <gtest/gtest.h>

#include <string>

#include "tests/run_support.h"

namespace zeb::testing {
namespace {

struct Mission {
    std::string header = "mission \"m\" {";          // line 1
    std::string author = "author \"a\";";            // line 2
    std::string description = "description \"d\";";  // line 3
    std::string rules = "rules { };";                // line 4
    std::string map =
        "map \"w\" { location l = <1,2,3>; location g = <4,5,6>; "
        "area a { style = open; locations = l; }; area b { style = roof; locations = g; } };";              // line 5
    std::string forces = "force \"f\" { team \"t\" { npc \"n\" \"x\" { skill = 3 } }; team \"u\" { }; };";  // line 6
    std::string objectives = "objectives { };";                                                             // line 7
    std::string plans = ";";                                                                                // line 8
    std::string end = "}";                                                                                  // line 9

    std::string text() const {
        return header + "\n" + author + "\n" + description + "\n" + rules + "\n" + map + "\n" + forces + "\n" +
               objectives + "\n" + plans + "\n" + end + "\n";
    }
};

std::string report(int line, const std::string& nearText, const std::string& cause) {
    return "ERROR in syntax found, at line " + std::to_string(line) + "\nnear: '" + nearText + "'.\nCAUSE " + cause +
           "\nzebparser: there were errors during compilation\n";
}

void expectReport(const std::string& source, int line, const std::string& nearText, const std::string& cause) {
    const RunResult result = compileInProcess(source);
    EXPECT_EQ(result.status, 1) << source;
    EXPECT_EQ(result.out, "") << source;
    EXPECT_EQ(result.err, report(line, nearText, cause)) << source;
}

// A text the language accepts: exit 0, and the errors (if any) shown.
void expectAccepted(const std::string& source, const std::string& what = "") {
    const RunResult result = compileInProcess(source);
    EXPECT_EQ(result.status, 0) << what << "\n" << result.err;
}

void expectSyntaxError(const std::string& source, int line, const std::string& nearText) {
    expectReport(source, line, nearText, "parse error");
}

TEST(ErrorReportTest, BaseMissionIsValid) {
    expectAccepted(Mission().text());
}

// ---- file structure, header and rules ----

TEST(ErrorReportTest, EmptyFileIsAnErrorAtEndOfInput) {
    expectSyntaxError("", 1, "");
}

TEST(ErrorReportTest, FileEndingEarlyIsAnErrorAtEndOfInput) {
    Mission m;
    m.end = "";
    expectSyntaxError(m.text(), 10, "");
    expectSyntaxError("mission \"m\" { /* never closed", 1, "");
}

TEST(ErrorReportTest, HeaderSections) {
    Mission m;
    m.author = "";
    expectSyntaxError(m.text(), 3, "description");
    m = Mission();
    m.author = m.description;
    m.description = "author \"a\";";
    expectSyntaxError(m.text(), 2, "description");
    m = Mission();
    m.header = "mission m {";
    expectSyntaxError(m.text(), 1, "m");
    m = Mission();
    m.author = "author \"\";";  // an empty quoted text is no token
    expectSyntaxError(m.text(), 2, ";");
    m = Mission();
    m.author = "author \"\" \"a\";";
    expectAccepted(m.text());
    m = Mission();
    m.description = "description \"two\nlines\";";  // the second STRING is the line end
    expectSyntaxError(m.text(), 4, "\n");
}

TEST(ErrorReportTest, RulesSection) {
    for (const char* valid : {"rules { };", "rules { respawn = team };", "rules { respawn = team; };",
                              "rules { respawn = none; respawn = individual };"}) {
        Mission m;
        m.rules = valid;
        expectAccepted(m.text(), valid);
    }
    Mission m;
    m.rules = "rules { ; };";
    expectSyntaxError(m.text(), 4, ";");
    m.rules = "rules { respawn = team respawn = none };";
    expectSyntaxError(m.text(), 4, "respawn");
    m.rules = "rules { respawn = team }";
    expectSyntaxError(m.text(), 5, "map");
    m.rules = "rules { respawn = foo; };";
    expectSyntaxError(m.text(), 4, "foo");
}

TEST(ErrorReportTest, TextAfterTheMission) {
    Mission m;
    m.end = "} ;";
    expectSyntaxError(m.text(), 9, ";");
    m.end = "}\n\n  trailing";
    expectSyntaxError(m.text(), 11, "trailing");
}

TEST(ErrorReportTest, TokensOfNoProduction) {
    Mission m;
    m.rules = "rules { set };";
    expectSyntaxError(m.text(), 4, "set");
    m.rules = "rules { . };";
    expectSyntaxError(m.text(), 4, ".");
}

TEST(ErrorReportTest, ErrorTokenOnTheNextLineReportsItsLine) {
    Mission m;
    m.rules = "rules { respawn = team\n\n respawn = none };";
    expectSyntaxError(m.text(), 6, "respawn");
}

// ---- map ----

TEST(ErrorReportTest, MapSyntax) {
    struct Case {
        const char* map;
        const char* nearText;
    };
    const Case cases[] = {
        {"map \"w\" { style = ; };", ";"},
        {"map \"w\" { annotation = ; };", ";"},
        {"map \"w\" { location l = <1.0,2,3>; };", "1.0"},
        {"map \"w\" { location roof = <1,2,3>; };", "roof"},
        {"map \"w\" { location l = <1,2,3>; area a { style = open; locations = l } };", "}"},
        {"map \"w\" { location l = <1,2,3>; area a { style = open; locations = l; entrances = l exits = l; } };",
         "exits"},
        {"map \"w\" { location l = <1,2,3>; area a { style = open; locations = l; windows = l; radius = 3; } };",
         "radius"},
        {"map \"w\" { location l = <1,2,3>; area a { style = open; locations = l; radius = 2.5 } };", "2.5"},
        {"map \"w\" { location l = <1,2,3>; area a { style = open; locations = l; } area b", "area"},
        {"map \"w\" { location l = <1,2,3>; area a { style = open; locations = l, ; } };", ";"},
        {"map \"w\" { location l = <1,2,3>; area a { style = open closed; locations = l; } };", "closed"},
        {"map \"w\" { style = none; };", "none"},
    };
    for (const Case& c : cases) {
        Mission m;
        m.map = c.map;
        expectSyntaxError(m.text(), 5, c.nearText);
    }
}

TEST(ErrorReportTest, MapAcceptsItsOptionalForms) {
    const char* const maps[] = {
        "map \"w\" { };",
        "map \"w\" { style = open, urban, dark, indoor; annotation = \"x\" \"y\"; };",
        "map \"w\" { location l = <1,2,3> };",
        "map \"w\" { location l = <-1,-2,-3>; location l = <1,2,3>; };",
        "map \"w\" { location l = <1,2,3> area a { style = open; locations = l; windows = l radius = 3 } };",
        "map \"w\" { location l = <1,2,3>; area a { style = open; locations = l; windows = l radius = 3; }; };",
        "map \"w\" { location l = <1,2,3>; area a { style = open; locations = l; radius = 3; } };",
        "map \"w\" { location l = <1,2,3>; area a { style = open; locations = l; windows = l; } };",
        ("map \"w\" { location l = <1,2,3>; area a { style = open; locations = l, l; entrances = l; exits = l; "
         "windows = l }; area a { style = closed; locations = l; } };"),
    };
    for (const char* map : maps) {
        Mission m;
        m.map = map;
        expectAccepted(m.text(), map);
    }
}

TEST(ErrorReportTest, UndeclaredLocationLabelInEveryAreaList) {
    for (const char* list : {"locations = zz;", "locations = l; entrances = l, zz;", "locations = l; exits = zz;",
                             "locations = l; windows = zz"}) {
        Mission m;
        m.map = std::string("map \"w\" { location l = <1,2,3>; area a { style = open; ") + list + " } };";
        expectReport(m.text(), 5, "zz", "location label 'zz' not declared");
    }
}

// ---- forces ----

TEST(ErrorReportTest, ForcesSyntax) {
    Mission m;
    m.forces = "";
    expectSyntaxError(m.text(), 7, "objectives");
    m.forces = "force \"f\" { };";
    expectSyntaxError(m.text(), 6, "}");
    m.forces = "force \"f\" { team \"t\" { } };";
    expectSyntaxError(m.text(), 6, "}");
    m.forces = "force \"f\" { team \"t\" { }; }";
    expectSyntaxError(m.text(), 7, "objectives");
    m.forces = "force \"f\" { team \"t\" { npc \"a\" \"x\" { skill = 3 } npc \"b\" \"x\" { skill = 3 } }; };";
    expectSyntaxError(m.text(), 6, "npc");
    m.forces = "force \"f\" { team \"t\" { npc \"a\" \"x\" { } }; };";
    expectSyntaxError(m.text(), 6, "}");
    m.forces = "force \"f\" { team \"t\" { player \"a\" { } }; };";
    expectSyntaxError(m.text(), 6, "{");
    m.forces = "force \"f\" { team \"t\" { npc \"a\" \"x\" { skill = 1; ; } }; };";
    expectSyntaxError(m.text(), 6, ";");
    m.forces = "force \"f\" { team \"t\" { player \"a\" \"x\" { ammo \"c\" = 3.0 } }; };";
    expectSyntaxError(m.text(), 6, "3.0");
}

TEST(ErrorReportTest, ForcesAcceptTheirOptionalForms) {
    Mission m;
    m.forces =
        "force \"f\" { team \"t\" { npc \"a\" \"x\" { weapon \"w\"; ammo \"c\" = 3; item \"i\" skill = 2.5; }; "
        "player \"p\" \"y\" { }; player \"f\" \"t\" { item \"k\"; skill = 9 }; }; team \"f\" { }; };";
    expectAccepted(m.text());
}

TEST(ErrorReportTest, DuplicateNamesAreReportedAtTheName) {
    Mission m;
    m.forces = "force \"f\" { team \"t\" { }; }; force \"f\" { team \"u\" { }; };";
    expectReport(m.text(), 6, "f", "force name 'f' already in use");
    m.forces = "force \"f\" { team \"t\" { }; }; force \"g\" { team \"t\" { }; };";
    expectReport(m.text(), 6, "t", "team name 't' already in use");
    m.forces =
        "force \"f\" { team \"t\" { npc \"n\" \"x\" { skill = 1 } }; team \"u\" { player \"n\" \"second\" { } }; };";
    expectReport(m.text(), 6, "second", "member name 'n' already in use");
    m.forces = "force \"F\" { team \"f\" { }; team \"F\" { }; }; force \"f\" { team \"T\" { }; };";
    expectAccepted(m.text(), "names differing in case, or of other kinds, are distinct");
}

TEST(ErrorReportTest, LongNamesAppearWholeInTheCause) {
    const std::string name(300, 'n');
    Mission m;
    m.forces = "force \"" + name + "\" { team \"t\" { }; }; force \"" + name + "\" { team \"u\" { }; };";
    expectReport(m.text(), 6, name, "force name '" + name + "' already in use");
}

// ---- objectives ----

TEST(ErrorReportTest, ObjectivesSyntax) {
    struct Case {
        const char* objectives;
        const char* nearText;
    };
    const Case cases[] = {
        {"objectives { success (\"t\", \"d\") = timeout(1) -> { } };", "}"},
        {"objectives { success (\"t\", \"d\") = timeout(1) -> { done } };", "done"},
        {"objectives { success (t, \"d\") = timeout(1) -> { \"x\" } };", "t"},
        {"objectives { success (\"t\") = timeout(1) -> { \"x\" } };", ")"},
        {"objectives { success (\"t\", \"d\") = (timeout(1) && timeout(2) || timeout(3)) -> { \"x\" } };", "||"},
        {"objectives { success (\"t\", \"d\") = timeout(1) && timeout(2) -> { \"x\" } };", "&&"},
        {"objectives { success (\"t\", \"d\") = !timeout(1) -> { \"x\" } };", "timeout"},
        {"objectives { success (\"t\", \"d\") = (timeout(1)) -> { \"x\" } };", ")"},
        {"objectives { success (\"t\", \"d\") = eliminated(t) -> { \"x\" } };", "t"},
        {"objectives { success (\"t\", \"d\") = occupied(\"a\") -> { \"x\" } };", "a"},
        {"objectives { success (\"t\", \"d\") = timeout(1.5) -> { \"x\" } };", "1.5"},
        {"objectives { success (\"t\", \"d\") = timeout(1) };", "}"},
        {"objectives { success (\"t\", \"d\") timeout(1) -> { \"x\" } };", "timeout"},
    };
    for (const Case& c : cases) {
        Mission m;
        m.objectives = c.objectives;
        expectSyntaxError(m.text(), 7, c.nearText);
    }
}

TEST(ErrorReportTest, ObjectiveNameChecks) {
    struct Case {
        const char* objectives;
        const char* cause;
    };
    const Case cases[] = {
        {"objectives { success (\"n\", \"d\") = timeout(1) -> { \"x\" } };", "use of undeclared team or force"},
        {"objectives { failure (\"zz\", \"d\") = timeout(1) -> { \"x\" } };", "use of undeclared team or force"},
        {"objectives { success (\"t\", \"d\") = eliminated(\"l\") -> { \"x\" } };",
         "use of undeclared member, team or force"},
        {"objectives { success (\"t\", \"d\") = !(alive(\"zz\")) -> { \"x\" } };",
         "use of undeclared member, team or force"},
        {"objectives { success (\"t\", \"d\") = (timeout(1) || reached(\"t\")) -> { \"x\" } };",
         "use of undeclared member, location, or area"},
    };
    for (const Case& c : cases) {
        Mission m;
        m.objectives = c.objectives;
        expectReport(m.text(), 7, ")", c.cause);
    }
}

TEST(ErrorReportTest, ObjectivesAcceptTheirForms) {
    Mission m;
    m.objectives =
        "objectives { success (\"f\", \"d\") = !(!(occupied(nowhere))) -> { \"x\" }; "
        "failure (\"t\", \"e\") = !((eliminated(\"n\") && alive(\"f\"))) -> { \"y\", \"z\" }; "
        "success (\"u\", \"g\") = ((reached(\"l\") || reached(\"n\")) && reached(\"a\")) -> { \"w\" }; };";
    expectAccepted(m.text());
}

// ---- plans ----

TEST(ErrorReportTest, PlansSyntax) {
    struct Case {
        const char* plans;
        const char* nearText;
        int line;
    };
    const Case cases[] = {
        {"plan \"t\" { }", "}", 9},
        {"plan t { };", "t", 8},
        {"plan \"t\" { advance towards l; };", ";", 8},
        {"plan \"t\" { freeze towards l; };", ";", 8},
        {"plan \"t\" { phase two; };", "two", 8},
        {"plan \"t\" { wait until code \"x\"; };", "x", 8},
        {"plan \"t\" { signal code (\"x\"); };", "(", 8},
        {"plan \"t\" { split \"x\" 2.5; };", "2.5", 8},
        {"plan \"t\" { on () { }; };", ")", 8},
        {"plan \"t\" { on (under) { }; };", ")", 8},
        {"plan \"t\" { on (contact); };", ";", 8},
        {"plan \"t\" { patrol (); };", ")", 8},
        {"plan \"t\" { patrol (a, ); };", ")", 8},
        {"plan \"t\" { abort abort };", "abort", 8},
        {"plan \"t\" { wait; };", ";", 8},
    };
    for (const Case& c : cases) {
        Mission m;
        m.plans = c.plans;
        expectSyntaxError(m.text(), c.line, c.nearText);
    }
}

TEST(ErrorReportTest, PlanNameChecks) {
    struct Case {
        const char* plans;
        const char* nearText;
        const char* cause;
    };
    const Case cases[] = {
        {"plan \"f\" { };", "f", "use of undeclared team"},
        {"plan \"T\" { };", "T", "use of undeclared team"},
        {"plan \"t\" { attack towards zz };", "zz", "use of undeclared location"},
        {"plan \"t\" { attack towards a };", "a", "use of undeclared location"},
        {"plan \"t\" { defend towards l from zz };", "zz", "use of undeclared location"},
        {"plan \"t\" { snipe from zz towards l };", "l", "use of undeclared location"},
        {"plan \"t\" { advance towards zz using \"u\" };", "u", "use of undeclared location"},
        {"plan \"t\" { spread towards zz within 2.5 };", "2.5", "use of undeclared location"},
        {"plan \"t\" { on (contact) { take cover from zz } };", "zz", "use of undeclared location"},
        // the three checks that need the following token
        {"plan \"t\" { signal towards zz; };", ";", "use of undeclared location"},
        {"plan \"t\" { patrol (a) };", ")", "patrol area list needs to include at least two areas"},
        {"plan \"t\" { patrol (a b) };", "b", "patrol area list needs to include at least two areas"},
        {"plan \"t\" { patrol (a, a) };", "a", "area label appears twice in area list"},
        {"plan \"t\" { patrol (zz, a) };", "zz", "undefined area label in patrol area list"},
        {"plan \"t\" { patrol (zz) };", "zz", "undefined area label in patrol area list"},
        {"plan \"t\" { patrol (a, l) };", "l", "undefined area label in patrol area list"},
    };
    for (const Case& c : cases) {
        Mission m;
        m.plans = c.plans;
        expectReport(m.text(), 8, c.nearText, c.cause);
    }
}

TEST(ErrorReportTest, BarePatrolNeedsTwoAreas) {
    Mission m;
    m.plans = "plan \"t\" { patrol };";
    expectAccepted(m.text());
    m.map = "map \"w\" { location l = <1,2,3>; area a { style = open; locations = l; } };";
    expectReport(m.text(), 8, "}", "patrol command requires at least 2 areas to be defined");
    m.plans = "plan \"t\" { patrol wait 3 };";
    expectReport(m.text(), 8, "wait", "patrol command requires at least 2 areas to be defined");
}

TEST(ErrorReportTest, CompletedConstructIsRecordedBeforeTheWrongToken) {
    Mission m;
    m.plans = "plan \"t\" { patrol (a, b c) };";
    expectSyntaxError(m.text(), 8, "c");
    m.plans = "plan \"t\" { signal towards l wait };";
    expectSyntaxError(m.text(), 8, "wait");
}

TEST(ErrorReportTest, PlansAcceptTheirForms) {
    Mission m;
    m.plans =
        "plan \"t\" { }; plan \"u\" { wait -5; wait forever; }; plan \"t\" { on (contact, contact, code \"a\", "
        "under fire, casualty, code \"b\") { on (casualty) { } }; signal towards l; signal towards g \"go\" };";
    expectAccepted(m.text());
}

TEST(ErrorReportTest, FirstErrorOnlyIsReported) {
    Mission m;
    m.forces = "force \"f\" { team \"t\" { }; team \"t\" { }; }; force \"f\" { team \"v\" { }; };";
    m.plans = "plan \"zz\" { };";
    expectReport(m.text(), 6, "t", "team name 't' already in use");
}

// ---- the parser's stack limit ----

// Locations on one line: before the first one the stack holds 14 entries,
// each finished declaration with its ";" adds 2, and the last declaration
// peaks at 11 more, so n locations need 2n + 23 entries.
std::string missionWithLocations(int count) {
    Mission m;
    std::string map = "map \"w\" { ";
    for (int i = 0; i < count; ++i) map += "location l = <1,2,3>; ";
    m.map = map + "};";
    return m.text();
}

TEST(ErrorReportTest, StackHoldsAtMost9999Entries) {
    expectAccepted(missionWithLocations(4988), "9999 entries");
    expectReport(missionWithLocations(4989), 5, "3", "parser stack overflow");
}

}  // namespace
}  // namespace zeb::testing
