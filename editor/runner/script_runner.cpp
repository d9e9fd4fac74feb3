#include "editor/runner/script_runner.h"

#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>

#include "editor/runner/database_directory.h"
#include "editor/runner/password_mask.h"
#include "editor/runner/script_lines.h"
#include "editor/runner/set_aside_records.h"
#include "editor/runner/status_messages.h"
#include "editor/runner/upgrade_log.h"
#include "paradox/api/suspended_links.h"

namespace vortab {
namespace {

// Holds one bind of the library for the length of a run.
class BindingHold {
public:
    explicit BindingHold(LibraryBinding& binding) : binding_(binding) {}
    ~BindingHold() { binding_.ReleaseLibrary(); }
    BindingHold(const BindingHold&) = delete;
    BindingHold& operator=(const BindingHold&) = delete;

private:
    LibraryBinding& binding_;
};

int CountCommandLines(const std::vector<std::string>& lines) {
    int total = 0;
    for (const std::string& line : lines) total += IsCommandLine(line) ? 1 : 0;
    return total;
}

// The second pass: every command line after the applied step, header, line, result.
StatusCode RunPendingLines(LibraryBinding& binding, const ScriptRun& run, const RunHooks& hooks, LogFile* log,
                           int applied, ProgressRecord& record) {
    record.Database = run.database;
    StatusCode result = status::kSuccess;
    for (const std::string& text : run.lines) {
        if (!IsCommandLine(text)) continue;
        if (++record.LineNo <= applied) continue;
        const std::string line = TrimLine(text);
        record.Before = true;
        record.Status = 0;
        record.Message.clear();
        record.Line = MaskPasswords(line);
        if (hooks.progress && !hooks.progress(record)) return status::kStoppedByUser;
        if (log) log->appendLine(FormatHeader(record.LineNo, record.Line, std::time(nullptr)));

        std::optional<SetAsideWatch> setAside;
        if (hooks.warning) setAside.emplace(run.database, run.passwords);
        result = binding.execLine(run.database.c_str(), run.driver.c_str(), line.c_str());
        if (setAside)
            for (const std::string& sentence : setAside->newlySetAside()) hooks.warning(sentence);
        record.Status = result;
        ++record.Executed;
        record.Before = false;
        record.Message = StatusMessage(result);
        if (log) log->appendLine(record.Message);
        if (hooks.progress && !hooks.progress(record) && result <= 0) return status::kStoppedByUser;
        if (result > 0) break;
    }
    return result;
}

// A change killed while the links of its dependents were suspended left a journal of them; the
// library adds them back whenever it opens the database. A run with no step left to run still
// gives it that chance, by the library's call made for it (absent from older libraries).
StatusCode RestoreLinks(LibraryBinding& binding, const ScriptRun& run, const RunHooks& hooks) {
    if (!binding.restoreLinks) return status::kSuccess;
    const StatusCode code = binding.restoreLinks(run.database.c_str(), run.driver.c_str());
    if (code <= 0) return status::kSuccess;
    if (hooks.warning)
        hooks.warning("the links an interrupted change left suspended could not be restored: " + StatusMessage(code));
    return code;
}

}  // namespace

StatusCode RunScript(LibraryBinding& binding, const ScriptRun& run, const RunHooks& hooks) {
    ProgressRecord record;
    record.Total = CountCommandLines(run.lines);
    if (record.Total == 0) return status::kSuccess;

    // Declared in the reverse order of the clean-up: the password callback goes back first,
    // then the log closes (and unlocks), then the library is released.
    std::optional<BindingHold> bound;
    const auto bind = [&]() -> StatusCode {
        if (bound) return status::kSuccess;
        const StatusCode code = binding.BindLibrary(run.libraryDirectory);
        if (code == status::kSuccess) bound.emplace(binding);
        return code;
    };
    // A first run binds before it creates the log, so that a missing library leaves no file.
    std::error_code missing;
    if (!run.logPath.empty() && !std::filesystem::exists(run.logPath, missing))
        if (const StatusCode code = bind(); code != status::kSuccess) return code;
    std::unique_ptr<LogFile> log;
    int applied = 0;
    if (!run.logPath.empty()) {
        log = LogFile::OpenGuarded(run.logPath, LogFile::Mode::Append, hooks.retryLockedLog);
        if (!log) return status::kStoppedByUser;
        applied = AppliedStepOf(log->readLines());
    }
    record.ToApply = record.Total - applied;
    if (hooks.counted) hooks.counted(record);
    if (record.ToApply < 0 && hooks.warning) hooks.warning(kHigherVersionWarning);
    const bool linksLeft =
        paradox::api::QuerySuspendedLinks(DatabaseDirectory(run.database)).state == paradox::api::SuspendedLinksState::Left;
    if (record.ToApply <= 0 && !linksLeft) return status::kSuccess;

    if (const StatusCode code = bind(); code != status::kSuccess) return code;
    PasswordPromptRegistration prompt(binding, hooks.passwordPrompt);
    for (const std::string& password : run.passwords) binding.addPassword(password.c_str());
    if (record.ToApply <= 0) return RestoreLinks(binding, run, hooks);
    return RunPendingLines(binding, run, hooks, log.get(), applied, record);
}

}  // namespace vortab
