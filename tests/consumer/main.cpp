// Formats the mission file named by argv[1] through the installed library,
// then checks a few facts about the record and about an error run.

#include <zebparser/zebparser.h>

#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: consumer FILE\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();

    const zebparser::Result result = zebparser::format(text.str());
    if (result.status != 0) {
        std::cerr << "unexpected failure:\n" << result.diagnostics;
        return 1;
    }
    std::cout << result.output;

    // The record itself, filled by compileSource.
    zebparser::Mission mission;
    std::string out;
    std::string err;
    zebparser::OutputSink outSink(&out);
    zebparser::OutputSink errSink(&err);
    if (zebparser::compileSource(text.str(), mission, outSink, errSink) != 0 || out != result.output) {
        std::cerr << "compileSource disagrees with format\n";
        return 1;
    }
    if (mission.forces.empty() || mission.areas.empty()) {
        std::cerr << "the record holds no forces or areas\n";
        return 1;
    }

    // An error run: status 1, the report in the diagnostics, no output.
    const zebparser::Result bad = zebparser::format("mission \"x\" {");
    if (bad.status != 1 || !bad.output.empty() || bad.diagnostics.find("CAUSE parse error\n") == std::string::npos) {
        std::cerr << "error run not reported as expected:\n" << bad.diagnostics;
        return 1;
    }
    std::cerr << "consumer: ok\n";
    return 0;
}
