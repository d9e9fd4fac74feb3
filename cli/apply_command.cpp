// vortab apply SCRIPT DATABASE: applies the steps of the script that the database's upgrade log
// does not show as applied, logging each; with --dry-run on a scratch copy instead.
#include <filesystem>
#include <iostream>
#include <optional>

#include "cli/apply_report.h"
#include "cli/cli_command.h"
#include "cli/dry_run.h"
#include "cli/lock_wait.h"
#include "cli/run_options.h"
#include "cli/table_access.h"
#include "cli/terminal.h"
#include "cli/terminal_prompt.h"
#include "editor/runner/script_lines.h"
#include "paradox/api/database.h"
#include "paradox/api/suspended_links.h"

namespace vortab::cli {
namespace {

constexpr const char* kUsage =
    "usage: vortab apply SCRIPT DATABASE [--log FILE | --no-log] [--password P]... [--password-file FILE]\n"
    "                    [--library DIR] [--wait SECONDS] [--dry-run] [--json]\n";

void PrintApplyHelp() {
    std::cout << kUsage
              << "\nApplies the steps of SCRIPT (command lines, numbered from 1) that DATABASE has not received\n"
                 "yet, as its upgrade log shows, and logs every step it runs. DATABASE is a directory or an alias.\n\n"
                 "  --log FILE            the upgrade log (default: vortab.log in the database directory)\n"
                 "  --no-log              keep no log: every step runs\n"
                 "  --password P          a table password (may be given more than once)\n"
                 "  --password-file FILE  table passwords, one a line (keeps them out of process lists)\n"
                 "  --library DIR         the directory of libvortab.so\n"
                 "  --wait SECONDS        wait this long for another run that holds the log\n"
                 "  --dry-run             run on a scratch copy; the database and its log stay as they are\n"
                 "  --json                one JSON document on stdout\n"
                 "\nExit codes: 0 done or nothing to do, 1 a step failed, 2 usage, 3 stopped, 4 library unusable.\n";
}

struct ApplyOptions {
    std::string script, database, libraryDir;
    LogChoice log;
    std::vector<std::string> passwords;
    std::optional<double> waitSeconds;
    bool dryRun = false, json = false;
};

// Nullopt after a usage error has been reported.
std::optional<ApplyOptions> ParseApply(Arguments args) {
    ApplyOptions o;
    o.json = TakeFlag(args, "--json");
    o.dryRun = TakeFlag(args, "--dry-run");
    o.libraryDir = TakeLibraryDirectory(args);
    o.passwords = TakePasswords(args);
    std::string wait;
    if (TakeOption(args, "--wait", wait)) {
        char* end = nullptr;
        const double seconds = std::strtod(wait.c_str(), &end);
        if (wait.empty() || *end != '\0' || !(seconds >= 0)) {
            std::cerr << "vortab apply: --wait takes a number of seconds\n" << kUsage;
            return std::nullopt;
        }
        o.waitSeconds = seconds;
    }
    if (args.size() >= 2) o.log = TakeLogChoice(args, args[1], true);
    if (const std::string bad = FirstOption(args); !bad.empty() || args.size() != 2 || o.log.conflict) {
        std::cerr << (o.log.conflict ? "vortab apply: --log and --no-log exclude each other\n"
                      : bad.empty()  ? ""
                                     : "vortab apply: unknown option " + bad + "\n")
                  << kUsage;
        return std::nullopt;
    }
    o.script = args[0];
    o.database = args[1];
    return o;
}

// Tells what the first step will do first: add back the links an interrupted change left
// suspended (skipping tables that are gone), or stop at a damaged journal of them.
void NoteSuspendedLinks(const std::string& directory) {
    const paradox::api::SuspendedLinks suspended = paradox::api::QuerySuspendedLinks(directory);
    if (suspended.state == paradox::api::SuspendedLinksState::Damaged) WarnOfSuspendedLinks("apply", directory);
    const paradox::api::LinkJournal& journal = suspended.journal;
    if (suspended.state != paradox::api::SuspendedLinksState::Left || journal.tables.empty()) return;
    std::cerr << "vortab apply: restoring the links of dependent tables that an interrupted change left suspended\n";
    for (const paradox::api::JournalTable& table : journal.tables) {
        if (paradox::api::ListTables(directory, table.table).empty()) {
            std::cerr << "vortab apply: table " << NameToUtf8(table.table)
                      << " no longer exists; its suspended links are not restored\n";
            continue;
        }
        for (const paradox::api::JournalLink& link : table.links)
            if (link.dropped && paradox::api::ListTables(directory, link.link.otherTable).empty())
                std::cerr << "vortab apply: link " << NameToUtf8(link.link.name) << " of "
                          << NameToUtf8(table.table) << " is not restored: its master "
                          << NameToUtf8(link.link.otherTable) << " no longer exists\n";
    }
}

}  // namespace

int RunApply(const Arguments& given) {
    if (given.empty() || given[0] == "--help" || given[0] == "-h") {
        PrintApplyHelp();
        return given.empty() ? exit_code::kUsage : exit_code::kSuccess;
    }
    const std::optional<ApplyOptions> options = ParseApply(given);
    if (!options) return exit_code::kUsage;
    const ApplyOptions& o = *options;
    const std::string directory = DatabaseDirectory(o.database);
    if (!std::filesystem::is_directory(directory)) {
        std::cerr << "vortab apply: " << o.database << ": no such database directory or alias\n";
        return exit_code::kStepFailed;
    }

    NoteSuspendedLinks(directory);
    LibraryBinding binding;
    if (const int unusable = RequireUsableLibrary(binding, o.libraryDir, "apply")) return unusable;
    StopOnInterrupt();
    ScriptRun run;
    run.libraryDirectory = o.libraryDir;
    run.database = o.database;
    run.logPath = o.log.path;
    run.lines = SplitLines(ReadFileBytes(o.script));
    run.passwords = o.passwords;

    ApplyReport report({o.database, o.script, o.log.path, o.json, StderrIsTerminal(), o.dryRun});
    RunHooks hooks;
    hooks.counted = [&](const ProgressRecord& r) { report.counted(r); };
    hooks.progress = [&](ProgressRecord& r) { return report.progress(r); };
    hooks.retryLockedLog = LockedLogAnswer("apply", o.waitSeconds);
    hooks.passwordPrompt = TerminalPasswordPrompt([&] { report.hideBar(); });
    hooks.warning = [](const std::string& text) { std::cerr << "vortab apply: " << text << "\n"; };

    std::unique_ptr<ScratchCopy> scratch;
    if (o.dryRun) {
        scratch = ScratchCopy::Make(directory, o.log.path, hooks.retryLockedLog);
        if (!scratch) {
            ReportLockedLog("apply", o.log.path);
            return exit_code::kStopped;
        }
        run.database = scratch->database();
        run.logPath = scratch->log();
    }

    const StatusCode result = RunScript(binding, run, hooks);
    if (result == status::kStoppedByUser && report.neverCounted()) ReportLockedLog("apply", o.log.path);
    else if (result == status::kStoppedByUser) std::cerr << "vortab apply: stopped\n";
    report.finish(result);
    return ExitCodeOf(result);
}

}  // namespace vortab::cli
