#pragma once

// Writes the whole text to a descriptor, going on after a short write or an
// interrupted one: every zeb command writes its output and reports so.

#include <unistd.h>

#include <cerrno>
#include <string_view>

namespace zeb {

// False after a failed write, with errno saying why (EIO for a descriptor
// that takes nothing).
inline bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t wrote = ::write(fd, text.data(), text.size());
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            if (wrote == 0) errno = EIO;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return true;
}

}  // namespace zeb
