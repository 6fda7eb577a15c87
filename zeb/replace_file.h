#pragma once

// Puts a new text in the place of a file so that a reader, and the disk
// after a crash, sees either the whole old text or the whole new one: the
// text goes to a new file in the same folder, is synced, and is renamed over
// the old one. The new file has the old one's permission bits, and its
// owner and group where this process may give them.

#include <sys/stat.h>

#include <string>
#include <string_view>

namespace zeb {

enum class ReplaceStatus {
    Replaced,
    ChangedMeanwhile,  // the file is not the one that was read; left alone
    Failed,            // left as it was, except where the problem says
};

struct ReplaceResult {
    ReplaceStatus status = ReplaceStatus::Failed;
    std::string problem;  // when failed: what could not be done, and why
};

// `path` names the regular file itself, not a symbolic link to it. `was` is
// its status from before `wasBytes` were read from it: the file is replaced
// only if it still is that file with those bytes, so that the work of
// another program that wrote it meanwhile is not lost.
ReplaceResult replaceFile(const std::string& path, std::string_view text, const struct stat& was,
                          std::string_view wasBytes);

}  // namespace zeb
