// The subcommands of the vortab tool. Each takes its own arguments (after the subcommand name)
// and returns the process exit code: 0 success, 1 failure (status and text on stderr), 2 usage.
#pragma once
#include <string>
#include <vector>

namespace vortab::cli {

using Arguments = std::vector<std::string>;

struct CliCommand {
    const char* name;
    const char* usage;    // arguments, shown in --help
    const char* summary;  // one line
    int (*run)(const Arguments& args);
};

int RunApply(const Arguments& args);
int RunStatus(const Arguments& args);
int RunCheck(const Arguments& args);
int RunExec(const Arguments& args);
int RunBaseline(const Arguments& args);
int RunInfo(const Arguments& args);
int RunExport(const Arguments& args);
int RunDump(const Arguments& args);
int RunDiff(const Arguments& args);
int RunVerify(const Arguments& args);
int RunRepair(const Arguments& args);
int RunVersion(const Arguments& args);

// Reads a whole file; throws std::runtime_error with a message when it cannot.
std::string ReadFileBytes(const std::string& path);

// Finds "--name VALUE" in args (removing both); returns false when absent.
bool TakeOption(Arguments& args, const std::string& name, std::string& value);
bool TakeFlag(Arguments& args, const std::string& name);

}  // namespace vortab::cli
