// vortab status SCRIPT DATABASE: where the database stands against the script, read from its
// upgrade log; nothing runs and nothing is written.
#include <iostream>

#include "cli/cli_command.h"
#include "cli/json_writer.h"
#include "cli/run_options.h"
#include "cli/table_access.h"
#include "editor/runner/log_file.h"
#include "editor/runner/script_lines.h"
#include "editor/runner/upgrade_log.h"
#include "editor/runner/upgrade_status.h"
#include "shared/text/cp1252.h"

namespace vortab::cli {
namespace {

constexpr const char* kUsage = "usage: vortab status SCRIPT DATABASE [--log FILE] [--json]\n";

void PrintStatusHelp() {
    std::cout << kUsage
              << "\nShows where DATABASE stands against SCRIPT: total steps, the applied step, the pending\n"
                 "steps, steps whose logged command differs from the script's line now (edited), a step\n"
                 "whose run was cut off (interrupted; the next apply repeats it) and a log ahead of the\n"
                 "script (newer). Reads the log only, and warns when an interrupted change left links of\n"
                 "dependent tables suspended (the next apply restores them).\n\n"
                 "  --log FILE  the upgrade log (default: vortab.log in the database directory)\n"
                 "  --json      {\"total\", \"applied\", \"pending\", \"edited\", \"interrupted\", \"newer\", \"running\",\n"
                 "              \"linksSuspended\"}\n";
}

// "5, 7-9" for a sorted list of steps.
std::string StepRanges(const std::vector<int>& steps) {
    std::string text;
    for (std::size_t i = 0; i < steps.size();) {
        std::size_t j = i;
        while (j + 1 < steps.size() && steps[j + 1] == steps[j] + 1) ++j;
        if (!text.empty()) text += ", ";
        text += std::to_string(steps[i]) + (j > i ? "-" + std::to_string(steps[j]) : "");
        i = j + 1;
    }
    return text;
}

void PrintJson(const UpgradeStatus& s, std::optional<int> running, bool linksSuspended) {
    std::string out;
    JsonWriter json(out);
    json.beginObject();
    json.memberInteger("total", s.total);
    json.memberInteger("applied", s.applied);
    json.key("pending");
    json.beginArray();
    for (int step : s.pending) json.integer(step);
    json.endArray();
    json.key("edited");
    json.beginArray();
    for (const EditedStep& e : s.edited) {
        json.beginObject();
        json.memberInteger("step", e.step);
        json.member("logged", Cp1252ToUtf8(e.logged));
        json.member("script", Cp1252ToUtf8(e.script));
        json.endObject();
    }
    json.endArray();
    json.memberInteger("interrupted", std::optional<std::int64_t>(s.interrupted));
    json.memberBoolean("newer", s.newer);
    json.memberInteger("running", std::optional<std::int64_t>(running));
    json.memberBoolean("linksSuspended", linksSuspended);
    json.endObject();
    std::cout << out << "\n";
}

void PrintText(const UpgradeStatus& s, const std::string& database, const std::string& log, std::optional<int> running) {
    const bool upToDate = s.pending.empty() && !s.newer && !running;
    std::cout << "database:    " << database << "\n"
              << "log:         " << log << "\n"
              << "applied:     step " << s.applied << " of " << s.total << (upToDate ? " (up to date)" : "") << "\n"
              << "pending:     " << (s.pending.empty() ? "none" : "steps " + StepRanges(s.pending)) << "\n";
    for (const EditedStep& e : s.edited)
        std::cout << "edited:      step " << e.step << " since it was logged\n    logged: " << Cp1252ToUtf8(e.logged)
                  << "\n    script: " << Cp1252ToUtf8(e.script) << "\n";
    if (s.interrupted)
        std::cout << "interrupted: step " << *s.interrupted
                  << " (its run was cut off before it returned; the next apply repeats it)\n";
    if (running) std::cout << "running:     step " << *running << " (another run holds the log)\n";
    if (s.newer) std::cout << "Warning - database was created by higher version of the application\n";
}

}  // namespace

int RunStatus(const Arguments& given) {
    Arguments args = given;
    if (TakeFlag(args, "--help") || TakeFlag(args, "-h")) {
        PrintStatusHelp();
        return exit_code::kSuccess;
    }
    const bool asJson = TakeFlag(args, "--json");
    LogChoice log;
    if (args.size() >= 2) log = TakeLogChoice(args, args[1], false);
    if (const std::string bad = FirstOption(args); !bad.empty() || args.size() != 2) {
        std::cerr << (bad.empty() ? "" : "vortab status: unknown option " + bad + "\n") << kUsage;
        return exit_code::kUsage;
    }
    UpgradeStatus status = ReadUpgradeStatus(SplitLines(ReadFileBytes(args[0])), ReadLogLines(log.path));
    // A log that another run holds ends in the header of the step that is running now.
    std::optional<int> running;
    if (status.interrupted && LogIsLocked(log.path)) {
        running = status.interrupted;
        status.interrupted.reset();
    }
    const bool linksSuspended = WarnOfSuspendedLinks("status", args[1]);
    if (asJson) PrintJson(status, running, linksSuspended);
    else PrintText(status, args[1], log.path, running);
    return exit_code::kSuccess;
}

}  // namespace vortab::cli
