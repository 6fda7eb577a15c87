#include "zeb/check_command.h"

#include <unistd.h>
#include <algorithm>

#include <cstdio>
#include <thread>

#include "analysis/analysis.h"
#include "zeb/check_paths.h"
#include "zeb/ordered_parallel.h"
#include "zeb/read_target.h"
#include "zeb/write_all.h"

namespace zeb {
namespace {

struct FileOutcome {
    std::string rendered;
    std::string problem;  // the path could not be opened
    bool hasError = false;
};

Diagnostic readError(const std::string& problem) {
    Diagnostic d;
    d.code = code::kReadError;
    d.message = "the file could not be read: " + problem;
    return d;
}

std::string rendered(const CheckedFile& file, const CheckOptions& options) {
    switch (options.format) {
    case ReportFormat::Text: return renderText(file, TextStyle{options.colour});
    case ReportFormat::Json: return renderJsonObjects(file);
    case ReportFormat::Github: return renderGithub(file);
    }
    return {};
}

// `alone`: no other file is checked meanwhile, so a large one may take the
// second core for its parse.
FileOutcome checkOne(const CheckTarget& target, const CheckOptions& options, bool alone) {
    TargetText read = readTarget(target.path);
    if (read.openFailed) return FileOutcome{{}, target.path + ": " + read.problem, false};
    CheckedFile file;
    file.path = target.path == "-" ? "<stdin>" : target.path;
    if (!read.text) {
        file.diagnostics.push_back(readError(read.problem));
    } else {
        file.text = *read.text;
        AnalysisOptions analysisOptions{.keepNames = false, .keepComments = false};
        if (!alone) analysisOptions.actionsOnSecondThreadFrom = AnalysisOptions::kNever;
        MissionAnalysis analysis = analyzeMission(read.text, analysisOptions);
        file.diagnostics = std::move(analysis.diagnostics);
    }
    return FileOutcome{rendered(file, options), {}, file.hasError()};
}

}  // namespace

int runCheck(const CheckOptions& options) {
    CollectedTargets collected = collectTargets(options.paths);
    for (const std::string& problem : collected.problems) writeAll(STDERR_FILENO, "zeb: " + problem + "\n");
    bool couldNotRead = !collected.problems.empty();
    bool anyError = false;
    const bool json = options.format == ReportFormat::Json;
    bool firstObject = true;
    if (json) writeAll(STDOUT_FILENO, "[");
    const std::size_t jobs = options.jobs != 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
    const bool alone = std::min(jobs, collected.targets.size()) <= 1;
    runInOrder<FileOutcome>(
        collected.targets.size(), jobs, [&](std::size_t i) { return checkOne(collected.targets[i], options, alone); },
        [&](const FileOutcome& outcome) {
            if (!outcome.problem.empty()) {
                writeAll(STDERR_FILENO, "zeb: " + outcome.problem + "\n");
                couldNotRead = true;
                return;
            }
            anyError = anyError || outcome.hasError;
            if (json && !outcome.rendered.empty()) {
                if (!firstObject) writeAll(STDOUT_FILENO, ",");
                firstObject = false;
            }
            writeAll(STDOUT_FILENO, outcome.rendered);
        });
    if (json) writeAll(STDOUT_FILENO, "]\n");
    if (couldNotRead) return 2;
    return anyError ? 1 : 0;
}

}  // namespace zeb
