// zeb check through the real binary: what each format writes, the exit
// statuses, the paths it takes, and that the first error is the compiler's.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/source_lines.h"
#include "bench/mission_generator.h"
#include "frontend/source_reader.h"
#include "output/mission_printer.h"
#include "tests/run_support.h"

namespace zeb::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = fs::path(ZEB_SOURCE_DIR);

TEST(ZebCheck, ExitStatusSaysWhetherAnyFileHasAnError) {
    ScratchDir scratch;
    const std::string clean = scratch.write("clean.mission", kClean);
    const std::string warned = scratch.write("warned.mission", kWarning);
    const std::string failing = scratch.write("failing.mission", kNameErrors);
    EXPECT_EQ(runZeb({"check", clean}).status, 0);
    EXPECT_EQ(runZeb({"check", warned}).status, 0);
    EXPECT_EQ(runZeb({"check", clean, failing, warned}).status, 1);
    const RunResult missing = runZeb({"check", clean, (scratch.dir() / "absent.mission").string()});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("absent.mission: No such file or directory"), std::string::npos) << missing.err;
    EXPECT_EQ(runZeb({"check"}).status, 2);
    EXPECT_EQ(runZeb({"check", "--format=yaml", clean}).status, 2);
    EXPECT_EQ(runZeb({"frobnicate"}).status, 2);
    for (const char* help : {"--help", "--version"}) {
        const RunResult r = runZeb({help});
        EXPECT_EQ(r.status, 0) << help;
        EXPECT_FALSE(r.out.empty()) << help;
    }
}

TEST(ZebCheck, NameErrorsAfterTheFirstAreReportedToo) {
    ScratchDir scratch;
    scratch.write("f.mission", kNameErrors);
    const RunResult both = runZeb({"check", "f.mission"}, scratch.dir().string());
    EXPECT_EQ(both.status, 1);
    EXPECT_NE(both.out.find("f.mission:3:27: error: 'b' is not a declared location"), std::string::npos) << both.out;
    EXPECT_NE(both.out.find("f.mission:3:38: error: 'c' is not a declared location"), std::string::npos) << both.out;
}

TEST(ZebCheck, JsonHasOneObjectPerDiagnosticWithItsRange) {
    ScratchDir scratch;
    const std::string path = scratch.write("f.mission", kNameErrors);
    const RunResult r = runZeb({"check", "--format=json", path, path});
    const nlohmann::json all = nlohmann::json::parse(r.out);
    ASSERT_TRUE(all.is_array());
    ASSERT_EQ(all.size(), 4u);
    const nlohmann::json& first = all[0];
    EXPECT_EQ(first["file"], path);
    EXPECT_EQ(first["line"], 3);
    EXPECT_EQ(first["column"], 27);
    EXPECT_EQ(first["end_line"], 3);
    EXPECT_EQ(first["end_column"], 28);
    EXPECT_EQ(first["severity"], "error");
    EXPECT_EQ(first["code"], "undeclared-location");
    EXPECT_EQ(all[2], all[0]);
    EXPECT_EQ(nlohmann::json::parse(runZeb({"check", "--format=json", scratch.write("c.mission", kClean)}).out),
              nlohmann::json::array());
}

TEST(ZebCheck, GithubFormatWritesWorkflowCommands) {
    ScratchDir scratch;
    const std::string path = scratch.write("w,1.mission", kWarning);
    const RunResult r = runZeb({"check", "--format=github", path});
    EXPECT_EQ(r.status, 0);
    const std::string escaped = fs::path(path).parent_path().string() + "/w%2C1.mission";
    EXPECT_EQ(r.out, "::warning file=" + escaped +
                         ",line=1,col=85,endLine=1,endColumn=90::integer 40000 is outside -32768..32767 and is read "
                         "as -25536\n");
}

TEST(ZebCheck, DirectoriesGiveTheirMissionFilesInSortedOrder) {
    ScratchDir scratch;
    scratch.write("b/2.mission", kNameErrors);
    scratch.write("a.mission", kNameErrors);
    scratch.write("b/1.mission", kNameErrors);
    scratch.write("notes.txt", "not a mission");
    fs::create_directory_symlink(scratch.dir(), scratch.dir() / "b" / "loop");
    const RunResult r = runZeb({"check", "--format=json", "."}, scratch.dir().string());
    std::vector<std::string> files;
    for (const auto& d : nlohmann::json::parse(r.out)) {
        if (files.empty() || files.back() != d["file"]) files.push_back(d["file"]);
    }
    EXPECT_EQ(files, (std::vector<std::string>{"./a.mission", "./b/1.mission", "./b/2.mission"}));
}

// A folder that cannot be read is reported, and the walk goes on beside it.
TEST(ZebCheck, AnUnreadableFolderIsReportedAndTheRestChecked) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run the check as another user";
    ScratchDir scratch;
    scratch.write("locked/a.mission", kNameErrors);
    scratch.write("open/b.mission", kNameErrors);
    fs::permissions(scratch.dir() / "locked", fs::perms::none);
    RunOptions options;
    options.binary = ZEB_COMMAND;
    options.runAsUser = 65534;
    const RunResult r = runBinary({"check", scratch.dir().string()}, options);
    fs::permissions(scratch.dir() / "locked", fs::perms::owner_all);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("locked: Permission denied"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("b.mission:3:27: error:"), std::string::npos) << r.out;
}

TEST(ZebCheck, StandardInputAndAFifoWithoutWriter) {
    ScratchDir scratch;
    const std::string in = scratch.write("in.mission", kNameErrors);
    const RunResult r = runZeb({"check", "-"}, "", in);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.rfind("<stdin>:3:27: error:", 0), 0u) << r.out;
    const std::string fifo = (scratch.dir() / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const RunResult empty = runZeb({"check", fifo});
    EXPECT_EQ(empty.status, 1);  // read as empty: the mission is missing
    EXPECT_NE(empty.out.find("unexpected end of file, expected 'mission'"), std::string::npos) << empty.out;
}

TEST(ZebCheck, ParallelOutputIsInPathOrder) {
    ScratchDir scratch;
    std::vector<std::string> args = {"check", "--format=text"};
    for (int i = 0; i < 40; ++i) {
        // Sizes that vary, so that files finish out of order.
        std::string text = kNameErrors;
        for (int k = 0; k < (i * 37) % 400; ++k) text += "// padding line\n";
        args.push_back(scratch.write("f" + std::to_string(i) + ".mission", text));
    }
    std::vector<std::string> one = args;
    one.insert(one.begin() + 1, "--jobs=1");
    std::vector<std::string> four = args;
    four.insert(four.begin() + 1, "--jobs=4");
    const RunResult serial = runZeb(one);
    EXPECT_EQ(serial.status, 1);
    EXPECT_EQ(runZeb(four).out, serial.out);
}

TEST(ZebCheck, TooDeepIsItsOwnError) {
    std::string text = "mission \"m\" { author \"a\"; description \"d\"; rules { }; map \"m\" {\n";
    for (int i = 0; i < 5000; ++i) text += "location l" + std::to_string(i) + " = <1, 2, 3>;\n";
    text += "}; force \"f\" { team \"t\" { }; }; objectives { }; ; }\n";
    const MissionAnalysis analysis = analyzeMission(std::make_shared<const std::string>(text));
    ASSERT_EQ(analysis.diagnostics.size(), 1u);
    EXPECT_EQ(analysis.diagnostics[0].code, "too-deep");
}

// Every declaration and use of a name, and every comment, with its place.
TEST(ZebCheck, NamesAndCommentsAreRecordedWhereTheyStand) {
    const std::string text =
        "mission \"m\" { author \"a\"; description \"d\"; rules { };\n"
        "map \"m\" { location gate = <1, 2, 3>; location yard = <4, 5, 6>\n"
        "  area north { style = open; locations = gate, yard; };  // two areas\n"
        "  area south { style = open; locations = yard; } };\n"
        "force \"blue\" { team \"red\" { npc \"hawk\" \"h\" { skill = 3 } }; };\n"
        "objectives { success (\"blue\", \"w\") = (alive (\"hawk\") && reached (\"north\")) -> { \"r\" } };\n"
        "/* plans */ plan \"red\" { attack towards gate; patrol (north, south) }; }\n";
    const auto shared = std::make_shared<const std::string>(text);
    const MissionAnalysis analysis = analyzeMission(shared);
    ASSERT_TRUE(analysis.diagnostics.empty());
    const std::string_view source = *shared;  // the names are views of this text
    const SourceLines lines(source);
    std::vector<std::string> seen;
    for (const NameMention& m : analysis.names) {
        const std::optional<Span> span = spanIn(source, m.name);
        ASSERT_TRUE(span) << m.name;
        const SourcePlace at = lines.place(span->begin);
        seen.push_back(std::string(m.declaration ? "decl " : "use ") + std::to_string(static_cast<int>(m.kind)) + " " +
                       std::string(m.name) + " " + std::to_string(at.line) + ":" + std::to_string(at.column));
    }
    // Kinds: 0 location, 1 area, 2 force, 3 team, 4 member.
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "decl 0 gate 2:20", "decl 0 yard 2:47", "decl 1 north 3:8", "use 0 gate 3:42",
                        "use 0 yard 3:48", "decl 1 south 4:8", "use 0 yard 4:42", "decl 2 blue 5:8", "decl 3 red 5:22",
                        "decl 4 hawk 5:34", "use 2 blue 6:24", "use 4 hawk 6:47", "use 1 north 6:67", "use 3 red 7:19",
                        "use 0 gate 7:41", "use 1 north 7:55", "use 1 south 7:62"}));
    EXPECT_EQ(analysis.comments, (std::vector<std::string_view>{"// two areas", "/* plans */"}));
}

// A large text is parsed first as the compiler parses it, with the actions
// on a second thread, and again, collecting every error, only when it has
// one. Either way the analysis must be the same: for every kept mission,
// many of them with errors, and for generated ones of every shape, whole
// and with a syntax error at their end.
TEST(ConcurrentAnalysis, IsTheSameWithTheActionsOnASecondThread) {
    if (!DeferredActions::worthwhile()) GTEST_SKIP() << "one processor: the actions never leave the parse";
    const auto described = [](std::string text, std::size_t from) {
        normaliseLineEnds(text);
        const auto shared = std::make_shared<const std::string>(std::move(text));
        AnalysisOptions options;
        options.actionsOnSecondThreadFrom = from;
        const MissionAnalysis analysis = analyzeMission(shared, options);
        const auto place = [&](std::string_view view) {
            const std::optional<Span> span = spanIn(*shared, view);
            return span ? std::to_string(span->begin) + "+" + std::to_string(span->end - span->begin) : "?";
        };
        std::string out;
        for (const Diagnostic& d : analysis.diagnostics) {
            out += std::string(d.code) + " " + std::to_string(d.span.begin) + " " + d.message + "\n";
        }
        for (const NameMention& m : analysis.names) out += "name " + place(m.name) + "\n";
        for (std::string_view comment : analysis.comments) out += "comment " + place(comment) + "\n";
        if (!analysis.hasError()) {
            OutputSink sink(&out);
            print(sink, *analysis.mission);
        }
        return out;
    };
    std::vector<std::string> texts;
    for (const char* folder : {"tests/golden", "tests/diagnostics", "examples"}) {
        for (const auto& entry : fs::recursive_directory_iterator(kSource / folder)) {
            if (entry.path().extension() == ".mission") texts.push_back(readFile(entry.path().string()));
        }
    }
    for (const char* shapeName : {"member", "plan", "map", "text", "mix"}) {
        bench::ShapeKind kind{};
        ASSERT_TRUE(bench::shapeKindFromName(shapeName, kind));
        texts.push_back(bench::generateMission(bench::shapeForBytes(300'000, 3, kind), 3));
        texts.push_back(texts.back() + "}\n");
    }
    std::size_t withErrors = 0;
    for (const std::string& text : texts) {
        const std::string alone = described(text, AnalysisOptions::kNever);
        ASSERT_EQ(described(text, 0), alone) << text.substr(0, 200);
        withErrors += alone.find("error") != std::string::npos ? 1 : 0;
    }
    EXPECT_GT(withErrors, 10u);
    EXPECT_GT(texts.size(), 40u);
}

// Places of offsets, across the kept line starts (every 64th line), at line
// ends and at the end of texts with and without a last line end.
TEST(SourceLines, PlacesOfOffsets) {
    std::string many;
    for (int i = 0; i < 200; ++i) many += "line " + std::to_string(i + 1) + "\n";
    struct Case {
        std::string text;
        std::size_t offset;
        std::uint64_t line, column;
    };
    const std::vector<Case> cases = {
        {"", 0, 1, 1},
        {"abc", 1, 1, 2},
        {"abc", 3, 1, 4},
        {"abc", 99, 1, 4},
        {"a\nb", 1, 1, 2},
        {"a\nb", 2, 2, 1},
        {"a\n", 2, 2, 1},
        {"\n\n\n", 2, 3, 1},
        {many, many.find("line 64\n"), 64, 1},
        {many, many.find("line 65\n") + 3, 65, 4},
        {many, many.find("line 129\n"), 129, 1},
        {many, many.size(), 201, 1},
    };
    for (const Case& c : cases) {
        const SourceLines lines(c.text);
        const SourcePlace place = lines.place(c.offset);
        EXPECT_EQ(place.line, c.line) << c.offset;
        EXPECT_EQ(place.column, c.column) << c.offset;
    }
    const SourceLines lines(many);
    EXPECT_EQ(lines.lineCount(), 201u);
    EXPECT_EQ(lines.lineText(130), "line 130");
    EXPECT_EQ(lines.lineText(201), "");
    EXPECT_EQ(lines.lineStart(66), many.find("line 66\n"));
}

// The first error of a refused file is the compiler's: the cause it reports
// and the code zeb check gives it name the same fault.
TEST(ZebCheck, FirstErrorIsTheCompilersOnEveryErrorExample) {
    const std::vector<std::pair<std::string, std::string>> causeToCode = {
        {"parse error", "syntax-error"},
        {"location label '%s' not declared", "undeclared-area-location"},
        {"team name '%s' already in use", "duplicate-team"},
        {"use of undeclared team or force", "undeclared-subject"},
        {"use of undeclared team", "undeclared-plan-team"},
        {"use of undeclared location", "undeclared-location"},
        {"patrol area list needs to include at least two areas", "patrol-list-too-short"},
        {"patrol command requires at least 2 areas to be defined", "patrol-needs-two-areas"},
    };
    std::size_t checked = 0;
    for (const auto& entry : fs::directory_iterator(kSource / "examples" / "errors")) {
        if (entry.path().extension() != ".mission") continue;
        const std::string text = readFile(entry.path().string());
        const RunResult legacy = compileInProcess(text);
        ASSERT_EQ(legacy.status, 1) << entry.path();
        const MissionAnalysis analysis = analyzeMission(std::make_shared<const std::string>(text));
        ASSERT_FALSE(analysis.diagnostics.empty()) << entry.path();
        const Diagnostic& first = analysis.diagnostics.front();
        const std::size_t cause = legacy.err.find("CAUSE ");
        if (cause == std::string::npos) {
            EXPECT_EQ(first.code, "lexical-error") << entry.path();
        } else {
            std::string text = legacy.err.substr(cause + 6, legacy.err.find('\n', cause) - cause - 6);
            std::string expected = "?";
            for (const auto& [legacyCause, code] : causeToCode) {
                const std::size_t hole = legacyCause.find("%s");
                const bool matches = hole == std::string::npos
                                         ? text == legacyCause
                                         : text.rfind(legacyCause.substr(0, hole), 0) == 0 &&
                                               text.size() >= legacyCause.size() - 2 &&
                                               text.compare(text.size() - (legacyCause.size() - hole - 2),
                                                            std::string::npos, legacyCause.substr(hole + 2)) == 0;
                if (matches) expected = code;
            }
            EXPECT_EQ(first.code, expected) << entry.path() << ": " << text;
        }
        ++checked;
    }
    EXPECT_GE(checked, 10u);
}

}  // namespace
}  // namespace zeb::testing
