#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "command_line.h"
#include "file_io.h"
#include "generator.h"
#include "grammar_error.h"
#include "header_emitter.h"
#include "state_report.h"

namespace {

using namespace zeb::lalrgen;

int run(const CommandLine& commandLine) {
    const std::vector<TokenDefinition> tokens =
        readTokenDefinitions(readWholeFile(commandLine.tokensPath), commandLine.tokensPath);
    const GeneratedParser parser =
        generateParser(tokens, readWholeFile(commandLine.grammarPath), commandLine.grammarPath);
    // The report is written even when there are conflicts: it is what explains them.
    if (commandLine.reportPath) {
        writeFileAtomically(*commandLine.reportPath,
                            writeStateReport(parser.grammar, parser.automaton, parser.reductions, parser.build));
    }
    if (parser.hasConflicts()) {
        for (const std::string& message : parser.conflictMessages()) std::cerr << message << "\n";
        std::cerr << commandLine.grammarPath << ": " << parser.build.conflicts.size()
                  << " conflict(s); no tables written\n";
        return 1;
    }
    const std::string fileName = std::filesystem::path(commandLine.grammarPath).filename().string();
    writeFileAtomically(commandLine.outputPath,
                        emitTablesHeader(parser.grammar, parser.build.tables, tokens, fileName));
    return 0;
}

int reportFailure(const std::exception& error) {
    if (const auto* grammarError = dynamic_cast<const GrammarError*>(&error)) {
        for (const std::string& diagnostic : grammarError->diagnostics()) std::cerr << diagnostic << "\n";
    } else {
        std::cerr << "lalrgen: " << error.what() << "\n";
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    CommandLine commandLine;
    try {
        commandLine = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        return reportFailure(error);
    }
    int status = 1;
    try {
        status = run(commandLine);
    } catch (const std::exception& error) {
        status = reportFailure(error);
    }
    // A header left over from an earlier run must not outlive a failed one.
    if (status != 0) {
        std::error_code ignored;
        std::filesystem::remove(commandLine.outputPath, ignored);
    }
    return status;
}
