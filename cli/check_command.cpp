// vortab check SCRIPT: checks the syntax of every command line through the library; each
// failure names the file's line number, the line and the status text.
#include <iostream>

#include "cli/cli_command.h"
#include "cli/json_writer.h"
#include "cli/run_options.h"
#include "editor/runner/library_binding.h"
#include "editor/runner/password_mask.h"
#include "editor/runner/script_lines.h"
#include "editor/runner/status_messages.h"
#include "shared/text/cp1252.h"

namespace vortab::cli {
namespace {

constexpr const char* kUsage = "usage: vortab check SCRIPT [--json] [--library DIR]\n";

struct SyntaxError {
    ScriptStep step;
    StatusCode status;
};

void PrintJson(std::size_t lines, const std::vector<SyntaxError>& errors) {
    std::string out;
    JsonWriter json(out);
    json.beginObject();
    json.memberInteger("lines", static_cast<std::int64_t>(lines));
    json.key("errors");
    json.beginArray();
    for (const SyntaxError& e : errors) {
        json.beginObject();
        json.memberInteger("line", e.step.lineNumber);
        json.member("text", Cp1252ToUtf8(MaskPasswords(e.step.command)));
        json.memberInteger("status", e.status);
        json.member("message", Cp1252ToUtf8(StatusMessage(e.status)));
        json.endObject();
    }
    json.endArray();
    json.endObject();
    std::cout << out << "\n";
}

}  // namespace

int RunCheck(const Arguments& given) {
    Arguments args = given;
    if (TakeFlag(args, "--help") || TakeFlag(args, "-h")) {
        std::cout << kUsage << "\nChecks the syntax of every command line of SCRIPT; exit code 1 when any fails.\n";
        return exit_code::kSuccess;
    }
    const bool asJson = TakeFlag(args, "--json");
    const std::string libraryDir = TakeLibraryDirectory(args);
    if (const std::string bad = FirstOption(args); !bad.empty() || args.size() != 1) {
        std::cerr << (bad.empty() ? "" : "vortab check: unknown option " + bad + "\n") << kUsage;
        return exit_code::kUsage;
    }
    const std::vector<ScriptStep> steps = ScriptSteps(SplitLines(ReadFileBytes(args[0])));
    LibraryBinding binding;
    if (const int unusable = RequireUsableLibrary(binding, libraryDir, "check")) return unusable;
    std::vector<SyntaxError> errors;
    for (const ScriptStep& step : steps)
        if (const StatusCode code = binding.checkSyntax("PARADOX", step.command.c_str()); code != 0)
            errors.push_back({step, code});
    binding.ReleaseLibrary();
    if (asJson) {
        PrintJson(steps.size(), errors);
    } else {
        for (const SyntaxError& e : errors)
            std::cout << args[0] << ":" << e.step.lineNumber << ": step " << e.step.step << ": " << e.status << " "
                      << StatusMessage(e.status) << "\n    " << Cp1252ToUtf8(MaskPasswords(e.step.command)) << "\n";
        std::cout << steps.size() << " steps checked, " << errors.size() << " with errors\n";
    }
    return errors.empty() ? exit_code::kSuccess : exit_code::kStepFailed;
}

}  // namespace vortab::cli
