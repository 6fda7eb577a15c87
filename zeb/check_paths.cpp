#include "zeb/check_paths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace zeb {
namespace {

namespace fs = std::filesystem;

bool isMissionFile(const fs::directory_entry& entry) {
    std::error_code ignored;
    return entry.path().extension() == ".mission" && entry.is_regular_file(ignored);
}

std::string problem(const std::string& path, const std::error_code& error) {
    return path + ": " + error.message();
}

// Symbolic links to directories are not followed, so a link loop cannot
// make the walk endless; links to files are checked like files.
void collectDirectory(const std::string& root, CollectedTargets& collected) {
    std::vector<std::string> found;
    std::error_code error;
    fs::recursive_directory_iterator walk(root, fs::directory_options::skip_permission_denied, error);
    if (error) {
        collected.problems.push_back(problem(root, error));
        return;
    }
    for (const fs::recursive_directory_iterator end; walk != end; walk.increment(error)) {
        if (error) {
            collected.problems.push_back(problem(root, error));
            error.clear();
            continue;
        }
        if (isMissionFile(*walk)) found.push_back(walk->path().string());
    }
    if (error) collected.problems.push_back(problem(root, error));
    std::sort(found.begin(), found.end());
    for (std::string& path : found) collected.targets.push_back(CheckTarget{std::move(path)});
}

}  // namespace

CollectedTargets collectTargets(const std::vector<std::string>& paths) {
    CollectedTargets collected;
    for (const std::string& path : paths) {
        if (path == "-") {
            collected.targets.push_back(CheckTarget{path});
            continue;
        }
        std::error_code error;
        const fs::file_status status = fs::status(path, error);
        if (error) {
            collected.problems.push_back(problem(path, error));
        } else if (fs::is_directory(status)) {
            collectDirectory(path, collected);
        } else {
            // Anything else is read as it comes: a file, a pipe, a device.
            collected.targets.push_back(CheckTarget{path});
        }
    }
    return collected;
}

}  // namespace zeb
