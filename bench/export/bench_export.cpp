// Export benchmark: the keyed ten-field table of N records (default 1,000,000) exported to a
// SQLite database by vortab, against the sqlite3 shell importing our CSV export of the same
// table (.import into a table declared with the same column types: it parses text where we know
// the types). Five interleaved runs of each (--runs); the ratio of their medians is printed, and
// the export's peak memory at N over that at N/10 (flat: 1.0). --records N and --block-size KB
// (up to 32) set the table.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

namespace fs = std::filesystem;

// The same column types as the export gives BENCH (see the README's type mapping).
constexpr const char* kImportSchema =
    "CREATE TABLE \"BENCH\" (\"Id\" INTEGER, \"Name\" TEXT, \"City\" TEXT, \"Amount\" REAL, "
    "\"Qty\" INTEGER, "
    "\"Price\" REAL, \"Day\" TEXT, \"Flag\" INTEGER, \"Code\" TEXT, \"Note\" TEXT, PRIMARY KEY "
    "(\"Id\"))";

bench::ChildRun Exec(std::vector<std::string> args, const std::string& output = {}) {
    return bench::InChild([&] {
        if (!output.empty()) {
            std::FILE* out = std::freopen(output.c_str(), "wb", stdout);
            if (!out) return 126;
        }
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        return 127;
    });
}

bench::ChildRun ExportToSqlite(const fs::path& dir, const fs::path& file) {
    fs::remove(file);
    return Exec({VORTAB_TOOL, "export", dir.string(), "--format", "sqlite", "-o", file.string()});
}

bench::ChildRun ImportCsv(const fs::path& csv, const fs::path& file) {
    fs::remove(file);
    return Exec({"sqlite3", file.string(), "-cmd", kImportSchema, ".import --csv --skip 1 " + csv.string() + " BENCH"});
}

}  // namespace

int main(int argc, char** argv) {
    const bench::BenchArgs args = bench::ParseBenchArgs(argc, argv);
    const uint32_t records = args.records;
    const fs::path root = bench::ScratchRoot("export");
    const fs::path big = root / "big", small = root / "small";
    fs::create_directories(big);
    fs::create_directories(small);
    bench::BuildTable(big.string(), records, args.blockKb);
    bench::BuildTable(small.string(), std::max<uint32_t>(records / 10, 1), args.blockKb);
    const fs::path csv = root / "bench.csv";
    if (!Exec({VORTAB_TOOL, "export", big.string(), "BENCH"}, csv.string()).ok) {
        std::fprintf(stderr, "the CSV export failed\n");
        return 1;
    }

    std::vector<double> ours, theirs;
    long peakKb = 0;
    for (int run = 0; run < args.runs; ++run) {
        const bench::ChildRun a = ExportToSqlite(big, root / "ours.sqlite");
        const bench::ChildRun b = ImportCsv(csv, root / "theirs.sqlite");
        if (!a.ok || !b.ok) {
            std::fprintf(stderr, "run %d failed (export %d, import %d)\n", run, a.ok, b.ok);
            return 1;
        }
        std::printf("run %d: export %.3f s (peak %ld KB), .import %.3f s\n", run, a.seconds, a.peakKb, b.seconds);
        ours.push_back(a.seconds);
        theirs.push_back(b.seconds);
        peakKb = std::max(peakKb, a.peakKb);
    }
    const bench::ChildRun tenth = ExportToSqlite(small, root / "small.sqlite");
    const double ratio = bench::Median(ours) / bench::Median(theirs);
    std::printf(
        "\nRATIO export.sqlite %.2f times the median wall time of sqlite3's .import of our CSV "
        "export "
        "(%u records, %.2f s against %.2f s, medians of %d interleaved runs)\n",
        ratio, static_cast<unsigned>(records), bench::Median(ours), bench::Median(theirs), args.runs);
    std::printf(
        "RATIO export.sqlite.memory %.2f peak RSS at 100 %% of the records over 10 %% (%.1f MB, "
        "%.1f MB)\n",
        double(peakKb) / double(std::max(tenth.peakKb, 1L)), peakKb / 1024.0, tenth.peakKb / 1024.0);
    std::error_code ec;
    fs::remove_all(root, ec);
    return 0;
}
