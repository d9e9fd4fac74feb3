// Command benchmark: IX_ADD (a secondary index on two fields) and VCHK_ADD (a minimum and a
// maximum, which restructures the table) run as script lines through libvortab's exports, as
// an application would call them, on a keyed ten-field table of N/10, N/2 and N records. Each
// command runs in a child process of its own, five times (--runs) on fresh copies, each time
// right after a cp of the same files; the medians are compared. Prints wall times, their ratio
// to cp of the table's files, and the peak memory of each size: it grows until the sorts reach their memory
// budget (8 MB) and then stays flat, so N/2 and N must match.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "editor/runner/library_binding.h"

namespace {

namespace fs = std::filesystem;

struct Command {
    const char* name;  // in RATIO lines (bench/README.md)
    const char* what;
    const char* line;
};
constexpr Command kCommands[] = {
    {"ix_add", "IX_ADD: secondary index on City;Id", "IX_ADD(\"BENCH\", \"ByCity\", \"City;Id\", \"\", IXOPTDEFAULT)"},
    {"vchk_add", "VCHK_ADD: minimum and maximum of Qty",
     "VCHK_ADD(\"BENCH\", \"Qty\", VCHKTRUE, VCHKTRUE, VCHKFALSE, 0, 30000, 0, \"\", FALSE)"},
};
constexpr std::size_t kCommandCount = sizeof kCommands / sizeof kCommands[0];

int RunLine(const fs::path& dir, const char* line) {
    vortab::LibraryBinding library;
    if (library.BindLibrary(VORTAB_LIBRARY_DIR) != 0) return 2;
    const int status = library.execLine(dir.c_str(), "PARADOX", line);
    library.ReleaseLibrary();
    if (status != 0) std::fprintf(stderr, "%s: status %d\n", line, status);
    return status == 0 ? 0 : 1;
}

struct Measure {
    std::uint32_t records = 0;
    std::uint64_t bytes = 0;
    bench::ChildRun cp, commands[kCommandCount];
};

// The median time of runs, with the highest peak memory seen.
bench::ChildRun MedianOf(const std::vector<bench::ChildRun>& runs) {
    std::vector<double> seconds;
    long peak = 0;
    for (const bench::ChildRun& r : runs) {
        seconds.push_back(r.seconds);
        peak = std::max(peak, r.peakKb);
    }
    return {bench::Median(seconds), peak, true};
}

Measure Run(const fs::path& root, std::uint32_t records, const bench::BenchArgs& args) {
    Measure m;
    m.records = records;
    const fs::path src = root / ("table-" + std::to_string(records));
    const fs::path copy = root / ("copy-" + std::to_string(records));
    const fs::path work = root / ("work-" + std::to_string(records));
    fs::create_directories(src);
    if (!bench::InChild([&] { bench::BuildTable(src.string(), records, args.blockKb); return 0; }).ok ||
        !bench::SyncFiles(src).ok) {
        std::fprintf(stderr, "building the table failed\n");
        std::exit(1);
    }
    m.bytes = bench::FamilyBytes(src.string());
    std::vector<bench::ChildRun> cps, commands[kCommandCount];
    for (int run = 0; run < args.runs; ++run) {
        fs::remove_all(copy);
        fs::create_directories(copy);
        cps.push_back(bench::CopyWithCp(src, copy));
        bench::FreshCopy(src, work);
        for (std::size_t i = 0; i < kCommandCount; ++i) {
            commands[i].push_back(bench::InChild([&] { return RunLine(work, kCommands[i].line); }));
            if (!commands[i].back().ok || !cps.back().ok) {
                std::fprintf(stderr, "%s failed\n", kCommands[i].what);
                std::exit(1);
            }
        }
    }
    m.cp = MedianOf(cps);
    for (std::size_t i = 0; i < kCommandCount; ++i) m.commands[i] = MedianOf(commands[i]);
    fs::remove_all(work);
    fs::remove_all(copy);
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    const bench::BenchArgs args = bench::ParseBenchArgs(argc, argv);
    const std::uint32_t records = args.records;
    const char* tmp = std::getenv("TMPDIR");
    const fs::path root = fs::path(tmp && *tmp ? tmp : "/tmp") / ("vortab-bench-commands-" + std::to_string(::getpid()));
    fs::create_directories(root);
    const Measure small = Run(root, std::max<std::uint32_t>(records / 10, 1), args);
    const Measure half = Run(root, std::max<std::uint32_t>(records / 2, 1), args);
    const Measure big = Run(root, records, args);
    std::printf("command benchmark: script lines through libvortab on a keyed ten-field table (medians of %d runs)\n",
                args.runs);
    bench::PrintRunTable("commands", kCommands, std::vector<const Measure*>{&small, &half, &big},
                         [](const Measure& m, std::size_t i) -> const bench::ChildRun& { return m.commands[i]; });
    std::error_code ec;
    fs::remove_all(root, ec);
    return 0;
}
