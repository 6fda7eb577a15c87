// Input and surroundings that a careless or corrupted setup produces: zero
// bytes, every byte value in every scanner mode, huge tokens, huge token
// counts, every list and nesting driven to the parser's stack limit, files
// that cannot be read, and standard streams that are full or closed. None
// may crash the tool, hang it, lose output silently or give a wrong status.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "analysis/analysis.h"
#include "frontend/lexer.h"
#include "frontend/source_reader.h"
#include "fuzz/compile_invariants.h"
#include "tests/run_support.h"

namespace zeb::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFailed = "zebparser: there were errors during compilation\n";

std::string lexicalError(int line, std::string_view nearText) {
    return "ERROR in syntax found by lex, at line " + std::to_string(line) + ", near: \"" + std::string(nearText) +
           "\".\n";
}

std::string syntaxError(int line, std::string_view nearText, std::string_view cause) {
    return "ERROR in syntax found, at line " + std::to_string(line) + "\nnear: '" + std::string(nearText) +
           "'.\nCAUSE " + std::string(cause) + "\n" + std::string(kFailed);
}

// Every run, whatever else a test expects of it, must keep the invariants
// that the fuzz target checks.
RunResult compileChecked(const std::string& source) {
    RunResult result = compileInProcess(source);
    EXPECT_EQ(fuzz::invariantViolation(result.status, result.out, result.err), "");
    return result;
}

// A complete, valid mission whose pieces can be replaced. Lines are fixed so
// that reports can name them: the rules are on line 3, the description on
// line 2.
struct Skeleton {
    std::string description = "d";
    std::string rules;
    std::string mapBody;
    std::string forces = "force \"f\" { team \"t\" { }; };";
    std::string objectives;
    std::string plans = ";";
    std::string afterRules;  // text between the rules section and the map

    std::string text() const {
        return "mission \"m\" { author \"a\";\n"
               "description \"" +
               description +
               "\";\n"
               "rules { " +
               rules + " };" + afterRules +
               "\n"
               "map \"x\" { " +
               mapBody + " };\n" + forces +
               "\n"
               "objectives { " +
               objectives + " };\n" + plans + "\n}\n";
    }
};

// ---- zero bytes ----------------------------------------------------------

TEST(HostileInput, ZeroByteOutsideCommentsIsALexicalErrorWithEmptyNearText) {
    Skeleton s;
    s.afterRules = std::string(" \0 ", 3);
    const RunResult result = compileChecked(s.text());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, lexicalError(3, ""));
}

TEST(HostileInput, ZeroByteInsideCommentsIsSkipped) {
    Skeleton s;
    s.afterRules = std::string(" /* \0 */ // \0", 13);
    const RunResult result = compileChecked(s.text());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, compileInProcess(Skeleton().text()).out);
}

TEST(HostileInput, ZeroByteInsideQuotesIsALexicalError) {
    Skeleton s;
    s.description = std::string("a\0b", 3);
    const RunResult result = compileChecked(s.text());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, lexicalError(2, ""));
}

TEST(HostileInput, ZeroBytesReadFromAFileBehaveAsInMemory) {
    Skeleton s;
    s.afterRules = std::string("\0", 1);
    const TempFile file(s.text());
    const RunResult result = runBinary({file.path()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, lexicalError(3, ""));
}

// ---- every byte value in every scanner mode --------------------------------

bool isLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool inString(std::string_view set, unsigned char c) {
    return set.find(static_cast<char>(c)) != std::string_view::npos;
}

// The byte stands alone between two tokens, with a blank on each side.
TEST(HostileInput, EveryByteBetweenTokens) {
    const std::string baseline = compileInProcess(Skeleton().text()).out;
    for (int value = 0; value < 256; ++value) {
        const auto c = static_cast<unsigned char>(value);
        Skeleton s;
        s.afterRules = std::string(" ") + static_cast<char>(c) + " ";
        SCOPED_TRACE("byte " + std::to_string(value));
        const RunResult result = compileChecked(s.text());
        if (c == ' ' || c == '\t' || c == '\n') {
            EXPECT_EQ(result.status, 0);
            EXPECT_EQ(result.out, baseline);
        } else if (c == '"') {
            // Opens a quoted text that swallows the rest of the line.
            EXPECT_EQ(result.status, 1);
        } else if (isLetter(c) || isDigit(c) || inString("{}(),=<>;!.", c)) {
            // A token of its own where the grammar wants "map".
            EXPECT_EQ(result.err, syntaxError(3, std::string(1, static_cast<char>(c)), "parse error"));
        } else {
            // Nothing else begins a token: "/", "&", "|" and "-" only do with
            // the right neighbour, and the carriage return only before a
            // line feed.
            EXPECT_EQ(result.err, lexicalError(3, c == 0 ? "" : std::string(1, static_cast<char>(c))));
        }
    }
}

TEST(HostileInput, EveryByteInsideABlockCommentIsSkipped) {
    const std::string baseline = compileInProcess(Skeleton().text()).out;
    for (int value = 0; value < 256; ++value) {
        Skeleton s;
        s.afterRules = std::string(" /* ") + static_cast<char>(value) + " */";
        SCOPED_TRACE("byte " + std::to_string(value));
        const RunResult result = compileChecked(s.text());
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, baseline);
    }
}

TEST(HostileInput, EveryByteInsideALineCommentIsSkipped) {
    const std::string baseline = compileInProcess(Skeleton().text()).out;
    for (int value = 0; value < 256; ++value) {
        Skeleton s;
        s.afterRules = std::string(" // ") + static_cast<char>(value) + " ";
        SCOPED_TRACE("byte " + std::to_string(value));
        const RunResult result = compileChecked(s.text());
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, baseline);
    }
}

constexpr std::string_view kStringStart = "!'(),-./:?\\_ ";
constexpr std::string_view kStringContinuationOnly = "#%+@^&=|";

// Inside quotes, after a letter: where a run may go on.
TEST(HostileInput, EveryByteInsideQuotesAfterALetter) {
    for (int value = 0; value < 256; ++value) {
        const auto c = static_cast<unsigned char>(value);
        Skeleton s;
        s.description = std::string("a") + static_cast<char>(c) + "b";
        SCOPED_TRACE("byte " + std::to_string(value));
        const RunResult result = compileChecked(s.text());
        if (isLetter(c) || isDigit(c) || inString(kStringStart, c) || inString(kStringContinuationOnly, c)) {
            EXPECT_EQ(result.status, 0);
            EXPECT_NE(result.out.find("\"" + s.description + "\";"), std::string::npos);
        } else if (c == '"') {
            // The text ends early and b is a name where ";" belongs.
            EXPECT_EQ(result.err, syntaxError(2, "b", "parse error"));
        } else if (c == '\n') {
            // A second STRING token where the grammar wants ";".
            EXPECT_EQ(result.err, syntaxError(3, "\n", "parse error"));
        } else {
            EXPECT_EQ(result.err, lexicalError(2, c == 0 ? "" : std::string(1, static_cast<char>(c))));
        }
    }
}

// Inside quotes, first: only a narrower set may begin a run.
TEST(HostileInput, EveryByteInsideQuotesFirst) {
    for (int value = 0; value < 256; ++value) {
        const auto c = static_cast<unsigned char>(value);
        Skeleton s;
        s.description = std::string(1, static_cast<char>(c)) + "b";
        SCOPED_TRACE("byte " + std::to_string(value));
        const RunResult result = compileChecked(s.text());
        if (isLetter(c) || isDigit(c) || inString(kStringStart, c)) {
            EXPECT_EQ(result.status, 0);
            EXPECT_NE(result.out.find("\"" + s.description + "\";"), std::string::npos);
        } else if (c == '"') {
            // An empty text gives no token, so b is where a STRING belongs.
            EXPECT_EQ(result.err, syntaxError(2, "b", "parse error"));
        } else if (c == '\n') {
            // The line end is a STRING of its own; b is a second one.
            EXPECT_EQ(result.err, syntaxError(3, "b", "parse error"));
        } else {
            EXPECT_EQ(result.err, lexicalError(2, c == 0 ? "" : std::string(1, static_cast<char>(c))));
        }
    }
}

// ---- sheer size ------------------------------------------------------------

TEST(HostileInput, HundredMegabyteQuotedText) {
    constexpr std::size_t kSize = 100u << 20;
    Skeleton s;
    s.description.assign(kSize, 'x');
    const auto start = std::chrono::steady_clock::now();
    const RunResult result = compileChecked(s.text());
    const auto elapsed = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("\"" + s.description + "\";"), std::string::npos);
    // Linear work: a quadratic step would take minutes here.
    EXPECT_LT(elapsed, std::chrono::seconds(30));
}

TEST(HostileInput, TenMillionOneCharacterTokens) {
    constexpr std::size_t kTokens = 10'000'000;
    constexpr std::string_view kOneCharacterTokens = "{}(),=<>;!.a1";
    std::string source;
    source.reserve(kTokens * 2);
    for (std::size_t i = 0; i < kTokens; ++i) {
        source.push_back(kOneCharacterTokens[i % kOneCharacterTokens.size()]);
        source.push_back(i % 80 == 79 ? '\n' : ' ');
    }
    Lexer lexer(source);
    std::size_t count = 0;
    int token = 0;
    while ((token = lexer.nextToken()) > 0) ++count;
    EXPECT_EQ(token, 0);
    EXPECT_EQ(count, kTokens);
    EXPECT_EQ(lexer.lineNumber(), static_cast<int>(kTokens / 80 + 1));
}

TEST(HostileInput, TenMillionTokensAfterACompleteMissionStopAtTheFirst) {
    std::string source = Skeleton().text();
    source.append(10'000'000, ';');
    const RunResult result = compileChecked(source);
    EXPECT_EQ(result.err, syntaxError(9, ";", "parse error"));
}

TEST(HostileInput, TenMegabyteNameInANameErrorIsReportedWhole) {
    const std::string label = "l" + std::string(10u << 20, 'x');
    Skeleton s;
    s.mapBody = "location l = <1, 2, 3>; area a { style = open; locations = " + label + "; }";
    const RunResult result = compileChecked(s.text());
    EXPECT_EQ(result.err, syntaxError(4, label, "location label '" + label + "' not declared"));
}

// ---- the parser's stack limit ------------------------------------------------

// repeat(item, separator, n): n items with the separator between them.
std::string repeat(std::string_view item, std::string_view separator, int n) {
    std::string text;
    for (int i = 0; i < n; ++i) {
        if (i > 0) text.append(separator);
        text.append(item);
    }
    return text;
}

// Items that must differ from each other get their number appended.
std::string numbered(std::string_view before, std::string_view after, std::string_view separator, int n) {
    std::string text;
    for (int i = 0; i < n; ++i) {
        if (i > 0) text.append(separator);
        text.append(before).append(std::to_string(i)).append(after);
    }
    return text;
}

// Each list grows the stack by two entries per item (four for the
// annotation, whose line ends are tokens too), each "!(" or "(" nesting by
// three (two for a nested first operand) and each "on" block by five; the
// height is that growth plus the entries below the list and the deepest item,
// counted by hand from the grammar. Where the step allows it the deepest
// count fills exactly 9999 entries. The patrol list cannot reach the limit:
// the distinct areas it needs are themselves a list, which overflows first.
struct StackCase {
    const char* name;
    int deepest;  // the deepest count that parses; one more overflows
    int height;   // stack entries used at that count
    std::string (*build)(int n);
};

std::string nestedConditions(std::string_view open, std::string_view close, int n) {
    std::string condition = "timeout (1)";
    std::string text;
    for (int i = 0; i < n; ++i) text.append(open);
    text.append(condition);
    for (int i = 0; i < n; ++i) text.append(close);
    Skeleton s;
    s.objectives = "success (\"t\", \"x\") = " + text + " -> { \"r\" }";
    return s.text();
}

const StackCase kStackCases[] = {
    {"rule_list", 4994, 9998,
     [](int n) {
         Skeleton s;
         s.rules = repeat("respawn = team", ";", n);
         return s.text();
     }},
    {"map_style_list", 4993, 9999,
     [](int n) {
         Skeleton s;
         s.mapBody = "style = " + repeat("open", ",", n) + ";";
         return s.text();
     }},
    {"annotation_lines", 2496, 9998,
     [](int n) {
         Skeleton s;
         s.mapBody = "annotation = \"" + repeat("a", "\n", n) + "\";";
         return s.text();
     }},
    {"location_list", 4988, 9999,
     [](int n) {
         Skeleton s;
         s.mapBody = repeat("location l = <1, 2, 3>", ";", n);
         return s.text();
     }},
    {"area_list", 4986, 9999,
     [](int n) {
         Skeleton s;
         s.mapBody = "location l = <1, 2, 3>; " + repeat("area a { style = open; locations = l; }", ";", n);
         return s.text();
     }},
    {"location_label_list", 4988, 9999,
     [](int n) {
         Skeleton s;
         s.mapBody = "location l = <1, 2, 3>; area a { style = open; locations = " + repeat("l", ",", n) + "; }";
         return s.text();
     }},
    {"force_list", 4991, 9999,
     [](int n) {
         Skeleton s;
         s.forces.clear();
         for (int i = 0; i < n; ++i) {
             s.forces += "force \"f" + std::to_string(i) + "\" { team \"t" + std::to_string(i) + "\" { }; }; ";
         }
         return s.text();
     }},
    {"team_list", 4991, 9999,
     [](int n) {
         Skeleton s;
         s.forces = "force \"f\" { " + numbered("team \"t", "\" { };", " ", n) + " };";
         return s.text();
     }},
    {"member_list", 4988, 9999,
     [](int n) {
         Skeleton s;
         s.forces = "force \"f\" { team \"t\" { " + numbered("player \"p", "\" \"s\" { }", ";", n) + " }; };";
         return s.text();
     }},
    {"equipment_list", 4988, 9998,
     [](int n) {
         Skeleton s;
         s.forces = "force \"f\" { team \"t\" { player \"p\" \"s\" { " + repeat("item \"i\"", ";", n) + " } }; };";
         return s.text();
     }},
    {"objective_list", 4988, 9998,
     [](int n) {
         Skeleton s;
         s.objectives = repeat("failure (\"t\", \"x\") = timeout (1) -> { \"r\" }", ";", n);
         return s.text();
     }},
    {"result_list", 4992, 9998,
     [](int n) {
         Skeleton s;
         s.objectives = "success (\"t\", \"x\") = timeout (1) -> { " + repeat("\"r\"", ",", n) + " }";
         return s.text();
     }},
    {"plan_section", 4992, 9999,
     [](int n) {
         Skeleton s;
         s.plans = repeat("plan \"t\" { };", " ", n);
         return s.text();
     }},
    {"instruction_list", 4992, 9998,
     [](int n) {
         Skeleton s;
         s.plans = "plan \"t\" { " + repeat("join", ";", n) + " };";
         return s.text();
     }},
    {"patrol_area_list", 4986, 9989,
     [](int n) {
         Skeleton s;
         s.mapBody = "location l = <1, 2, 3>; " + numbered("area a", " { style = open; locations = l; }", ";", n);
         s.plans = "plan \"t\" { patrol (" + numbered("a", "", ",", n) + ") };";
         return s.text();
     }},
    {"trigger_list", 4991, 9999,
     [](int n) {
         Skeleton s;
         s.plans = "plan \"t\" { on (" + repeat("contact", ",", n) + ") { } };";
         return s.text();
     }},
    {"not_nesting", 3325, 9999, [](int n) { return nestedConditions("!(", ")", n); }},
    {"first_operand_nesting", 4987, 9998, [](int n) { return nestedConditions("(", " && timeout (2))", n); }},
    {"second_operand_nesting", 3325, 9999, [](int n) { return nestedConditions("(timeout (2) || ", ")", n); }},
    {"on_block_nesting", 1996, 9996,
     [](int n) {
         Skeleton s;
         s.plans = "plan \"t\" { " + repeat("on (contact) { ", "", n) + "join" + repeat(" }", "", n) + " };";
         return s.text();
     }},
};

constexpr std::string_view kOverflow = "CAUSE parser stack overflow\n";

bool overflows(const RunResult& result) {
    return result.err.find(kOverflow) != std::string::npos;
}

// Only for the failure message: where the limit really is now.
int searchDeepest(const StackCase& stackCase) {
    int low = 1, high = 20000;  // low parses, high does not
    while (high - low > 1) {
        const int middle = (low + high) / 2;
        (compileInProcess(stackCase.build(middle)).status == 0 ? low : high) = middle;
    }
    return low;
}

class StackLimitTest : public ::testing::TestWithParam<StackCase> {};

TEST_P(StackLimitTest, DeepestAcceptedAndOneMoreOverflows) {
    const StackCase& stackCase = GetParam();
    const RunResult deepest = compileChecked(stackCase.build(stackCase.deepest));
    const RunResult beyond = compileChecked(stackCase.build(stackCase.deepest + 1));
    const bool atLimit = deepest.status == 0 && beyond.status == 1 && overflows(beyond);
    EXPECT_TRUE(atLimit) << stackCase.name << " (" << stackCase.height << " entries): deepest accepted count is now "
                         << searchDeepest(stackCase) << "\n-- at " << stackCase.deepest << " --\n"
                         << deepest.err << "-- one more --\n"
                         << beyond.err;
    EXPECT_EQ(beyond.err.substr(beyond.err.find("CAUSE")), std::string(kOverflow) + std::string(kFailed));
}

INSTANTIATE_TEST_SUITE_P(EveryListAndNesting, StackLimitTest, ::testing::ValuesIn(kStackCases),
                         [](const ::testing::TestParamInfo<StackCase>& info) { return std::string(info.param.name); });

// ---- files that cannot be read ---------------------------------------------

TEST(HostileInput, DirectoryIsNotFound) {
    const RunResult result = runBinary({fs::temp_directory_path().string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "zebparser: source file not found\n");
}

TEST(HostileInput, FileWithoutReadPermissionIsNotFound) {
    const TempFile file(Skeleton().text());
    ASSERT_EQ(::chmod(file.path().c_str(), 0), 0);
    RunOptions options;
    // Root reads any file, so as root the tool runs as "nobody" instead.
    if (::geteuid() == 0) options.runAsUser = 65534;
    const RunResult result = runBinary({file.path()}, options);
    ASSERT_NE(result.status, 126) << "could not switch to an unprivileged user";
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "zebparser: source file not found\n");
}

// A file that opens but whose every read fails: the kernel refuses reads of
// unmapped memory with EIO.
TEST(HostileInput, ReadFailureIsTheFatalInputMessage) {
    if (!fs::exists("/proc/self/mem")) GTEST_SKIP() << "needs /proc";
    const RunResult result = runBinary({"/proc/self/mem"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "input in flex scanner failed\n");
}

// ---- standard streams that are full or closed --------------------------------

TEST(HostileInput, FullStandardOutputIsReportedWithoutCompletionLine) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "needs /dev/full";
    const TempFile file(Skeleton().text());
    const RunResult result = runBinary({file.path()}, "/dev/full");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "zebparser: error writing output: No space left on device\n");
}

TEST(HostileInput, ClosedStandardOutputIsReportedWithoutCompletionLine) {
    const TempFile file(Skeleton().text());
    RunOptions options;
    options.closeStdout = true;
    const RunResult result = runBinary({file.path()}, options);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "zebparser: error writing output: Bad file descriptor\n");
}

TEST(HostileInput, ClosedStandardErrorKeepsOutputAndStatus) {
    const TempFile good(Skeleton().text());
    RunOptions options;
    options.closeStderr = true;
    const RunResult success = runBinary({good.path()}, options);
    EXPECT_EQ(success.status, 0);
    EXPECT_EQ(success.out, compileInProcess(Skeleton().text()).out);

    Skeleton broken;
    broken.afterRules = " map";
    const TempFile bad(broken.text());
    const RunResult failure = runBinary({bad.path()}, options);
    EXPECT_EQ(failure.status, 1);
    EXPECT_EQ(failure.out, "");

    const RunResult missing = runBinary({"/nonexistent/file.mission"}, options);
    EXPECT_EQ(missing.status, 1);
}

// ---- the fuzz seeds ------------------------------------------------------------

// The invariants hold on every input the fuzzers start from: the seeds, and
// the corpora the long campaigns keep (each input there reached code no
// other had). On each, `zeb`'s analysis finds an error exactly when the
// compiler does.
TEST(HostileInput, InvariantsHoldOnEverySeedAndKeptInput) {
    const fs::path root(ZEB_SOURCE_DIR);
    int checked = 0;
    auto check = [&](const fs::path& path) {
        SCOPED_TRACE(path.string());
        std::string text = readFile(path.string());
        const RunResult run = compileChecked(text);
        normaliseLineEnds(text);
        EXPECT_EQ(analyzeMission(std::make_shared<const std::string>(std::move(text))).hasError(), run.status != 0);
        ++checked;
    };
    for (const char* dir : {"tests/golden", "examples", "fuzz/seeds"}) {
        for (const auto& entry : fs::directory_iterator(root / dir)) {
            if (entry.path().extension() == ".mission") check(entry.path());
        }
    }
    for (const char* target : {"compile_fuzzer", "format_fuzzer", "differential_fuzzer"}) {
        const fs::path kept = root / "fuzz" / "corpus" / target;
        if (!fs::exists(kept)) continue;
        for (const auto& entry : fs::directory_iterator(kept)) check(entry.path());
    }
    EXPECT_GT(checked, 0);
}

}  // namespace
}  // namespace zeb::testing
