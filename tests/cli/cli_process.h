// Runs the built vortab tool (or another built program) as a child process with the given arguments and collects its exit
// code, stdout and stderr (through temporary files, so large outputs cannot dead-lock a pipe).
#pragma once
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace cli_test {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
    long maxRssKb = 0;  // peak resident memory of the child
};

inline std::string VortabPath() { return std::string(VORTAB_BUILD_DIR) + "/cli/vortab"; }

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs the program at `path` (the vortab tool unless told otherwise).
inline RunResult RunProgram(const std::string& path, const std::vector<std::string>& args) {
    char outName[] = "/tmp/vortab-cli-out-XXXXXX";
    char errName[] = "/tmp/vortab-cli-err-XXXXXX";
    const int outFd = mkstemp(outName);
    const int errFd = mkstemp(errName);
    RunResult result;
    if (outFd < 0 || errFd < 0) return result;
    std::vector<std::string> argv{path};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargs;
    for (std::string& a : argv) cargs.push_back(a.data());
    cargs.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(outFd, 1);
        dup2(errFd, 2);
        execv(cargs[0], cargs.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (pid > 0 && wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    result.maxRssKb = usage.ru_maxrss;
    close(outFd);
    close(errFd);
    result.out = Slurp(outName);
    result.err = Slurp(errName);
    std::remove(outName);
    std::remove(errName);
    return result;
}

inline RunResult RunVortab(const std::vector<std::string>& args) { return RunProgram(VortabPath(), args); }

}  // namespace cli_test
