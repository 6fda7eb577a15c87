#pragma once

// Reads one checked path whole into memory, line ends normalised the way the
// compiler reads them. A private copy, not a mapping: another program may
// truncate or rewrite the file while many others are being checked.

#include <memory>
#include <string>

namespace zeb {

struct TargetText {
    std::shared_ptr<std::string> text;  // null when the path could not be read
    bool openFailed = false;            // the path itself is unusable
    std::string problem;                // why, when text is null
};

TargetText readTarget(const std::string& path);

}  // namespace zeb
