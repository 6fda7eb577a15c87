// Formats the mission file named by argv[1] through the installed library,
// then checks a few facts about the output and about an error run. It sees
// only the public header, as any other program would.

#include <zebparser/zebparser.h>

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

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

    // The formatted mission holds the map with its areas and the forces, and
    // the completion line went to the diagnostics.
    if (!contains(result.output, "\n  map \"") || !contains(result.output, "\n    area ") ||
        !contains(result.output, "\n  force \"")) {
        std::cerr << "the output holds no map, area or force\n";
        return 1;
    }
    if (!contains(result.diagnostics, "parsing completed, no errors found")) {
        std::cerr << "no completion line:\n" << result.diagnostics;
        return 1;
    }

    // Every call starts afresh: the same text gives the same result again.
    const zebparser::Result again = zebparser::format(text.str());
    if (again.status != 0 || again.output != result.output || again.diagnostics != result.diagnostics) {
        std::cerr << "a second format of the same text differs\n";
        return 1;
    }

    // The structured diagnostics: none for the clean file, and for a
    // misspelt location one error with its place, code and name.
    if (!zebparser::check(text.str()).empty()) {
        std::cerr << "diagnostics for a clean file\n";
        return 1;
    }
    const std::vector<zebparser::Diagnostic> found = zebparser::check(
        "mission \"m\" { author \"a\"; description \"d\"; rules { }; map \"m\" { location depot = <1, 2, 3> };\n"
        "force \"f\" { team \"t\" { }; }; objectives { }; plan \"t\" { attack towards depto }; }\n");
    if (found.empty() || found[0].severity != "error" || found[0].code != "undeclared-location" || found[0].line != 2 ||
        found[0].column != 72 || !contains(found[0].message, "'depto'")) {
        std::cerr << "check did not report the misspelt location as expected\n";
        return 1;
    }

    // The source layout keeps a comment and reads back as the same mission.
    const zebparser::SourceLayout laid = zebparser::formatSource("// kept\n" + text.str());
    if (laid.status != 0 || laid.text.rfind("// kept\n", 0) != 0 ||
        zebparser::format(laid.text).output != result.output) {
        std::cerr << "the source layout lost the comment or the mission\n";
        return 1;
    }
    if (zebparser::formatSource("mission \"x\" {").status != 1) {
        std::cerr << "the source layout of an error is not refused\n";
        return 1;
    }

    // An error run: status 1, the report in the diagnostics, no output.
    const zebparser::Result bad = zebparser::format("mission \"x\" {");
    if (bad.status != 1 || !bad.output.empty() || !contains(bad.diagnostics, "CAUSE parse error\n")) {
        std::cerr << "error run not reported as expected:\n" << bad.diagnostics;
        return 1;
    }
    std::cerr << "consumer: ok\n";
    return 0;
}
