// zeb fmt through the real binary: its modes and exit statuses, and what
// --write does to files, links, modes and a disk that refuses the text.
// Whatever the layout, the expected texts come from the binary itself: a
// file "not formatted" is one whose formatted text differs from its bytes,
// and a file with CRLF line ends always is one, since the formatted text
// has LF ones.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "analysis/source_formatter.h"
#include "bench/mission_generator.h"
#include "frontend/source_reader.h"
#include "tests/run_support.h"
#include "zeb/unified_diff.h"

namespace zeb::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = fs::path(ZEB_SOURCE_DIR);

constexpr uid_t kNobody = 65534;

std::string example() {
    return readFile((kSource / "examples" / "warehouse.mission").string());
}

std::string withCrlf(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

// What `zeb fmt` prints for the text.
std::string formattedOf(const std::string& text) {
    ScratchDir scratch;
    const RunResult r = runZeb({"fmt", scratch.write("in.mission", text)});
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

std::set<std::string> entriesOf(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename().string());
    return names;
}

struct stat statOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(ZebFmt, StandardOutputHasTheFormattedText) {
    const std::string formatted = formattedOf(example());
    ASSERT_FALSE(formatted.empty());
    EXPECT_EQ(formattedOf(formatted), formatted);
    EXPECT_EQ(formatted.find('\r'), std::string::npos);
    ScratchDir scratch;
    // CRLF line ends are read as LF ones: the same mission, the same text.
    for (const std::string& text : {example(), withCrlf(example()), withCrlf(formatted)}) {
        const std::string path = scratch.write("in.mission", text);
        const RunResult file = runZeb({"fmt", path});
        EXPECT_EQ(file.status, 0);
        EXPECT_EQ(file.out, formatted);
        EXPECT_EQ(file.err, "");
        const RunResult in = runZeb({"fmt", "-"}, "", path);
        EXPECT_EQ(in.status, 0);
        EXPECT_EQ(in.out, formatted);
        EXPECT_EQ(readFile(path), text);
    }
    // A large text reaches standard output in blocks: whole, and as the
    // library lays it out; a full disk is reported.
    const std::string large = bench::generateMission(bench::shapeForBytes(400'000, 1, bench::ShapeKind::Text), 1);
    std::string normalised = large;
    normaliseLineEnds(normalised);
    const FormattedSource expected = formatSource(std::make_shared<const std::string>(normalised));
    const std::string path = scratch.write("large.mission", large);
    const RunResult whole = runZeb({"fmt", path});
    EXPECT_EQ(whole.status, 0);
    EXPECT_TRUE(whole.out == expected.text) << whole.out.size() << " bytes against " << expected.text.size();
    RunOptions toFullDisk;
    toFullDisk.binary = ZEB_COMMAND;
    toFullDisk.stdoutPath = "/dev/full";
    const RunResult full = runBinary({"fmt", path}, toFullDisk);
    EXPECT_EQ(full.status, 2);
    EXPECT_TRUE(contains(full.err, "zeb: standard output: No space left on device")) << full.err;
}

TEST(ZebFmt, UsageErrorsExitWithTwo) {
    ScratchDir scratch;
    const std::string a = scratch.write("a.mission", formattedOf(kClean));
    const std::string b = scratch.write("b.mission", formattedOf(kClean));
    const std::string missing = (scratch.dir() / "missing.mission").string();
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"fmt", a, b}, "give one file or -"},
        {{"fmt", scratch.dir().string()}, "give one file or -"},
        {{"fmt", "--write", "-", "--list"}, "- with --write writes the formatted text to standard output"},
        {{"fmt", missing}, "missing.mission: No such file or directory"},
        {{"fmt", "--check", a, missing}, "missing.mission: No such file or directory"},
        {{"fmt", "--jobs=0", a}, "--jobs"},
        {{"fmt"}, "paths"},
    };
    for (const auto& [args, message] : cases) {
        const RunResult r = runZeb(args);
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_EQ(r.out, "") << args.back();
        EXPECT_TRUE(contains(r.err, message)) << args.back() << ": " << r.err;
    }
}

TEST(ZebFmt, CheckDiffAndListNameTheFilesNotFormatted) {
    ScratchDir scratch;
    const std::string formatted = formattedOf(example());
    const std::string good = scratch.write("good.mission", formatted);
    const std::string bad = scratch.write("bad.mission", withCrlf(formatted));
    const std::string diff = unifiedDiff(bad, withCrlf(formatted), formatted);
    ASSERT_EQ(diff.rfind("--- " + bad + "\n+++ " + bad + "\n@@ -1,", 0), 0u) << diff;
    struct Case {
        std::vector<std::string> flags;
        std::string out;  // for bad.mission
    };
    // --check adds nothing to a mode that already names the file.
    const std::vector<Case> cases = {
        {{"--check"}, bad + ": not formatted\n"},
        {{"--list"}, bad + "\n"},
        {{"-l"}, bad + "\n"},
        {{"--diff"}, diff},
        {{"--check", "--list"}, bad + "\n"},
        {{"--check", "--diff"}, diff},
        {{"--list", "--diff"}, bad + "\n" + diff},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"fmt"};
        args.insert(args.end(), c.flags.begin(), c.flags.end());
        args.push_back(good);
        const RunResult clean = runZeb(args);
        EXPECT_EQ(clean.status, 0) << c.flags[0];
        EXPECT_EQ(clean.out, "") << c.flags[0];
        args.push_back(bad);
        const RunResult r = runZeb(args);
        EXPECT_EQ(r.status, 1) << c.flags[0];
        EXPECT_EQ(r.out, c.out) << c.flags[0];
        EXPECT_EQ(r.err, "") << c.flags[0];
        EXPECT_EQ(readFile(bad), withCrlf(formatted));
    }
    const RunResult in = runZeb({"fmt", "--check", "-"}, "", bad);
    EXPECT_EQ(in.status, 1);
    EXPECT_EQ(in.out, "<stdin>: not formatted\n");
}

TEST(ZebFmt, UnifiedDiffHunksAreThoseOfDiffU) {
    std::string twenty;
    for (int i = 1; i <= 20; ++i) twenty += std::to_string(i) + "\n";
    auto replaced = [&](std::initializer_list<std::pair<std::string, std::string>> changes) {
        std::string text = twenty;
        for (const auto& [from, to] : changes) text.replace(text.find("\n" + from + "\n") + 1, from.size(), to);
        return text;
    };
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"a\nb\nc\n", "a\nb\nc\n", ""},
        {"a\nb\nc\n", "a\nB\nc\n", "@@ -1,3 +1,3 @@\n a\n-b\n+B\n c\n"},
        {"a\nb", "a\nb\n", "@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+b\n"},
        {"", "a\n", "@@ -0,0 +1 @@\n+a\n"},
        {"a\r\nb\r\n", "a\nb\n", "@@ -1,2 +1,2 @@\n-a\r\n-b\r\n+a\n+b\n"},
        // Six lines apart: one hunk; seven: two.
        {twenty, replaced({{"4", "x"}, {"11", "y"}}),
         "@@ -1,14 +1,14 @@\n 1\n 2\n 3\n-4\n+x\n 5\n 6\n 7\n 8\n 9\n 10\n-11\n+y\n 12\n 13\n 14\n"},
        {twenty, replaced({{"4", "x"}, {"12", "y"}}),
         "@@ -1,7 +1,7 @@\n 1\n 2\n 3\n-4\n+x\n 5\n 6\n 7\n@@ -9,7 +9,7 @@\n 9\n 10\n 11\n-12\n+y\n 13\n 14\n 15\n"},
        {twenty, replaced({{"19", "x\ny"}}), "@@ -16,5 +16,6 @@\n 16\n 17\n 18\n-19\n+x\n+y\n 20\n"},
    };
    for (const auto& [before, after, hunks] : cases) {
        const std::string expected = hunks.empty() ? "" : "--- p\n+++ p\n" + hunks;
        EXPECT_EQ(unifiedDiff("p", before, after), expected) << after;
    }
}

TEST(ZebFmt, WriteReplacesOnlyTheFilesThatChangeAndKeepsTheirMode) {
    ScratchDir scratch;
    const std::string formatted = formattedOf(example());
    const std::string good = scratch.write("good.mission", formatted);
    const std::string bad = scratch.write("bad.mission", withCrlf(formatted));
    ASSERT_EQ(::chmod(bad.c_str(), 0640), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(bad.c_str(), kNobody, kNobody), 0);
    }
    const struct timespec old[2] = {{1000000000, 123456789}, {1000000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, good.c_str(), old, 0), 0);
    const struct stat goodBefore = statOf(good);
    const struct stat badBefore = statOf(bad);

    const RunResult r = runZeb({"fmt", "--write", scratch.dir().string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readFile(bad), formatted);
    const struct stat badAfter = statOf(bad);
    EXPECT_EQ(badAfter.st_mode & 07777, 0640u);
    EXPECT_NE(badAfter.st_ino, badBefore.st_ino);  // a new file renamed into place, not rewritten in place
    if (root) {
        EXPECT_EQ(badAfter.st_uid, kNobody);
        EXPECT_EQ(badAfter.st_gid, kNobody);
    }
    const struct stat goodAfter = statOf(good);
    EXPECT_EQ(goodAfter.st_ino, goodBefore.st_ino);
    EXPECT_EQ(goodAfter.st_mtim.tv_sec, old[1].tv_sec);
    EXPECT_EQ(goodAfter.st_mtim.tv_nsec, old[1].tv_nsec);
    EXPECT_EQ(entriesOf(scratch.dir()), (std::set<std::string>{"bad.mission", "good.mission"}));

    // --write --list writes and names; - with --write prints.
    writeFile(bad, withCrlf(formatted));
    const RunResult listed = runZeb({"fmt", "-w", "-l", good, bad});
    EXPECT_EQ(listed.status, 1);
    EXPECT_EQ(listed.out, bad + "\n");
    EXPECT_EQ(readFile(bad), formatted);
    const RunResult in = runZeb({"fmt", "-w", "-"}, "", scratch.write("in", withCrlf(formatted)));
    EXPECT_EQ(in.status, 0);
    EXPECT_EQ(in.out, formatted);
}

// The link stays a link and its target gets the text; a target reached
// twice, as itself and through a link, is written once.
TEST(ZebFmt, WriteThroughASymbolicLinkRewritesItsTarget) {
    ScratchDir scratch;
    const std::string formatted = formattedOf(example());
    const std::string target = scratch.write("real/target.mission", withCrlf(formatted));
    const fs::path link = scratch.dir() / "links" / "link.mission";
    fs::create_directories(link.parent_path());
    fs::create_symlink("../real/target.mission", link);

    const RunResult r = runZeb({"fmt", "-w", link.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), "../real/target.mission");
    EXPECT_EQ(readFile(target), formatted);
    EXPECT_EQ(entriesOf(link.parent_path()), (std::set<std::string>{"link.mission"}));
    EXPECT_EQ(entriesOf(scratch.dir() / "real"), (std::set<std::string>{"target.mission"}));

    writeFile(target, withCrlf(formatted));
    const RunResult both = runZeb({"fmt", "-w", "-l", "-j", "2", scratch.dir().string()});
    EXPECT_EQ(both.status, 1);
    EXPECT_EQ(both.out, link.string() + "\n");
    EXPECT_EQ(both.err, "");
    EXPECT_EQ(readFile(target), formatted);
}

TEST(ZebFmt, AFileWithAnErrorIsNotWrittenAndWarningsGoToStandardError) {
    ScratchDir scratch;
    const std::string bad = scratch.write("bad.mission", withCrlf(kNameErrors));
    for (const char* mode : {"--write", "--check", "--diff", "--list"}) {
        const RunResult r = runZeb({"fmt", mode, bad});
        EXPECT_EQ(r.status, 1) << mode;
        EXPECT_EQ(r.out, "") << mode;
        EXPECT_TRUE(contains(r.err, bad + ":3:27: error: 'b' is not a declared location\n")) << mode << r.err;
        EXPECT_TRUE(contains(r.err, bad + ":3:38: error: 'c' is not a declared location\n")) << mode << r.err;
        EXPECT_EQ(readFile(bad), withCrlf(kNameErrors)) << mode;
    }
    const RunResult plain = runZeb({"fmt", bad});
    EXPECT_EQ(plain.status, 1);
    EXPECT_EQ(plain.out, "");

    const std::string warned = scratch.write("warned.mission", withCrlf(kWarning));
    const std::string formatted = formattedOf(kWarning);
    const RunResult r = runZeb({"fmt", "-w", warned});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(contains(r.err, warned + ":1:85: warning: integer 40000")) << r.err;
    EXPECT_EQ(readFile(warned), formatted);
}

// A disk that refuses the text: the original stays, the temporary file
// goes, and the message names the file and the reason. Root writes where
// the modes forbid it, so root runs these as another user.
TEST(ZebFmt, AWriteThatFailsLeavesTheOriginal) {
    const bool root = ::geteuid() == 0;
    struct Case {
        std::string name;
        std::string script;  // runs zeb as "$0" on "$1"
        std::string message;
        bool readOnlyFolder = false;
        bool readOnlyFile = false;
    };
    const std::vector<Case> cases = {
        {"read-only folder", "exec \"$0\" fmt -w \"$1\"", "cannot create a file beside it: Permission denied", true},
        {"read-only file", "exec \"$0\" fmt -w \"$1\"", "cannot write it: Permission denied", false, true},
        // A file size limit fails the write as a full disk does.
        {"file size limit", "trap '' XFSZ; ulimit -f 1 && exec \"$0\" fmt -w \"$1\"",
         "cannot write the new text: File too large"},
    };
    std::string big = withCrlf(formattedOf(example()));
    while (big.size() < 8192) big += "// padding\r\n";
    for (const Case& c : cases) {
        ScratchDir scratch;
        const fs::path folder = scratch.dir() / "f";
        const std::string file = scratch.write("f/m.mission", big);
        if (c.readOnlyFolder) {
            ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
            if (root) {
                ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
            }
        }
        if (c.readOnlyFile) {
            ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
            if (root) {
                ASSERT_EQ(::chown(folder.c_str(), kNobody, kNobody), 0);
            }
        }
        RunOptions options;
        options.binary = "/bin/sh";
        if (root && (c.readOnlyFolder || c.readOnlyFile)) options.runAsUser = kNobody;
        const RunResult r = runBinary({"-c", c.script, ZEB_COMMAND, file}, options);
        fs::permissions(folder, fs::perms::owner_all);
        EXPECT_EQ(r.status, 2) << c.name << ": " << r.err;
        EXPECT_EQ(r.err, "zeb: " + file + ": " + c.message + "\n") << c.name;
        EXPECT_EQ(readFile(file), big) << c.name;
        EXPECT_EQ(entriesOf(folder), (std::set<std::string>{"m.mission"})) << c.name;
    }
}

// Starts zeb, its output thrown away, and kills it after the delay.
void runAndKill(const std::vector<std::string>& args, std::chrono::microseconds delay) {
    std::vector<std::string> copies = {ZEB_COMMAND};
    copies.insert(copies.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execv(ZEB_COMMAND, argv.data());
        ::_exit(127);
    }
    std::this_thread::sleep_for(delay);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
}

// Killed anywhere in a --write of many files, every file holds its old text
// or its new one, whole, and what the killed run leaves behind is hidden and
// never taken for a mission.
TEST(ZebFmt, AKilledWriteLeavesEachFileOldOrNew) {
    ScratchDir scratch;
    const fs::path dir = scratch.dir() / "m";
    const std::string formatted = withCrlf(formattedOf(example()));
    std::vector<std::string> names;
    std::vector<std::string> olds;
    for (int i = 0; i < 60; ++i) {
        names.push_back("f" + std::to_string(100 + i) + ".mission");
        std::string text = formatted;
        for (int k = 0; k < (i * 37) % 300; ++k) text += "// padding line\r\n";
        olds.push_back(text);
    }
    auto reset = [&] {
        for (std::size_t i = 0; i < names.size(); ++i) scratch.write("m/" + names[i], olds[i]);
    };
    reset();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(runZeb({"fmt", "-w", "-j", "2", dir.string()}).status, 0);
    const auto full = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    std::vector<std::string> news;
    for (std::size_t i = 0; i < names.size(); ++i) {
        news.push_back(readFile((dir / names[i]).string()));
        ASSERT_NE(news[i], olds[i]);
    }
    std::mt19937 random(20261209);
    std::uniform_int_distribution<long> delay(0, full.count() + full.count() / 5);
    std::size_t mixed = 0;
    for (int round = 0; round < 12; ++round) {
        reset();
        runAndKill({"fmt", "-w", "-j", "2", dir.string()}, std::chrono::microseconds(delay(random)));
        std::size_t written = 0;
        for (std::size_t i = 0; i < names.size(); ++i) {
            const std::string now = readFile((dir / names[i]).string());
            EXPECT_TRUE(now == olds[i] || now == news[i]) << names[i] << " in round " << round;
            written += now == news[i];
        }
        mixed += written > 0 && written < names.size();
        for (const std::string& entry : entriesOf(dir)) {
            if (std::find(names.begin(), names.end(), entry) != names.end()) continue;
            EXPECT_EQ(entry.rfind(".f1", 0), 0u) << entry;
            EXPECT_NE(entry.find(".mission.zebfmt-"), std::string::npos) << entry;
            EXPECT_FALSE(fs::path(entry).extension() == ".mission") << entry;
        }
    }
    std::printf("%zu of 12 runs were killed between files\n", mixed);
    // A run after the killed ones finishes the work and passes the leftovers by.
    const RunResult finish = runZeb({"fmt", "-w", "-l", dir.string()});
    EXPECT_NE(finish.status, 2) << finish.err;
    EXPECT_FALSE(contains(finish.out, "zebfmt")) << finish.out;
    EXPECT_EQ(runZeb({"fmt", "--check", dir.string()}).status, 0);
}

// Each file is read whole and closed before it is formatted, so a run over
// many files holds a handful of descriptors, however many files there are.
TEST(ZebFmt, ManyFilesNeedFewDescriptors) {
    ScratchDir scratch;
    const std::string formatted = formattedOf(kClean);
    for (int i = 0; i < 10000; ++i) {
        scratch.write("many/d" + std::to_string(i % 20) + "/m" + std::to_string(i) + ".mission", formatted);
    }
    std::vector<std::string> changed;
    for (int i = 0; i < 300; ++i) {
        changed.push_back(scratch.write("few/m" + std::to_string(1000 + i) + ".mission", withCrlf(formatted)));
    }
    const std::string limited = "ulimit -n 32 && exec \"$0\" fmt -j 4 \"$@\"";
    RunOptions options;
    options.binary = "/bin/sh";
    const RunResult check =
        runBinary({"-c", limited, ZEB_COMMAND, "--check", (scratch.dir() / "many").string()}, options);
    EXPECT_EQ(check.status, 0);
    EXPECT_EQ(check.err, "");
    // In path order whatever the number of jobs.
    std::string names;
    for (const std::string& path : changed) names += path + "\n";
    EXPECT_EQ(runZeb({"fmt", "-l", "-j", "1", (scratch.dir() / "few").string()}).out, names);
    const RunResult write =
        runBinary({"-c", limited, ZEB_COMMAND, "-w", "-l", (scratch.dir() / "few").string()}, options);
    EXPECT_EQ(write.status, 1);
    EXPECT_EQ(write.out, names);
    EXPECT_EQ(write.err, "");
    for (const std::string& path : changed) EXPECT_EQ(readFile(path), formatted) << path;
}

// These need a formatter that changes a file's layout; the first one that
// lands makes them pass.
TEST(ZebFmt, LayoutChangesAreFoundAndWritten) {
    const std::string formatted = formattedOf(example());
    std::string trailingBlanks;
    for (std::size_t at = 0, end; (end = formatted.find('\n', at)) != std::string::npos; at = end + 1) {
        trailingBlanks += formatted.substr(at, end - at) + "  \n";
    }
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"one line", kClean},
        {"trailing blanks", trailingBlanks},
        {"blank lines at the end", formatted + "\n\n\n"},
    };
    for (const auto& [name, text] : cases) {
        ScratchDir scratch;
        const std::string path = scratch.write("m.mission", text);
        const std::string expected = formattedOf(text);
        ASSERT_NE(expected, text) << name << ": waits for the real formatter (the placeholder hands the text back)";
        const RunResult check = runZeb({"fmt", "--check", path});
        EXPECT_EQ(check.status, 1) << name;
        EXPECT_EQ(check.out, path + ": not formatted\n") << name;
        const RunResult diff = runZeb({"fmt", "--diff", path});
        EXPECT_EQ(diff.status, 1) << name;
        EXPECT_EQ(diff.out, unifiedDiff(path, text, expected)) << name;
        EXPECT_EQ(runZeb({"fmt", "--write", path}).status, 0) << name;
        EXPECT_EQ(readFile(path), expected) << name;
        EXPECT_EQ(runZeb({"fmt", "--check", path}).status, 0) << name;
    }
}

}  // namespace
}  // namespace zeb::testing
