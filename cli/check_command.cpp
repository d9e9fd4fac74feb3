// vortab check SCRIPT: checks the syntax of every command line through the library.
#include <iostream>

#include "cli/cli_command.h"
#include "editor/runner/library_binding.h"
#include "editor/runner/script_lines.h"
#include "editor/runner/status_messages.h"
#include "shared/cp1252.h"

namespace vortab::cli {

int RunCheck(const Arguments& given) {
    Arguments args = given;
    std::string libraryDir = DefaultLibraryDirectory();
    TakeOption(args, "--library-dir", libraryDir);
    if (args.size() != 1) {
        std::cerr << "usage: vortab check SCRIPT [--library-dir DIR]\n";
        return 2;
    }
    const std::vector<ScriptStep> steps = ScriptSteps(SplitLines(ReadFileBytes(args[0])));
    LibraryBinding binding;
    if (StatusCode code = binding.BindLibrary(libraryDir); code != 0) {
        std::cerr << "vortab: " << code << " " << StatusMessage(code) << "\n";
        return 1;
    }
    int errors = 0;
    for (const ScriptStep& step : steps) {
        const StatusCode code = binding.checkSyntax("PARADOX", step.command.c_str());
        if (code == 0) continue;
        ++errors;
        std::cout << args[0] << ":" << step.lineNumber << ": step " << step.step << ": " << code
                  << " " << StatusMessage(code) << "\n    " << Cp1252ToUtf8(step.command) << "\n";
    }
    binding.ReleaseLibrary();
    std::cout << steps.size() << " steps checked, " << errors << " with errors\n";
    return errors == 0 ? 0 : 1;
}

}  // namespace vortab::cli
