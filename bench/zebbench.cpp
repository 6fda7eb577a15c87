// Times each stage of a zebparser run on generated missions of growing size
// and sets them beside the I/O floor: reading the file and writing as many
// bytes as the formatted mission has, in large blocks. Every figure is the
// best of several repetitions, in milliseconds and input megabytes (10^6
// bytes) per second. Also makes the test files and times the front end alone
// for bench/run.sh.
//
//   zebbench [--reps N] [--binary PATH] [UNITS...]      stages, best of N
//   zebbench --generate UNITS [--seed N] > big.mission
//   zebbench --generate-bytes BYTES [--seed N] [--shape NAME] > big.mission
//       NAME: member (the default), plan, map, text or mix
//   zebbench --frontend FILE [--reps N]                 read + lex + parse +
//       Mission in process, no output; prints the median of N runs (default 5)
//   zebbench --scan FILE [--reps N]                     read + lex only: the
//       front end's floor, timed the same way
//   zebbench --walk FILE [--reps N]                     read + lex + the parse
//       tables stepped, with no value, action or record: the parse's floor
//   zebbench --lookups FILE [--reps N]                  the checks of every
//       label of every area list and patrol, alone, in the parsed mission

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/mission_generator.h"
#include "frontend/lexer.h"
#include "frontend/parse_steps.h"
#include "frontend/parser.h"
#include "frontend/source_reader.h"
#include "model/mission.h"
#include "output/mission_printer.h"
#include "output/output_sink.h"

namespace zeb::bench {
namespace {

struct Options {
    int reps = 3;
    bool repsGiven = false;
    std::size_t generateOnly = 0;
    std::size_t generateBytes = 0;
    std::uint64_t seed = 0;
    ShapeKind kind = ShapeKind::Member;
    std::string frontendFile;
    bool scanOnly = false;     // --scan: the scanner alone
    bool walkOnly = false;     // --walk: the scanner and the table steps
    bool lookupsOnly = false;  // --lookups: the label checks alone
    std::string binary = ZEB_BINARY;
    std::vector<std::size_t> units;
};

const std::string kScratchDir = "/tmp";

double bestMilliseconds(int reps, const std::function<void()>& run) {
    double best = 1e300;
    for (int i = 0; i < reps; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

void writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written <= 0) std::abort();
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

void writeFile(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) std::abort();
    writeAll(fd, text.data(), text.size());
    ::close(fd);
}

int openOutput(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) std::abort();
    return fd;
}

// The file as the command-line tool reads it (mapped when it can be).
SourceText readInput(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        std::fprintf(stderr, "zebbench: cannot open %s\n", path.c_str());
        std::exit(1);
    }
    SourceText source = readSource(fd);
    ::close(fd);
    if (!source.owner) std::abort();
    return source;
}

// The floor: the input read once, the output's bytes written in 1 MB blocks.
void copyFloor(const std::string& input, std::size_t outputSize, const std::string& destination) {
    auto text = readInput(input);
    static const std::string block(1 << 20, 'x');
    const int fd = openOutput(destination);
    for (std::size_t left = outputSize; left > 0;) {
        const std::size_t piece = std::min(left, block.size());
        writeAll(fd, block.data(), piece);
        left -= piece;
    }
    ::close(fd);
}

std::size_t lexAll(const SourceText& source) {
    Lexer lexer(source.text.data(), source.text.size());
    std::size_t tokens = 0;
    while (lexer.nextToken() > 0) ++tokens;
    return tokens;
}

// The parser's loop with only its state stack: every token read and every
// shift, reduction and goto the parse makes, and nothing else. No table
// driven parse of the text can do less. Returns the number of steps.
std::size_t walkAll(const SourceText& source) {
    Lexer lexer(source.text.data(), source.text.size());
    std::vector<int> states(Parser::kStackLimit);
    std::size_t height = 1;
    std::size_t steps = 0;
    int state = 0;
    int column = kNoLookahead;
    for (;; ++steps) {
        int step;
        if (column != kNoLookahead) {
            step = kSteps[state][column];
        } else if (const int forced = grammar::kReduceWithoutLookahead[state]; forced >= 0) {
            step = -forced;
        } else {
            column = terminalColumn(lexer.nextToken());
            step = kSteps[state][column];
        }
        if (step > 0) {
            if (step == grammar::kFinalState || height + 1 >= Parser::kStackLimit) return steps;
            states[height++] = step;
            state = step;
            column = kNoLookahead;
            continue;
        }
        if (step == 0) return steps;
        const grammar::Production& rule = grammar::kProductions[-step];
        height -= rule.length;
        state = grammar::kGoto[states[height - 1]][rule.lhs];
        states[height++] = state;
    }
}

// The labels a parse of the mission checked, in the order it checked them:
// every label of every area list against the locations, then every area of
// every patrol against the areas.
struct CheckedLabels {
    std::vector<std::string_view> locations;
    std::vector<std::string_view> areas;
};

void collectPatrolAreas(const InstructionList& instructions, std::vector<std::string_view>& areas) {
    for (const Instruction& instruction : instructions) {
        if (instruction.hasAreaList) {
            for (const Text& area : instruction.areas) areas.push_back(area);
        }
        if (instruction.block != nullptr) collectPatrolAreas(*instruction.block, areas);
    }
}

CheckedLabels checkedLabels(const Mission& mission) {
    CheckedLabels labels;
    for (const auto& area : mission.areas) {
        for (const auto* list : {&area->locations, &area->entrances, &area->exits, &area->windows}) {
            labels.locations.insert(labels.locations.end(), list->begin(), list->end());
        }
    }
    for (const Team* team : mission.teams) collectPatrolAreas(team->instructions, labels.areas);
    return labels;
}

// Each label asked of the mission's index once more, with nothing else: the
// least the check the language asks of every label costs with this index.
// The tables are warm, the lists already read, so it is a floor.
std::size_t lookUpAll(const Mission& mission, const CheckedLabels& labels) {
    std::size_t found = 0;
    for (const std::string_view label : labels.locations) found += mission.isLocationDeclared(label) ? 1 : 0;
    for (const std::string_view label : labels.areas) found += mission.isAreaDeclared(label) ? 1 : 0;
    return found;
}

// A parsed mission outlives its timing: the tool never tears it down.
std::unique_ptr<Mission> parseAll(const SourceText& source) {
    auto mission = std::make_unique<Mission>();
    mission->retainSource(source.owner, source.text);
    Lexer lexer(source.text.data(), source.text.size());
    std::string diagnostics;
    if (Parser(lexer, *mission, diagnostics).parse() != kParseSucceeded) {
        std::fprintf(stderr, "zebbench: generated mission failed to parse:\n%s", diagnostics.c_str());
        std::exit(1);
    }
    return mission;
}

void runBinary(const std::string& binary, const std::string& input, const std::string& output) {
    const pid_t child = ::fork();
    if (child == 0) {
        const int out = openOutput(output);
        const int err = ::open("/dev/null", O_WRONLY);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execl(binary.c_str(), binary.c_str(), input.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "zebbench: %s failed on %s\n", binary.c_str(), input.c_str());
        std::exit(1);
    }
}

struct Row {
    const char* stage;
    double milliseconds;
};

void report(std::size_t units, std::size_t inputBytes, std::size_t outputBytes, std::size_t tokens,
            const std::vector<Row>& rows) {
    const double megabytes = static_cast<double>(inputBytes) / 1e6;
    std::printf("\nunits %zu: input %.1f MB, output %.1f MB, %zu tokens\n", units, megabytes,
                static_cast<double>(outputBytes) / 1e6, tokens);
    for (const Row& row : rows) {
        std::printf("  %-34s %9.1f ms %8.1f MB/s\n", row.stage, row.milliseconds, megabytes / (row.milliseconds / 1e3));
    }
}

void measure(const Options& options, std::size_t units) {
    const std::string input = kScratchDir + "/zebbench-" + std::to_string(::getpid()) + ".mission";
    const std::string output = kScratchDir + "/zebbench-" + std::to_string(::getpid()) + ".out";
    writeFile(input, generateMission(shapeForUnits(units)));

    auto text = readInput(input);
    std::string formatted;
    {
        auto mission = parseAll(text);
        OutputSink sink(&formatted);
        print(sink, *mission);
    }
    const int reps = options.reps;
    std::size_t tokens = 0;
    std::vector<std::unique_ptr<Mission>> kept;  // freed after the timings
    std::unique_ptr<Mission> printed = parseAll(text);
    std::vector<Row> rows;
    rows.push_back({"floor: read + write to /dev/null",
                    bestMilliseconds(reps, [&] { copyFloor(input, formatted.size(), "/dev/null"); })});
    rows.push_back(
        {"floor: read + write to a file", bestMilliseconds(reps, [&] { copyFloor(input, formatted.size(), output); })});
    rows.push_back({"read", bestMilliseconds(reps, [&] { readInput(input); })});
    rows.push_back({"lex", bestMilliseconds(reps, [&] { tokens = lexAll(text); })});
    rows.push_back({"lex + parse + model", bestMilliseconds(reps, [&] { kept.push_back(parseAll(text)); })});
    rows.push_back({"print to memory", bestMilliseconds(reps, [&] {
                        std::string sunk;
                        OutputSink sink(&sunk);
                        print(sink, *printed);
                    })});
    rows.push_back({"print to /dev/null", bestMilliseconds(reps, [&] {
                        const int fd = openOutput("/dev/null");
                        OutputSink sink(fd);
                        print(sink, *printed);
                        ::close(fd);
                    })});
    rows.push_back(
        {"zebparser > /dev/null", bestMilliseconds(reps, [&] { runBinary(options.binary, input, "/dev/null"); })});
    rows.push_back({"zebparser > file", bestMilliseconds(reps, [&] { runBinary(options.binary, input, output); })});
    report(units, text.text.size(), formatted.size(), tokens, rows);
    ::unlink(input.c_str());
    ::unlink(output.c_str());
}

void generateToStdout(const MissionShape& shape, std::uint64_t seed) {
    generateMission(shape, seed, [](std::string_view piece) { writeAll(STDOUT_FILENO, piece.data(), piece.size()); });
}

// The front end alone, as the driver runs it: read the file, lex, parse and
// fill a Mission; no output. Tearing the Mission down is left out of the
// time (the command-line tool never does it).
//
// The scanner alone reads the file and finds every token, with no parse and
// no record: the least a front end can do with the text, and so its floor.
// The walk adds the parse's table steps, still with no record.
int timeFrontEnd(const std::string& path, int reps, bool scanOnly, bool walkOnly, bool lookupsOnly) {
    std::vector<double> times;
    std::size_t bytes = 0;
    std::size_t tokens = 0;
    std::unique_ptr<Mission> parsed;
    CheckedLabels labels;
    if (lookupsOnly) {
        parsed = parseAll(readInput(path));
        labels = checkedLabels(*parsed);
    }
    for (int i = 0; i < reps; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (lookupsOnly) {
            tokens = lookUpAll(*parsed, labels);
            const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
            times.push_back(took.count());
            continue;
        }
        const auto text = readInput(path);
        std::unique_ptr<Mission> mission;
        if (scanOnly) {
            tokens = lexAll(text);
        } else if (walkOnly) {
            tokens = walkAll(text);
        } else {
            mission = parseAll(text);
        }
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        times.push_back(took.count());
        bytes = text.text.size();
    }
    std::sort(times.begin(), times.end());
    const double median =
        times.size() % 2 == 1 ? times[times.size() / 2] : (times[times.size() / 2 - 1] + times[times.size() / 2]) / 2;
    if (lookupsOnly) {
        std::printf("label checks alone: %zu location labels, %zu patrol areas, %d runs: median %.1f ms (%zu found)\n",
                    labels.locations.size(), labels.areas.size(), reps, median, tokens);
        return 0;
    }
    const double megabytes = static_cast<double>(bytes) / 1e6;
    std::printf("%s: %.1f MB, %d runs: median %.1f ms, %.1f MB/s (fastest %.1f ms, slowest %.1f ms)",
                scanOnly   ? "scanner alone (read + lex)"
                : walkOnly ? "table walk (read + lex + parse steps)"
                           : "front end (read + lex + parse + Mission)",
                megabytes, reps, median, megabytes / (median / 1e3), times.front(), times.back());
    if (scanOnly) std::printf(", %zu tokens", tokens);
    if (walkOnly) std::printf(", %zu steps", tokens);
    std::printf("\n");
    return 0;
}

Options parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--reps" && i + 1 < argc) {
            options.reps = std::max(1, std::atoi(argv[++i]));
            options.repsGiven = true;
        } else if (argument == "--generate-bytes" && i + 1 < argc) {
            options.generateBytes = static_cast<std::size_t>(std::strtoull(argv[++i], nullptr, 10));
        } else if (argument == "--seed" && i + 1 < argc) {
            options.seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (argument == "--shape" && i + 1 < argc) {
            if (!shapeKindFromName(argv[++i], options.kind)) {
                std::fprintf(stderr, "zebbench: unknown shape '%s' (member, plan, map, text, mix)\n", argv[i]);
                std::exit(2);
            }
        } else if ((argument == "--frontend" || argument == "--scan" || argument == "--walk" ||
                    argument == "--lookups") &&
                   i + 1 < argc) {
            options.frontendFile = argv[++i];
            options.scanOnly = argument == "--scan";
            options.walkOnly = argument == "--walk";
            options.lookupsOnly = argument == "--lookups";
        } else if (argument == "--generate" && i + 1 < argc) {
            options.generateOnly = static_cast<std::size_t>(std::strtoull(argv[++i], nullptr, 10));
        } else if (argument == "--binary" && i + 1 < argc) {
            options.binary = argv[++i];
        } else {
            options.units.push_back(static_cast<std::size_t>(std::strtoull(argument.c_str(), nullptr, 10)));
        }
    }
    if (options.units.empty()) options.units = {2500, 10000, 40000};
    return options;
}

}  // namespace
}  // namespace zeb::bench

int main(int argc, char** argv) {
    using namespace zeb::bench;
    const auto options = parseOptions(argc, argv);
    if (options.generateBytes > 0) {
        generateToStdout(shapeForBytes(options.generateBytes, options.seed, options.kind), options.seed);
        return 0;
    }
    if (options.generateOnly > 0) {
        generateToStdout(shapeForUnits(options.generateOnly, options.kind), options.seed);
        return 0;
    }
    if (!options.frontendFile.empty()) {
        return timeFrontEnd(options.frontendFile, options.repsGiven ? options.reps : 5, options.scanOnly,
                            options.walkOnly, options.lookupsOnly);
    }
    for (std::size_t units : options.units) measure(options, units);
    return 0;
}
