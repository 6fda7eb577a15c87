#include "tests/run_support.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "driver/banner.h"
#include "driver/driver.h"
#include "model/mission.h"
#include "output/output_sink.h"

namespace zeb::testing {

RunResult compileInProcess(const std::string& source) {
    RunResult result;
    Mission mission;
    OutputSink out(&result.out);
    OutputSink err(&result.err);
    result.status = compileSource(source, mission, out, err);
    return result;
}

std::string banner() {
    return std::string(bannerText());
}

namespace {

// Drains both pipes together so that neither can fill up and block the child.
void drain(int outFd, int errFd, std::string& out, std::string& err) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* targets[2] = {&out, &err};
    int open = (outFd >= 0) + 1;
    if (outFd < 0) fds[0].fd = -1;
    char buffer[65536];
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                targets[i]->append(buffer, static_cast<std::size_t>(got));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

}  // namespace

RunResult runBinary(const std::vector<std::string>& args, const std::string& stdoutPath) {
    RunOptions options;
    options.stdoutPath = stdoutPath;
    return runBinary(args, options);
}

RunResult runZeb(const std::vector<std::string>& args, const std::string& workingDir, const std::string& stdinPath) {
    RunOptions options;
    options.binary = ZEB_COMMAND;
    options.workingDir = workingDir;
    options.stdinPath = stdinPath;
    return runBinary(args, options);
}

RunResult runBinary(const std::vector<std::string>& args, const RunOptions& options) {
    const std::string& stdoutPath = options.stdoutPath;
    const bool pipeStdout = stdoutPath.empty() && !options.closeStdout;
    int outPipe[2] = {-1, -1};
    int errPipe[2];
    if (pipeStdout && ::pipe(outPipe) != 0) throw std::runtime_error("pipe");
    if (::pipe(errPipe) != 0) throw std::runtime_error("pipe");
    pid_t child = ::fork();
    if (child == 0) {
        int in = ::open(options.stdinPath.empty() ? "/dev/null" : options.stdinPath.c_str(), O_RDONLY);
        ::dup2(in, 0);
        if (!options.workingDir.empty() && ::chdir(options.workingDir.c_str()) != 0) ::_exit(126);
        if (pipeStdout) {
            ::dup2(outPipe[1], 1);
        } else if (!stdoutPath.empty()) {
            int out = ::open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(out, 1);
        }
        ::dup2(errPipe[1], 2);
        // Closed last, so that no descriptor opened above can take their place.
        if (options.closeStdout) ::close(1);
        if (options.closeStderr) ::close(2);
        if (options.runAsUser >= 0 && (::setgid(static_cast<gid_t>(options.runAsUser)) != 0 ||
                                       ::setuid(static_cast<uid_t>(options.runAsUser)) != 0)) {
            ::_exit(126);
        }
        std::vector<char*> argv;
        std::string binary = options.binary.empty() ? ZEB_BINARY : options.binary;
        argv.push_back(binary.data());
        std::vector<std::string> copies(args);
        for (auto& arg : copies) argv.push_back(arg.data());
        argv.push_back(nullptr);
        ::execv(binary.c_str(), argv.data());
        ::_exit(127);
    }
    if (pipeStdout) ::close(outPipe[1]);
    ::close(errPipe[1]);
    RunResult result;
    std::string err;
    drain(pipeStdout ? outPipe[0] : -1, errPipe[0], result.out, err);
    int status = 0;
    ::waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    const std::string expectedBanner = banner();
    if (options.closeStderr || !options.binary.empty()) {
        result.err = err;  // no banner: nothing can have arrived, or another program
    } else if (err.compare(0, expectedBanner.size(), expectedBanner) == 0) {
        result.err = err.substr(expectedBanner.size());
    } else {
        result.err = "<no banner>" + err;
    }
    return result;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

TempFile::TempFile(const std::string& content) {
    std::string pattern = "/tmp/zebtestXXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) throw std::runtime_error("mkstemp");
    ::close(fd);
    path_ = pattern;
    writeFile(path_, content);
}

TempFile::~TempFile() {
    ::unlink(path_.c_str());
}

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zeb-scratch-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
    dir_ = pattern;
    // Open to others, for the tests that run the tool as another user.
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                           std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                                           std::filesystem::perms::others_exec);
}

ScratchDir::~ScratchDir() {
    std::error_code error;
    std::filesystem::remove_all(dir_, error);
}

std::string ScratchDir::write(const std::string& name, const std::string& content) const {
    const std::filesystem::path path = dir_ / name;
    std::filesystem::create_directories(path.parent_path());
    writeFile(path.string(), content);
    return path.string();
}

}  // namespace zeb::testing
