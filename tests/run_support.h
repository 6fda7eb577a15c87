#pragma once

// Ways to run the whole tool from a test: in process on a text, or as the
// real binary with its own standard streams.

#include <filesystem>
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

// How a run's process is set up, for the cases where the environment itself
// is hostile.
struct RunOptions {
    std::string stdoutPath;    // as above
    bool closeStdout = false;  // the tool starts with descriptor 1 closed
    bool closeStderr = false;  // the same for 2; err then stays empty
    int runAsUser = -1;        // a uid to switch to before the tool starts
    // Another program than zebparser (it writes no banner), run in another
    // folder, with a file as standard input.
    std::string binary;
    std::string workingDir;
    std::string stdinPath;
};

RunResult runBinary(const std::vector<std::string>& args, const RunOptions& options);

// Runs the zeb binary in `workingDir` (the test's own when empty).
RunResult runZeb(const std::vector<std::string>& args, const std::string& workingDir = "",
                 const std::string& stdinPath = "");

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

// A scratch folder below the system's temporary one, removed with the test.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    // Writes the file, and the folders it needs, below the scratch folder.
    std::string write(const std::string& name, const std::string& content) const;
    const std::filesystem::path& dir() const { return dir_; }

private:
    std::filesystem::path dir_;
};

// Small missions the tests of the zeb command share: one clean, one with a
// warning only, one with two name errors.
inline const std::string kClean =
    "mission \"m\" { author \"a\"; description \"d\"; rules { }; map \"m\" { location a = <1, 2, 3> };\n"
    "force \"f\" { team \"t\" { }; }; objectives { }; ; }\n";
inline const std::string kWarning =
    "mission \"m\" { author \"a\"; description \"d\"; rules { }; map \"m\" { location a = <1, 2, 40000> };\n"
    "force \"f\" { team \"t\" { }; }; objectives { }; ; }\n";
inline const std::string kNameErrors =
    "mission \"m\" { author \"a\"; description \"d\"; rules { }; map \"m\" { location a = <1, 2, 3> };\n"
    "force \"f\" { team \"t\" { }; }; objectives { };\n"
    "plan \"t\" { attack towards b; observe c }; }\n";

}  // namespace zeb::testing
