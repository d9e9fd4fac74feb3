// RunScript: applies to one database the steps of a script that its upgrade log does not show
// as applied, one line at a time through vortabExecLine, logging a header before and the status
// text after every line and reporting both moments to a progress callback. The log is locked
// before the applied step is read and stays locked to the end of the run, so a station that
// waited for another starts where the other one stopped.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "editor/runner/library_binding.h"
#include "editor/runner/log_file.h"
#include "editor/runner/password_prompt.h"
#include "shared/status_code.h"

namespace vortab {

inline constexpr const char* kHigherVersionWarning =
    "Warning - database was created by higher version of the application";

// What the progress callback sees before and after each line; it may change Status.
struct ProgressRecord {
    std::string Database;  // the run's database
    std::string Message;   // StatusMessage of the line just run; empty before it runs
    std::string Line;      // the trimmed command line as logged (password arguments masked)
    bool Before = false;   // true before the line runs, false after
    StatusCode Status = 0; // 0 before; the line's status after
    int Total = 0;         // command lines of the script
    int ToApply = 0;       // Total minus the applied step; never 0 when the callback runs
    int LineNo = 0;        // step number of the current line
    int Executed = 0;      // lines run so far in this run
};

// Returns false to stop the run (result 1001).
using ProgressCallback = std::function<bool(ProgressRecord&)>;

struct ScriptRun {
    std::string libraryDirectory;         // for BindLibrary
    std::string database;                 // alias or directory, passed on unchanged
    std::string logPath;                  // empty: every step runs and nothing is logged
    std::vector<std::string> lines;       // the script, 8-bit
    std::vector<std::string> passwords;   // handed to the library before the first line
    std::string driver = "PARADOX";
};

// What the front end supplies; every member may be empty.
struct RunHooks {
    // Once the log is read: Total and ToApply are known (ToApply may be 0 or negative).
    std::function<void(const ProgressRecord&)> counted;
    ProgressCallback progress;
    RetryQuestion retryLockedLog;  // empty: a log locked by another station stops the run
    PasswordPrompt passwordPrompt; // empty: a protected table fails with 10498
    std::function<void(const std::string&)> warning;
};

// 0 or less: success or nothing to do; 1001 stopped (callback, or the log stayed locked);
// 204/999 binding failed, before anything is written; other positive: the status of the line
// that failed, after which nothing more ran. Errors of the log (std::system_error) pass to the
// caller after the clean-up.
StatusCode RunScript(LibraryBinding& binding, const ScriptRun& run, const RunHooks& hooks);

}  // namespace vortab
