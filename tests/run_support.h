#pragma once

// Ways to run the whole tool from a test: in process on a text, or as the
// real binary with its own standard streams.

#include <string>
#include <vector>

namespace zeb::testing {

struct RunResult {
    std::string out;  // standard output
    std::string err;  // standard error, without the banner
    int status = -1;
};

// Parses and prints a mission text in process, with a fresh Mission.
RunResult compileInProcess(const std::string& source);

// Runs the zebparser binary with the arguments; standard input is empty.
// stdoutPath, when given, becomes its standard output instead of a pipe.
RunResult runBinary(const std::vector<std::string>& args, const std::string& stdoutPath = "");

// The banner every run writes first.
std::string banner();

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);

// A scratch file that is removed when the test ends.
class TempFile {
public:
    explicit TempFile(const std::string& content);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace zeb::testing
