#pragma once

// The check that `zeb check`, `zeb fmt` and the language server share: one
// mission text in, every diagnostic out, with the record built from it.

#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/diagnostic.h"
#include "frontend/deferred_actions.h"
#include "model/mission.h"

namespace zeb {

struct MissionAnalysis {
    std::vector<Diagnostic> diagnostics;  // in the order they were found
    std::unique_ptr<Mission> mission;     // complete only when there is no error
    // Every declaration and use of a name, and every comment, in source
    // order: views of the source, which the mission keeps alive.
    std::vector<NameMention> names;
    std::vector<std::string_view> comments;
    bool hasError() const;
};

struct AnalysisOptions {
    // What a caller keeps besides the diagnostics and the mission. Each
    // costs memory a large text feels: a map-heavy mission names a label at
    // nearly every other token.
    bool keepNames = true;
    bool keepComments = true;
    // A text of this size or more is first parsed as the compiler parses
    // it, with the grammar's actions on a second thread, and parsed again
    // only if it has an error. A caller that keeps the second core busy
    // already passes kNever.
    static constexpr std::size_t kNever = static_cast<std::size_t>(-1);
    std::size_t actionsOnSecondThreadFrom = DeferredActions::kWorthFrom;
};

// The text's line ends must already be normalised. A file has an error
// exactly when the compiler would refuse it, and the first error is the one
// the compiler reports; later name errors are reported too, but nothing
// after the first lexical or syntax error.
MissionAnalysis analyzeMission(std::shared_ptr<const std::string> source, AnalysisOptions options = {});
// The same, with the token scan for warnings over the whole text made
// elsewhere (a caller that scans on another thread anyway): its result is
// used when the text has no error.
MissionAnalysis analyzeMission(std::shared_ptr<const std::string> source,
                               std::future<std::vector<Diagnostic>> tokenWarnings, AnalysisOptions options = {});

}  // namespace zeb
