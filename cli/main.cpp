// vortab: the command-line tool. Dispatches to the subcommands listed below.
#include <exception>
#include <iostream>
#include <string>

#include "cli/cli_command.h"

namespace {

using vortab::cli::CliCommand;

const CliCommand kCommands[] = {
    {"apply", "SCRIPT DATABASE [--log FILE | --no-log] [--password P]... [--wait SECONDS] [--dry-run] [--json] [...]",
     "apply the script's steps that the database's upgrade log does not show yet", vortab::cli::RunApply},
    {"status", "SCRIPT DATABASE [--log FILE] [--json]",
     "show applied, pending, edited and interrupted steps from the upgrade log", vortab::cli::RunStatus},
    {"check", "SCRIPT [--json] [--library DIR]",
     "check the syntax of every command line of an upgrade script", vortab::cli::RunCheck},
    {"exec", "DATABASE LINE [--password P]... [--library DIR]",
     "run one script line and print its status code and text", vortab::cli::RunExec},
    {"baseline", "SCRIPT DATABASE --to N [--log FILE]",
     "record steps 1 to N as applied for a database brought there by other means", vortab::cli::RunBaseline},
    {"info", "DATABASE [TABLE...] [--json] [--code-page N] [--password P]... [--password-file FILE]",
     "show the structure of the database's tables", vortab::cli::RunInfo},
    {"export", "DATABASE TABLE [--format csv|json] [--code-page N] [--password P]... [--password-file FILE]\n"
               "         vortab export DATABASE --format sqlite|postgres -o FILE [TABLE...] [--force] [...]",
     "write every record of a table to stdout as CSV or JSON, or whole tables to SQLite or PostgreSQL",
     vortab::cli::RunExport},
    {"dump", "DATABASE [TABLE...] [-o FILE] [--code-page N] [--password P]... [--library DIR]",
     "write the script that reproduces the database (or the chosen tables)", vortab::cli::RunDump},
    {"diff", "ORIGINAL CURRENT [--table NAME [--original-table NAME]] [--invariant | --no-invariant] [--ignore-case] "
             "[-o FILE] [--exit-code] [--code-page N] [--password P]... [--library DIR]",
     "write the script that turns ORIGINAL's structure into CURRENT's", vortab::cli::RunDiff},
    {"verify", "DATABASE [TABLE...] [--json] [--code-page N] [--password P]... [--password-file FILE]",
     "check the database's tables for damage, reading only", vortab::cli::RunVerify},
    {"repair", "DATABASE [TABLE...] [--dry-run] [--backup DIR] [--resort] [--json] [--code-page N] [--password P]... [--password-file FILE]",
     "rebuild what verify finds broken, each table in one crash-safe step", vortab::cli::RunRepair},
    {"version", "[--library DIR]   (also: vortab --version)",
     "show the versions and files of the tool, its engine and its script library", vortab::cli::RunVersion},
};

void PrintHelp() {
    std::cout << "vortab - upgrade Paradox databases by script\n\nusage: vortab COMMAND [ARGS]\n\n";
    for (const CliCommand& c : kCommands)
        std::cout << "  vortab " << c.name << " " << c.usage << "\n      " << c.summary << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
        PrintHelp();
        return argc < 2 ? 2 : 0;
    }
    const std::string name = std::string(argv[1]) == "--version" ? "version" : argv[1];
    for (const CliCommand& c : kCommands) {
        if (name != c.name) continue;
        vortab::cli::Arguments args(argv + 2, argv + argc);
        try {
            return c.run(args);
        } catch (const std::exception& e) {
            std::cerr << "vortab " << name << ": " << e.what() << "\n";
            return 1;
        }
    }
    std::cerr << "vortab: unknown command '" << name << "' (see vortab --help)\n";
    return 2;
}
