// Runner benchmark, two measurements side by side in one run:
//  1. A script of N steps against a database whose log already holds all N: RunScript reads
//     the log under its lock, counts and finds nothing to do. Compared with reading the same
//     two files' bytes (the least any runner must do).
//  2. N steps that each find their change already in place (FLD_ADD of a field the table has,
//     status -1): through RunScript with a fresh log, and through direct vortabExecLine calls.
//     The ratio is the runner's own cost per step: headers, results, the callback, the lock.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "editor/runner/script_runner.h"
#include "editor/runner/status_messages.h"
#include "editor/runner/upgrade_log.h"
#include "paradox/format/descriptor_builder.h"
#include "paradox/table/table_writer.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using vortab::StatusCode;

const char* kStep = R"(FLD_ADD("ORDERS", "Notes", FLDZSTRING, FLDSTDEFAULT, 40, 0))";

template <typename F>
double Seconds(F&& f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The two sides measured in turns, `rounds` times each; the fastest round of each counts, so
// that a machine busy with other work disturbs the ratio as little as it can.
template <typename A, typename B>
std::pair<double, double> SideBySide(int rounds, A&& a, B&& b) {
    double bestA = 1e300, bestB = 1e300;
    for (int i = 0; i < rounds; ++i) {
        bestA = std::min(bestA, Seconds(a));
        bestB = std::min(bestB, Seconds(b));
    }
    return {bestA, bestB};
}

void MakeOrders(const std::string& dir) {
    paradox::DescriptorBuilder b("ORDERS");
    b.field("OrderNo", paradox::FLDINT32).field("Amount", paradox::FLDFLOAT).field("Notes", paradox::FLDZSTRING, 0, 40);
    paradox::createTable(dir, b.descriptor(), {1, false});
    paradox::TableWriter w = paradox::TableWriter::open(dir, "ORDERS");
    for (int i = 1; i <= 100; ++i) w.insert({paradox::Value::integer(i), paradox::Value::number(i), paradox::Value::text("n")});
    w.commit();
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

int main(int argc, char** argv) {
    int steps = 1000;
    if (argc == 3 && std::strcmp(argv[1], "--steps") == 0) steps = std::atoi(argv[2]);
    const fs::path dir = fs::temp_directory_path() / ("vortab-bench-runner-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    MakeOrders(dir.string());

    vortab::ScriptRun run;
    run.libraryDirectory = VORTAB_LIBRARY_BUILD_DIR;
    run.database = dir.string();
    run.lines.assign(static_cast<std::size_t>(steps), kStep);
    const std::string script = (dir / "script.txt").string();
    {
        std::ofstream out(script, std::ios::binary);
        for (const std::string& line : run.lines) out << line << "\r\n";
    }
    vortab::LibraryBinding binding;
    if (binding.BindLibrary(run.libraryDirectory) != 0) {
        std::fprintf(stderr, "bench_runner: libvortab.so not found in %s\n", VORTAB_LIBRARY_BUILD_DIR);
        return 1;
    }
    vortab::RunHooks hooks;
    hooks.progress = [](vortab::ProgressRecord&) { return true; };

    // 1. Everything applied: read the log, count, nothing to do.
    run.logPath = (dir / "full.log").string();
    if (vortab::RunScript(binding, run, hooks) > 0) return 1;
    const auto [upToDate, rawRead] = SideBySide(
        50, [&] { vortab::RunScript(binding, run, hooks); },
        [&] {
            volatile std::size_t n = ReadBytes(run.logPath).size() + ReadBytes(script).size();
            (void)n;
        });
    std::printf("%d steps, log complete (%zu bytes): runner %.3f ms, reading both files %.3f ms, ratio %.1fx\n", steps,
                static_cast<std::size_t>(fs::file_size(run.logPath)), upToDate * 1e3, rawRead * 1e3, upToDate / rawRead);

    // 2. Every step finds its change in place: the runner against direct calls.
    int round = 0;
    const auto [viaRunner, direct] = SideBySide(
        7,
        [&] {
            run.logPath = (dir / ("fresh" + std::to_string(round++) + ".log")).string();
            if (vortab::RunScript(binding, run, hooks) != -1) std::fprintf(stderr, "unexpected result\n");
        },
        [&] {
            for (const std::string& line : run.lines)
                if (binding.execLine(run.database.c_str(), "PARADOX", line.c_str()) != -1)
                    std::fprintf(stderr, "unexpected status\n");
        });
    std::printf("%d steps already in place: runner %.1f ms, direct calls %.1f ms, ratio %.2fx (%.1f us a step of the runner's own)\n",
                steps, viaRunner * 1e3, direct * 1e3, viaRunner / direct, (viaRunner - direct) / steps * 1e6);
    binding.ReleaseLibrary();
    fs::remove_all(dir);
    return 0;
}
