#pragma once

// Reads one checked path whole into memory, line ends normalised the way the
// compiler reads them. A private copy, not a mapping: another program may
// truncate or rewrite the file while many others are being checked.

#include <sys/stat.h>

#include <memory>
#include <optional>
#include <string>

namespace zeb {

struct TargetText {
    std::shared_ptr<std::string> text;  // null when the path could not be read
    bool openFailed = false;            // the path itself is unusable
    std::string problem;                // why, when text is null
    // Kept only when asked for, for a command that may replace the file: the
    // bytes as the file holds them (the same string as text when there was
    // no line end to normalise), and the file's status as it was read, when
    // it is a regular file.
    std::shared_ptr<const std::string> bytes;
    std::optional<struct stat> regularFile;
};

enum class KeepBytes { No, Yes };

TargetText readTarget(const std::string& path, KeepBytes keep = KeepBytes::No);

}  // namespace zeb
