// Script-line benchmark: times N calls (default 20,000) of vortabCheckSyntax (compile) and of
// vortabExecLine (compile and evaluate, on an empty database directory that stays open) for a
// typical guard line, and an empty C loop of 1,000 iterations as the unit, so that the figures
// travel between machines. Each figure is the fastest of three runs. Prints microseconds per
// line and RATIO lines (bench/README.md).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "shared/vortab_api.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kLine = "IF((ROUND(2.5, 0) = 2) AND (LEN(\"ORDERS\") = 6), ERROR(0), ERROR(2002))";
constexpr long kLoopIterations = 1000;
constexpr int kRuns = 3;

template <typename Fn>
double BestSecondsPerCall(long calls, Fn fn) {
    double best = 1e30;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = Clock::now();
        for (long i = 0; i < calls; ++i) fn();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count() / double(calls));
    }
    return best;
}

// One pass of the empty loop; the barrier keeps the compiler from removing it.
void EmptyLoop() {
    for (long i = 0; i < kLoopIterations; ++i) asm volatile("" ::: "memory");
}

}  // namespace

int main(int argc, char** argv) {
    long lines = 20000;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--lines") == 0) lines = std::atol(argv[i + 1]);
    const char* tmp = std::getenv("TMPDIR");
    const fs::path db = fs::path(tmp && *tmp ? tmp : "/tmp") / ("vortab-bench-line-" + std::to_string(::getpid()));
    fs::create_directories(db);
    const std::string dbPath = db.string();

    const int syntax = vortabCheckSyntax("PARADOX", kLine);
    const int exec = vortabExecLine(dbPath.c_str(), "PARADOX", kLine);
    if (syntax != 0 || exec != 0) {
        std::fprintf(stderr, "bench_line: the line answers %d (syntax) and %d (exec), not 0\n", syntax, exec);
        fs::remove_all(db);
        return 1;
    }
    const double loop = BestSecondsPerCall(std::max(lines * 10, 1000L), EmptyLoop);
    const double compile = BestSecondsPerCall(lines, [] { vortabCheckSyntax("PARADOX", kLine); });
    const double run = BestSecondsPerCall(lines, [&] { vortabExecLine(dbPath.c_str(), "PARADOX", kLine); });
    fs::remove_all(db);

    std::printf("script-line benchmark: %ld calls of\n  %s\n", lines, kLine);
    std::printf("  empty C loop of %ld iterations: %8.3f us\n", kLoopIterations, loop * 1e6);
    std::printf("  compile (vortabCheckSyntax):     %8.3f us per line\n", compile * 1e6);
    std::printf("  compile and evaluate (ExecLine): %8.3f us per line\n\n", run * 1e6);
    std::printf("RATIO line.compile %.1f times an empty C loop of %ld iterations (%.2f us per line)\n", compile / loop,
                kLoopIterations, compile * 1e6);
    std::printf("RATIO line.evaluate %.1f times an empty C loop of %ld iterations (%.2f us per line, compile included)\n",
                run / loop, kLoopIterations, run * 1e6);
    return 0;
}
