// vortab baseline SCRIPT DATABASE --to N: for a database brought to step N by other means,
// writes the log entries of steps 1 to N as already applied, without running them.
#include <ctime>
#include <iostream>

#include "cli/cli_command.h"
#include "cli/lock_wait.h"
#include "cli/run_options.h"
#include "editor/runner/log_file.h"
#include "editor/runner/password_mask.h"
#include "editor/runner/script_lines.h"
#include "editor/runner/status_messages.h"
#include "editor/runner/upgrade_log.h"

namespace vortab::cli {
namespace {

constexpr const char* kUsage = "usage: vortab baseline SCRIPT DATABASE --to N [--log FILE]\n";

void PrintBaselineHelp() {
    std::cout << kUsage
              << "\nRecords steps 1 to N of SCRIPT as applied in the upgrade log of DATABASE, each with the\n"
                 "result \"Success - Database already updated\", without running them: for a database that\n"
                 "was brought to step N by other means. Refused when the log already holds entries.\n\n"
                 "  --to N      the step the database stands at (1 to the script's step count)\n"
                 "  --log FILE  the upgrade log (default: vortab.log in the database directory)\n";
}

}  // namespace

int RunBaseline(const Arguments& given) {
    Arguments args = given;
    if (TakeFlag(args, "--help") || TakeFlag(args, "-h")) {
        PrintBaselineHelp();
        return exit_code::kSuccess;
    }
    std::string to;
    const bool hasTo = TakeOption(args, "--to", to);
    LogChoice log;
    if (args.size() >= 2) log = TakeLogChoice(args, args[1], false);
    if (const std::string bad = FirstOption(args); !bad.empty() || args.size() != 2 || !hasTo) {
        std::cerr << (bad.empty() ? "" : "vortab baseline: unknown option " + bad + "\n") << kUsage;
        return exit_code::kUsage;
    }
    const std::vector<ScriptStep> steps = ScriptSteps(SplitLines(ReadFileBytes(args[0])));
    char* end = nullptr;
    const long target = std::strtol(to.c_str(), &end, 10);
    if (to.empty() || *end != '\0' || target < 1 || target > static_cast<long>(steps.size())) {
        std::cerr << "vortab baseline: --to takes a step from 1 to " << steps.size() << "\n";
        return exit_code::kUsage;
    }
    const std::unique_ptr<LogFile> file =
        LogFile::OpenGuarded(log.path, LogFile::Mode::Append, LockedLogAnswer("baseline", std::nullopt));
    if (!file) {
        ReportLockedLog("baseline", log.path);
        return exit_code::kStopped;
    }
    if (!ParseLogEntries(file->readLines()).empty()) {
        std::cerr << "vortab baseline: the log " << log.path
                  << " already holds entries; a baseline starts a log, it does not rewrite one\n";
        return exit_code::kStepFailed;
    }
    const std::time_t now = std::time(nullptr);
    for (const ScriptStep& step : steps) {
        if (step.step > target) break;
        file->appendLine(FormatHeader(step.step, MaskPasswords(step.command), now));
        file->appendLine(StatusMessage(status::kAlreadyUpdated));
    }
    std::cout << "steps 1 to " << target << " of " << steps.size() << " recorded as applied in " << log.path << "\n";
    return exit_code::kSuccess;
}

}  // namespace vortab::cli
