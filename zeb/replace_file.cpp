#include "zeb/replace_file.h"
#include "zeb/write_all.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zeb {
namespace {

constexpr std::size_t kBlock = 1 << 16;
// A name of 255 bytes leaves no room for the temporary file's additions.
constexpr std::size_t kNameKept = 200;

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string because(const char* what, int error) {
    return std::string(what) + ": " + std::strerror(error);
}

bool sameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Whether the file at path is still the one read, with the bytes read. The
// change time moves with any write, rename or change of mode or owner; the
// bytes are compared too, for a file system whose clock is coarse.
bool stillAsRead(const std::string& path, const struct stat& was, std::string_view wasBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat now {};
    bool same = ::fstat(fd, &now) == 0 && S_ISREG(now.st_mode) && now.st_dev == was.st_dev &&
                now.st_ino == was.st_ino && now.st_size == was.st_size && sameTime(now.st_mtim, was.st_mtim) &&
                sameTime(now.st_ctim, was.st_ctim) && static_cast<std::size_t>(now.st_size) == wasBytes.size();
    std::string block(kBlock, '\0');
    std::size_t at = 0;
    while (same) {
        const ssize_t got = ::read(fd, block.data(), block.size());
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            same = got == 0 && at == wasBytes.size();
            break;
        }
        const auto n = static_cast<std::size_t>(got);
        same = at + n <= wasBytes.size() && wasBytes.compare(at, n, std::string_view(block.data(), n)) == 0;
        at += n;
    }
    ::close(fd);
    return same;
}

// The owner first: a change of owner clears the set-user-ID and
// set-group-ID bits, which the mode then puts back. Another owner is given
// only by root; keeping the group is tried for anyone, and a refusal leaves
// the group this process gives new files.
bool copyOwnerAndMode(int fd, const struct stat& was) {
    if (::fchown(fd, was.st_uid, was.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), was.st_gid) != 0) {
        // not allowed: the new file stays this process's own
    }
    return ::fchmod(fd, was.st_mode & 07777) == 0;
}

ReplaceResult failed(std::string problem) {
    return ReplaceResult{ReplaceStatus::Failed, std::move(problem)};
}

// What the new file of `path` is called but for its random end: hidden, and
// not ending in .mission, so that no walk over the folder takes a leftover
// one for a mission.
std::string temporaryNamePrefix(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    return folder + "." + name.substr(0, kNameKept) + ".zebfmt-";
}

}  // namespace

ReplaceResult replaceFile(const std::string& path, std::string_view text, const struct stat& was,
                          std::string_view wasBytes) {
    // A file its owner made read-only stays unwritten, as it would for an
    // editor, although the folder would allow replacing it.
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) return failed(because("cannot write it", errno));
    std::string temporary = temporaryNamePrefix(path) + "XXXXXX";
    // Created with O_EXCL, so never another program's file.
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return failed(because("cannot create a file beside it", errno));
    const char* step = nullptr;
    if (!copyOwnerAndMode(fd, was)) {
        step = "cannot give the new file its mode";
    } else if (!writeAll(fd, text)) {
        step = "cannot write the new text";
    } else if (::fsync(fd) != 0) {
        step = "cannot sync the new text to the disk";
    }
    int error = step != nullptr ? errno : 0;
    if (::close(fd) != 0 && step == nullptr) {
        step = "cannot write the new text";
        error = errno;
    }
    if (step != nullptr) {
        ::unlink(temporary.c_str());
        return failed(because(step, error));
    }
    // Another program may have written the file while this one formatted it:
    // its text wins. Between this look and the rename there is a moment in
    // which such a write is still lost; no lock that every editor honours
    // could close it.
    if (!stillAsRead(path, was, wasBytes)) {
        ::unlink(temporary.c_str());
        return ReplaceResult{ReplaceStatus::ChangedMeanwhile, {}};
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        return failed(because("cannot put the new text in its place", renameError));
    }
    // The rename reaches the disk with the folder. Some file systems cannot
    // sync a folder (EINVAL); on them the rename is as safe as they make it.
    const int folder = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        const bool synced = ::fsync(folder) == 0 || errno == EINVAL;
        const int syncError = errno;
        ::close(folder);
        if (!synced) {
            return failed(because("the new text is in place, but its folder cannot be synced to the disk", syncError));
        }
    }
    return ReplaceResult{ReplaceStatus::Replaced, {}};
}

}  // namespace zeb
