// What the commands that run script lines share: where the library is found, the table
// passwords of the command line, the database's directory and the exit codes.
#pragma once
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "editor/runner/library_binding.h"
#include "shared/status_code.h"

namespace vortab::cli {

namespace exit_code {
inline constexpr int kSuccess = 0;          // also "already updated", nothing to do, a newer log
inline constexpr int kStepFailed = 1;       // status code and text on stderr
inline constexpr int kUsage = 2;
inline constexpr int kStopped = 3;          // aborted by the user, or the log stayed locked
inline constexpr int kLibraryUnusable = 4;  // 999, 204, 205
}  // namespace exit_code

// The exit code of a run's result.
int ExitCodeOf(StatusCode result);

// Removes "--library DIR" (or its older spelling "--library-dir DIR") from args and returns the
// directory: that option, else $VORTAB_LIBRARY_DIR, else next to the program as installed,
// else empty (the loader's search).
std::string TakeLibraryDirectory(Arguments& args);

// What every command that runs lines does first: binds the library (the binding keeps it) and
// checks its interface version. 0 when usable; otherwise says why on stderr and returns 4.
int RequireUsableLibrary(LibraryBinding& binding, const std::string& directory, const std::string& command);

// Removes every "--password P" and "--password-file FILE" (one password a line, UTF-8) and
// returns the passwords in Windows-1252. Throws std::runtime_error when the file cannot be read.
std::vector<std::string> TakePasswords(Arguments& args);

// The first argument that looks like an option, or empty: what a command reports as unknown
// once it has taken its own.
std::string FirstOption(const Arguments& args);

// The directory of a database name: an alias's PATH, else the name itself.
std::string DatabaseDirectory(const std::string& database);

// The log of the command line: "--log FILE", none with "--no-log" (when allowed), else
// vortab.log in the database's directory.
struct LogChoice {
    std::string path;  // empty: no log
    bool conflict = false;  // both --log and --no-log
};
LogChoice TakeLogChoice(Arguments& args, const std::string& database, bool allowNoLog);

}  // namespace vortab::cli
