#include "cli/run_options.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "cli/table_access.h"
#include "editor/runner/database_directory.h"
#include "editor/runner/library_binding.h"
#include "editor/runner/script_lines.h"
#include "editor/runner/upgrade_log.h"

namespace vortab::cli {

int ExitCodeOf(StatusCode result) {
    if (result <= 0) return exit_code::kSuccess;
    if (result == status::kStoppedByUser) return exit_code::kStopped;
    if (result == status::kLibraryNotLoaded || result == status::kEngineNotInitialised ||
        result == status::kEngineTooOld)
        return exit_code::kLibraryUnusable;
    return exit_code::kStepFailed;
}

std::string TakeLibraryDirectory(Arguments& args) {
    std::string dir;
    const bool given = TakeOption(args, "--library", dir);
    std::string older;
    if (TakeOption(args, "--library-dir", older) && !given) return older;
    if (given) return dir;
    if (const char* env = std::getenv("VORTAB_LIBRARY_DIR"); env && *env) return env;
    return DefaultLibraryDirectory();
}

int RequireUsableLibrary(LibraryBinding& binding, const std::string& directory, const std::string& command) {
    try {
        binding.OpenLibraryInfo(directory);
    } catch (const std::runtime_error& e) {
        std::cerr << "vortab " << command << ": " << e.what() << " ("
                  << (directory.empty() ? std::string("the loader's search path") : LibraryPath(directory)) << ")\n";
    }
    return binding.RequireLibrary() ? exit_code::kSuccess : exit_code::kLibraryUnusable;
}

std::vector<std::string> TakePasswords(Arguments& args) { return TakeOpenOptions(args).passwords; }

std::string FirstOption(const Arguments& args) {
    for (const std::string& a : args)
        if (a.size() > 1 && a[0] == '-') return a;
    return {};
}

std::string DatabaseDirectory(const std::string& database) { return vortab::DatabaseDirectory(database); }

LogChoice TakeLogChoice(Arguments& args, const std::string& database, bool allowNoLog) {
    LogChoice choice;
    const bool noLog = allowNoLog && TakeFlag(args, "--no-log");
    const bool given = TakeOption(args, "--log", choice.path);
    choice.conflict = noLog && given;
    if (noLog) choice.path.clear();
    else if (!given) choice.path = (std::filesystem::path(DatabaseDirectory(database)) / kDefaultLogName).string();
    return choice;
}

}  // namespace vortab::cli
