// What the benchmarks that time a change of a big table share: the keyed ten-field table of N
// records they change, a step run in a child process of its own (so that the peak resident
// memory belongs to that step alone), and cp of the same files as the baseline.
#pragma once
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "paradox/format/descriptor_builder.h"
#include "paradox/table/table_writer.h"

namespace bench {

// A new scratch directory for this run: $TMPDIR (else /tmp)/vortab-bench-NAME-PID.
inline std::filesystem::path ScratchRoot(const std::string& name) {
    const char* tmp = std::getenv("TMPDIR");
    const std::filesystem::path root =
        std::filesystem::path(tmp && *tmp ? tmp : "/tmp") / ("vortab-bench-" + name + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root);
    return root;
}

struct ChildRun {
    double seconds = 0;
    long peakKb = 0;
    bool ok = false;
    double cpuSeconds = 0;  // user and system time: far below `seconds`, the step waited (for the disk)
};

// Runs fn in a child process; its wall time and peak resident memory.
inline ChildRun InChild(const std::function<int()>& fn) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(fn());
    int status = 0;
    rusage usage{};
    ChildRun r;
    if (pid > 0 && ::wait4(pid, &status, 0, &usage) == pid) {
        r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        r.peakKb = usage.ru_maxrss;
        r.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return r;
}

// BENCH: Id (key), Name, City, Amount, Qty, Price, Day, Flag, Code, Note; blocks of blockKb KB
// (32 KB blocks hold about 2 GB, the most a level-7 table holds).
inline void BuildTable(const std::string& dir, std::uint32_t records, unsigned blockKb = 4) {
    paradox::DescriptorBuilder b("BENCH");
    b.field("Id", paradox::FLDINT32)
        .field("Name", paradox::FLDZSTRING, 0, 20)
        .field("City", paradox::FLDZSTRING, 0, 15)
        .field("Amount", paradox::FLDFLOAT, paradox::FLDSTMONEY)
        .field("Qty", paradox::FLDINT16)
        .field("Price", paradox::FLDFLOAT)
        .field("Day", paradox::FLDDATE)
        .field("Flag", paradox::FLDBOOL)
        .field("Code", paradox::FLDZSTRING, 0, 8)
        .field("Note", paradox::FLDZSTRING, 0, 30)
        .option("LEVEL", "7")
        .option("BLOCK SIZE", std::to_string(blockKb * 1024));
    paradox::createTable(dir, b.descriptor(), {1, false});
    paradox::TableWriter w = paradox::TableWriter::open(dir, "BENCH");
    for (std::uint32_t i = 1; i <= records; ++i)
        w.insert({paradox::Value::integer(i), paradox::Value::text("name " + std::to_string(i)),
                  paradox::Value::text("city " + std::to_string(i % 997)), paradox::Value::number(i * 0.25),
                  paradox::Value::integer(i % 30000), paradox::Value::number(i / 7.0),
                  paradox::Value::date(730000 + static_cast<int32_t>(i % 20000)), paradox::Value::boolean(i % 2),
                  paradox::Value::text("C" + std::to_string(i % 100000)), paradox::Value::text("note for record " + std::to_string(i))});
    w.commit();
}

inline std::uint64_t FamilyBytes(const std::string& dir) {
    std::uint64_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) n += e.file_size();
    return n;
}

// cp of every file of src into copy, in a child process.
inline ChildRun CopyWithCp(const std::filesystem::path& src, const std::filesystem::path& copy) {
    return InChild([&] {
        std::vector<std::string> args = {"cp"};
        for (const auto& e : std::filesystem::directory_iterator(src)) args.push_back(e.path().string());
        args.push_back(copy.string());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execvp("cp", argv.data());
        return 127;
    });
}

// fsync of every file in dir and of dir itself, in a child process. After cp, the rest of what a
// copy costs that survives a power cut: the engine syncs what it writes before it swaps files in,
// so on a table bigger than the disk's cache its time includes the disk's own write speed.
inline ChildRun SyncFiles(const std::filesystem::path& dir) {
    return InChild([&] {
        int failed = 0;
        const auto sync = [&](const std::filesystem::path& p, int flags) {
            const int fd = ::open(p.c_str(), flags | O_CLOEXEC);
            if (fd < 0 || ::fsync(fd) != 0) failed = 1;
            if (fd >= 0) ::close(fd);
        };
        for (const auto& e : std::filesystem::directory_iterator(dir)) sync(e.path(), O_RDONLY);
        sync(dir, O_RDONLY | O_DIRECTORY);
        return failed;
    });
}

// work becomes a copy of src, synced to disk: the step timed next must not start behind a
// copy's writes still on their way to the disk (on a table of gigabytes they slow it severalfold).
inline void FreshCopy(const std::filesystem::path& src, const std::filesystem::path& work) {
    std::filesystem::remove_all(work);
    std::filesystem::copy(src, work);
    if (!SyncFiles(work).ok) {
        std::fprintf(stderr, "fsync of %s failed\n", work.c_str());
        std::exit(1);
    }
}

// The middle of the samples (the mean of the two middle ones for an even count); 0 when none.
inline double Median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const std::size_t m = samples.size() / 2;
    return samples.size() % 2 ? samples[m] : (samples[m - 1] + samples[m]) / 2;
}

// The interleaved runs of one side of a comparison: their median time and the highest peak
// memory any of them reached.
struct Samples {
    std::vector<double> seconds, cpuSeconds;
    long peakKb = 0;

    void add(const ChildRun& r) {
        seconds.push_back(r.seconds);
        cpuSeconds.push_back(r.cpuSeconds);
        peakKb = std::max(peakKb, r.peakKb);
    }
    ChildRun median() const { return {Median(seconds), peakKb, true, Median(cpuSeconds)}; }
};

// What a benchmark of a big table is told on its command line (or, for the first two, by
// VORTAB_BENCH_RECORDS and VORTAB_BENCH_BLOCK_KB): the table's records, its block size in KB
// (1 to 32), how many interleaved runs of each side it takes the median of, and optionally
// the one operation to run (for profiling).
struct BenchArgs {
    std::uint32_t records = 1000000;
    unsigned blockKb = 4;
    int runs = 5;
    std::string only;
};

// defaultBlockKb: the benchmark's own block size (0: the engine's default for a new table).
inline BenchArgs ParseBenchArgs(int argc, char** argv, unsigned defaultBlockKb = 4) {
    BenchArgs a;
    a.blockKb = defaultBlockKb;
    if (const char* env = std::getenv("VORTAB_BENCH_RECORDS"); env && *env) a.records = std::strtoul(env, nullptr, 10);
    if (const char* env = std::getenv("VORTAB_BENCH_BLOCK_KB"); env && *env) a.blockKb = std::strtoul(env, nullptr, 10);
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string opt = argv[i];
        if (opt == "--records") a.records = std::strtoul(argv[i + 1], nullptr, 10);
        else if (opt == "--block-size") a.blockKb = std::strtoul(argv[i + 1], nullptr, 10);
        else if (opt == "--runs") a.runs = std::max(1, std::atoi(argv[i + 1]));
        else if (opt == "--only") a.only = argv[i + 1];
    }
    if (a.blockKb > 32 || (a.blockKb == 0 && defaultBlockKb != 0)) {
        std::fprintf(stderr, "block size %u KB: 1 to 32\n", a.blockKb);
        std::exit(2);
    }
    return a;
}

// Prints each operation's time and peak memory at every table size (smallest first) against
// cp of the same files, then its RATIO lines (bench/README.md) for the largest size: the time
// over cp's, and the peak memory over that at the smallest size. `runOf(size, i)` is the run of
// operation i at that size; each size has records, bytes and cp, and may have `durable` (cp and
// then fsync of the copies): then a `.durable` line gives the time over that too.
template <typename Operation, std::size_t N, typename Size, typename RunOf>
void PrintRunTable(const char* family, const Operation (&operations)[N], const std::vector<const Size*>& sizes,
                   RunOf runOf) {
    const Size& small = *sizes.front();
    const Size& big = *sizes.back();
    const Size& before = *sizes[sizes.size() - 2];
    const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    // An operation left out (--only) has no runs.
    const auto ran = [&](std::size_t i) { return runOf(big, i).seconds > 0; };
    for (std::size_t i = 0; i < N; ++i) {
        if (!ran(i)) continue;
        std::printf("%s\n", operations[i].what);
        for (const Size* m : sizes) {
            const ChildRun& r = runOf(*m, i);
            std::printf("  %9u records, %7.1f MB: %7.3f s (cpu %7.3f s), cp %7.3f s, ratio %6.1fx, peak RSS %ld KB\n",
                        static_cast<unsigned>(m->records), m->bytes / 1e6, r.seconds, r.cpuSeconds, m->cp.seconds,
                        ratio(r.seconds, m->cp.seconds), r.peakKb);
            if constexpr (requires { m->durable; })
                std::printf("  %9s cp and fsync %7.3f s, ratio %6.1fx\n", "", m->durable.seconds,
                            ratio(r.seconds, m->durable.seconds));
        }
        std::printf("  memory growth from %u to %u records: %ld KB\n", static_cast<unsigned>(before.records),
                    static_cast<unsigned>(big.records), runOf(big, i).peakKb - runOf(before, i).peakKb);
    }
    std::printf("\n");
    for (std::size_t i = 0; i < N; ++i) {
        if (!ran(i)) continue;
        const ChildRun& r = runOf(big, i);
        const long smallKb = runOf(small, i).peakKb;
        std::printf("RATIO %s.%s %.2f times cp's wall time for the table's files (%u records, %.1f MB)\n", family,
                    operations[i].name, ratio(r.seconds, big.cp.seconds), static_cast<unsigned>(big.records),
                    big.bytes / 1e6);
        if constexpr (requires { big.durable; })
            std::printf("RATIO %s.%s.durable %.2f times the wall time of cp and fsync of the copies (%.3f s against %.3f s)\n",
                        family, operations[i].name, ratio(r.seconds, big.durable.seconds), r.seconds, big.durable.seconds);
        std::printf("RATIO %s.%s.memory %.2f peak RSS at 100 %% of the records over 10 %% (%.1f MB, %.1f MB)\n", family,
                    operations[i].name, double(r.peakKb) / double(std::max(smallKb, 1L)), r.peakKb / 1024.0,
                    smallKb / 1024.0);
    }
}

}  // namespace bench
