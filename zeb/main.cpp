// zeb: the companion command for mission designers. Each subcommand is a
// front end over the same library as the zebparser command.

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>

#include "zeb/check_command.h"

namespace {

// Colour only for a person at a terminal, and never when NO_COLOR is set
// (https://no-color.org).
bool wantsColour() {
    const char* noColour = std::getenv("NO_COLOR");
    if (noColour != nullptr && *noColour != '\0') return false;
    const char* term = std::getenv("TERM");
    if (term != nullptr && std::string_view(term) == "dumb") return false;
    return ::isatty(STDOUT_FILENO) != 0;
}

void addCheck(CLI::App& app, zeb::CheckOptions& options) {
    CLI::App* check = app.add_subcommand("check", "Report every error and warning of mission files");
    check->add_option("paths", options.paths, "Files, directories (every *.mission below) or - for standard input")
        ->required();
    const std::map<std::string, zeb::ReportFormat> formats = {
        {"text", zeb::ReportFormat::Text}, {"json", zeb::ReportFormat::Json}, {"github", zeb::ReportFormat::Github}};
    check->add_option("--format", options.format, "text (default), json or github")
        ->transform(CLI::CheckedTransformer(formats, CLI::ignore_case));
    check->add_option("-j,--jobs", options.jobs, "Files checked at once (default: the number of cores)")
        ->check(CLI::Range(1, 256));
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"zeb: check mission files"};
    app.set_version_flag("--version", "zeb " ZEB_VERSION);
    app.require_subcommand(1);
    zeb::CheckOptions check;
    addCheck(app, check);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        // Usage errors exit with 2, as the tools this one sits beside do.
        app.exit(e);
        return 2;
    }
    if (app.got_subcommand("check")) {
        check.colour = wantsColour();
        return zeb::runCheck(check);
    }
    return 2;
}
