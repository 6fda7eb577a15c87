#include "zeb/fmt_command.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string_view>
#include <system_error>
#include <thread>

#include "analysis/source_formatter.h"
#include "output/output_sink.h"
#include "zeb/check_paths.h"
#include "zeb/ordered_parallel.h"
#include "zeb/read_target.h"
#include "zeb/render.h"
#include "zeb/replace_file.h"
#include "zeb/unified_diff.h"
#include "zeb/write_all.h"

namespace zeb {
namespace {

struct FileOutcome {
    std::string out;  // for standard output
    std::string err;  // for standard error: diagnostics and problems
    bool hasError = false;
    bool notFormatted = false;
    bool couldNotWork = false;
    int outputError = 0;  // the errno of a failed write of a text streamed to standard output
};

// One path's work: where it is read from and, with --write, replaced.
struct FmtTarget {
    std::string path;      // as named, "-" for standard input
    std::string realPath;  // the file itself, past any symbolic link
};

bool reports(const FmtOptions& options) {
    return options.check || options.diff || options.list;
}

// The formatted text goes to standard output when no file is to be
// written or reported, and for standard input under --write.
bool printsText(const FmtOptions& options, const FmtTarget& target) {
    return !reports(options) && (!options.write || target.path == "-");
}

std::string usageError(const FmtOptions& options) {
    if (options.paths.empty()) return "give a file, a directory or -";
    const bool stdinWritten =
        options.write && std::find(options.paths.begin(), options.paths.end(), "-") != options.paths.end();
    if (stdinWritten && reports(options)) {
        return "- with --write writes the formatted text to standard output, where --check, --diff and --list "
               "write too";
    }
    if (options.write || reports(options)) return {};
    std::error_code error;
    if (options.paths.size() > 1 ||
        (options.paths[0] != "-" && std::filesystem::is_directory(options.paths[0], error))) {
        return "without --write, --check, --diff or --list the formatted text goes to standard output, so give "
               "one file or -";
    }
    return {};
}

// With --write a file named twice, or reached through two links, is done
// once: two workers replacing one file would each see the other's change.
std::vector<FmtTarget> resolved(const CollectedTargets& collected, bool write) {
    std::vector<FmtTarget> targets;
    std::set<std::string> seen;
    for (const CheckTarget& target : collected.targets) {
        FmtTarget t{target.path, target.path};
        if (write && target.path != "-") {
            char real[PATH_MAX];
            if (::realpath(target.path.c_str(), real) != nullptr) t.realPath = real;
            if (!seen.insert(t.realPath).second) continue;
        }
        targets.push_back(std::move(t));
    }
    return targets;
}

void replace(const FmtTarget& target, const std::string& shown, const std::string& text, const TargetText& read,
             FileOutcome& outcome) {
    outcome.couldNotWork = true;
    if (!read.regularFile) {
        outcome.err += "zeb: " + shown + ": not a regular file, so not written\n";
        return;
    }
    const ReplaceResult result = replaceFile(target.realPath, text, *read.regularFile, *read.bytes);
    switch (result.status) {
    case ReplaceStatus::Replaced: outcome.couldNotWork = false; return;
    case ReplaceStatus::ChangedMeanwhile:
        outcome.err += "zeb: " + shown + ": changed by another program while being formatted; not written\n";
        return;
    case ReplaceStatus::Failed: outcome.err += "zeb: " + shown + ": " + result.problem + "\n"; return;
    }
}

// `stream`, when given, takes the formatted text as it is laid out.
FileOutcome formatOne(const FmtTarget& target, const FmtOptions& options, OutputSink* stream) {
    FileOutcome outcome;
    const std::string shown = target.path == "-" ? "<stdin>" : target.path;
    // The whole file is read and closed before it is formatted, so that
    // however many files there are, each worker holds at most a descriptor
    // or two at once.
    // The file's own bytes are kept only to compare them with the result:
    // printing it needs only the text (a CRLF file's bytes are a copy).
    const bool prints = printsText(options, target);
    const TargetText read = readTarget(target.realPath, prints ? KeepBytes::No : KeepBytes::Yes);
    if (!read.text) {
        outcome.err = "zeb: " + shown + ": " + read.problem + "\n";
        outcome.couldNotWork = true;
        return outcome;
    }
    FormattedSource formatted =
        prints && stream != nullptr ? formatSource(read.text, *stream) : formatSource(read.text);
    if (stream != nullptr) {
        stream->finish();
        outcome.outputError = stream->error();
    }
    CheckedFile file;
    file.path = shown;
    file.text = *read.text;
    file.diagnostics = std::move(formatted.diagnostics);
    outcome.err = renderText(file, TextStyle{options.colour});
    if (file.hasError()) {
        outcome.hasError = true;
        return outcome;
    }
    if (prints) {
        outcome.out = std::move(formatted.text);
        return outcome;
    }
    // Compared with the bytes of the file, not the text the compiler reads:
    // a file with CRLF line ends is rewritten with LF ones.
    if (formatted.text == *read.bytes) return outcome;
    outcome.notFormatted = true;
    if (options.list) outcome.out += shown + "\n";
    if (options.diff) outcome.out += unifiedDiff(shown, *read.bytes, formatted.text);
    if (options.check && !options.list && !options.diff) outcome.out += shown + ": not formatted\n";
    if (options.write) replace(target, shown, formatted.text, read, outcome);
    return outcome;
}

}  // namespace

int runFmt(const FmtOptions& options) {
    const std::string usage = usageError(options);
    if (!usage.empty()) {
        writeAll(STDERR_FILENO, "zeb fmt: " + usage + "\nRun with --help for more information.\n");
        return 2;
    }
    const CollectedTargets collected = collectTargets(options.paths);
    for (const std::string& problem : collected.problems) writeAll(STDERR_FILENO, "zeb: " + problem + "\n");
    const std::vector<FmtTarget> targets = resolved(collected, options.write);
    bool couldNotWork = !collected.problems.empty();
    bool anyError = false;
    bool anyNotFormatted = false;
    bool outputFailed = false;
    int outputError = 0;
    const std::size_t jobs = options.jobs != 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
    // One file to print goes straight to standard output, a block at a
    // time; several are each kept whole, to be written in order.
    const bool streams = targets.size() == 1 && printsText(options, targets[0]);
    OutputSink stream(STDOUT_FILENO, OutputSink::InBlocks{});
    runInOrder<FileOutcome>(
        targets.size(), jobs,
        [&](std::size_t i) { return formatOne(targets[i], options, streams ? &stream : nullptr); },
        [&](const FileOutcome& outcome) {
            writeAll(STDERR_FILENO, outcome.err);
            if (outcome.outputError != 0 && !outputFailed) {
                outputFailed = true;
                outputError = outcome.outputError;
            }
            if (!outputFailed && !writeAll(STDOUT_FILENO, outcome.out)) {
                outputFailed = true;
                outputError = errno;
            }
            couldNotWork = couldNotWork || outcome.couldNotWork;
            anyError = anyError || outcome.hasError;
            anyNotFormatted = anyNotFormatted || outcome.notFormatted;
        });
    if (outputFailed) {
        writeAll(STDERR_FILENO, std::string("zeb: standard output: ") + std::strerror(outputError) + "\n");
        couldNotWork = true;
    }
    if (couldNotWork) return 2;
    return anyError || (anyNotFormatted && reports(options)) ? 1 : 0;
}

}  // namespace zeb
