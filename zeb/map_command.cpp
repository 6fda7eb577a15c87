#include "zeb/map_command.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "analysis/analysis.h"
#include "map/mission_map.h"
#include "zeb/checked_file.h"
#include "zeb/read_target.h"
#include "zeb/render.h"
#include "zeb/write_all.h"

namespace zeb {
namespace {

int problem(const std::string& text) {
    writeAll(STDERR_FILENO, "zeb: " + text + "\n");
    return 2;
}

// A file that cannot be written whole is removed rather than left cut
// short, where a viewer would take it for the picture.
int writePicture(const std::string& path, const std::string& svg) {
    if (path.empty() || path == "-") {
        if (writeAll(STDOUT_FILENO, svg)) return 0;
        return problem(std::string("standard output: ") + std::strerror(errno));
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return problem(path + ": " + std::strerror(errno));
    const bool wrote = writeAll(fd, svg);
    const int error = errno;
    if (::close(fd) != 0 || !wrote) {
        ::unlink(path.c_str());
        return problem(path + ": " + std::strerror(wrote ? errno : error));
    }
    return 0;
}

}  // namespace

int runMap(const MapCommandOptions& options) {
    const TargetText read = readTarget(options.path);
    const std::string shown = options.path == "-" ? "<stdin>" : options.path;
    if (!read.text) return problem(shown + ": " + read.problem);
    MissionAnalysis analysis = analyzeMission(read.text, AnalysisOptions{.keepNames = false, .keepComments = false});
    CheckedFile file;
    file.path = shown;
    file.text = *read.text;
    file.diagnostics = std::move(analysis.diagnostics);
    // Warnings too, as zeb check and zeb fmt show them.
    writeAll(STDERR_FILENO, renderText(file, TextStyle{options.colour}));
    if (file.hasError()) return 1;
    for (const std::string& team : options.teams) {
        if (!analysis.mission->isTeamDeclared(team)) return problem(shown + ": no team is named \"" + team + "\"");
    }
    return writePicture(options.output, map::drawMissionMap(*analysis.mission, map::MapOptions{options.teams}));
}

}  // namespace zeb
