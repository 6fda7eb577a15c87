#include "zeb/check_paths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace zeb {
namespace {

namespace fs = std::filesystem;

std::string problem(const fs::path& path, const std::error_code& error) {
    return path.string() + ": " + error.message();
}

// Symbolic links to directories are not followed, so a link loop cannot
// make the walk endless; links to files are checked like files. A folder
// that cannot be read is reported, and the walk goes on beside it.
void walk(const fs::path& dir, std::vector<std::string>& found, CollectedTargets& collected) {
    std::error_code error;
    fs::directory_iterator entries(dir, error);
    for (const fs::directory_iterator end; !error && entries != end; entries.increment(error)) {
        const fs::directory_entry& entry = *entries;
        std::error_code statusError;
        if (entry.is_directory(statusError) && !entry.is_symlink(statusError)) {
            walk(entry.path(), found, collected);
        } else if (entry.path().extension() == ".mission" && entry.is_regular_file(statusError)) {
            found.push_back(entry.path().string());
        }
    }
    if (error) collected.problems.push_back(problem(dir, error));
}

void collectDirectory(const std::string& root, CollectedTargets& collected) {
    std::vector<std::string> found;
    walk(root, found, collected);
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
            collected.problems.push_back(problem(fs::path(path), error));
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
