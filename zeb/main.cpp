// zeb: the companion command for mission designers. Each subcommand is a
// front end over the same library as the zebparser command.

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>

#include "lsp/server.h"
#include "zeb/check_command.h"
#include "zeb/fmt_command.h"
#include "zeb/map_command.h"

namespace {

// Colour only for a person at a terminal, and never when NO_COLOR is set
// (https://no-color.org).
bool wantsColour(int fd) {
    const char* noColour = std::getenv("NO_COLOR");
    if (noColour != nullptr && *noColour != '\0') return false;
    const char* term = std::getenv("TERM");
    if (term != nullptr && std::string_view(term) == "dumb") return false;
    return ::isatty(fd) != 0;
}

zeb::ReportFormat formatNamed(const std::string& name) {
    if (name == "json") return zeb::ReportFormat::Json;
    if (name == "github") return zeb::ReportFormat::Github;
    return zeb::ReportFormat::Text;
}

void addCheck(CLI::App& app, zeb::CheckOptions& options, std::string& format) {
    CLI::App* check = app.add_subcommand("check", "Report every error and warning of mission files");
    check->add_option("paths", options.paths, "Files, directories (every *.mission below) or - for standard input")
        ->required()
        ->type_name("PATH");
    check->add_option("--format", format, "text (the default), json, or github for CI annotations")
        ->check(CLI::IsMember({"text", "json", "github"}))
        ->type_name("FORMAT");
    check->add_option("-j,--jobs", options.jobs, "Files checked at once (default: the number of cores)")
        ->check(CLI::Range(1, 256))
        ->type_name("N");
}

void addFmt(CLI::App& app, zeb::FmtOptions& options) {
    CLI::App* fmt = app.add_subcommand("fmt", "Lay mission files out in the source layout");
    fmt->add_option("paths", options.paths, "Files, directories (every *.mission below) or - for standard input")
        ->required()
        ->type_name("PATH");
    fmt->add_flag("-w,--write", options.write, "Rewrite each file that is not formatted");
    fmt->add_flag("--check", options.check, "Write nothing; name each file that is not formatted (exit 1 if any)");
    fmt->add_flag("--diff", options.diff, "Show what formatting would change as a unified diff (exit 1 if any)");
    fmt->add_flag("-l,--list", options.list, "Name each file that is not formatted, one per line (exit 1 if any)");
    fmt->add_option("-j,--jobs", options.jobs, "Files formatted at once (default: the number of cores)")
        ->check(CLI::Range(1, 256))
        ->type_name("N");
}

void addMap(CLI::App& app, zeb::MapCommandOptions& options) {
    CLI::App* map = app.add_subcommand("map", "Draw a mission's map, its areas and the teams' routes, as SVG");
    map->add_option("path", options.path, "The mission file, or - for standard input")->required()->type_name("FILE");
    map->add_option("-o,--output", options.output, "Write the SVG to this file (default: standard output)")
        ->type_name("OUT.svg");
    map->add_option("--team", options.teams, "Draw only this team's route (repeat for more teams)")
        ->type_name("NAME")
        // One name each time, so that the file may follow it.
        ->allow_extra_args(false);
}

void addLsp(CLI::App& app) {
    app.add_subcommand("lsp", "Serve the Language Server Protocol on standard input and output");
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"zeb: check, format and draw mission files, and serve them to editors"};
    app.set_version_flag("--version", "zeb " ZEB_VERSION);
    app.require_subcommand(1);
    zeb::CheckOptions check;
    std::string format = "text";
    addCheck(app, check, format);
    zeb::FmtOptions fmt;
    addFmt(app, fmt);
    zeb::MapCommandOptions map;
    addMap(app, map);
    addLsp(app);
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
        check.colour = wantsColour(STDOUT_FILENO);
        check.format = formatNamed(format);
        return zeb::runCheck(check);
    }
    if (app.got_subcommand("fmt")) {
        fmt.colour = wantsColour(STDERR_FILENO);
        return zeb::runFmt(fmt);
    }
    if (app.got_subcommand("map")) {
        map.colour = wantsColour(STDERR_FILENO);
        return zeb::runMap(map);
    }
    if (app.got_subcommand("lsp")) return zeb::lsp::runLanguageServer(STDIN_FILENO, STDOUT_FILENO, ZEB_VERSION);
    return 2;
}
