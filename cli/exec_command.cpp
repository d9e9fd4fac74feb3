// vortab exec DATABASE LINE: runs one script line against the database and prints its status
// code and text on one line (nothing is logged).
#include <iostream>

#include "cli/cli_command.h"
#include "cli/run_options.h"
#include "cli/terminal_prompt.h"
#include "editor/runner/password_prompt.h"
#include "editor/runner/script_lines.h"
#include "editor/runner/status_messages.h"
#include "shared/text/cp1252.h"

namespace vortab::cli {
namespace {

constexpr const char* kUsage =
    "usage: vortab exec DATABASE LINE [--password P]... [--password-file FILE] [--library DIR]\n";

void PrintExecHelp() {
    std::cout << kUsage
              << "\nRuns one script line against DATABASE (a directory or an alias) and prints its status code\n"
                 "and text, e.g. \"-1 Success - Database already updated\". Nothing is logged.\n";
}

void PrintStatus(StatusCode code) { std::cout << code << " " << Cp1252ToUtf8(StatusMessage(code)) << "\n"; }

}  // namespace

int RunExec(const Arguments& given) {
    Arguments args = given;
    if (TakeFlag(args, "--help") || TakeFlag(args, "-h")) {
        PrintExecHelp();
        return exit_code::kSuccess;
    }
    const std::string libraryDir = TakeLibraryDirectory(args);
    const std::vector<std::string> passwords = TakePasswords(args);
    // The line itself may begin with "-" (a negative number): only the first two arguments count.
    if (args.size() != 2 || (args[0].size() > 1 && args[0][0] == '-')) {
        std::cerr << kUsage;
        return exit_code::kUsage;
    }
    LibraryBinding binding;
    if (const StatusCode code = binding.BindLibrary(libraryDir); code != status::kSuccess) {
        PrintStatus(code);
        return ExitCodeOf(code);
    }
    if (const int unusable = RequireUsableLibrary(binding, libraryDir, "exec")) return unusable;
    StatusCode code = status::kSuccess;
    {
        PasswordPromptRegistration prompt(binding, TerminalPasswordPrompt());
        for (const std::string& password : passwords) binding.addPassword(password.c_str());
        const std::string line = TrimLine(Utf8ToCp1252(args[1]));
        code = binding.execLine(args[0].c_str(), "PARADOX", line.c_str());
    }
    binding.ReleaseLibrary();
    PrintStatus(code);
    return ExitCodeOf(code);
}

}  // namespace vortab::cli
