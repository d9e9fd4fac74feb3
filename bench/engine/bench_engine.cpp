// Engine benchmark: in one run, writes and reads N records (default 1,000,000) of a ten-field
// table with our engine and with pxlib, and copies the table's files with cp as the physical
// bound. Prints records per second, the ratios ours/pxlib and ours/cp (as RATIO lines, see
// bench/README.md), and the peak resident memory after our write and after our read (it must
// not grow with the table). Our write, cp, our reads and the CLI's CSV export run five times
// (--runs), interleaved, and the medians are compared (cp's own time varies by up to 2x on a
// busy machine). Two reads: the record reader with every field decoded in place (the rate the
// engine reads at), and the same with every record turned into Value objects (what a generic
// caller pays). --block-size KB (up to 32) gives the table blocks of that size; --keep DIR writes
// the table in DIR and leaves it there, for profiling a reader against it.
// pxlib writes slowly, so it writes a smaller count (default 20,000) and its rate is compared;
// it reads the table our engine wrote, all N records, once.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "bench_table.h"
#include "paradox/format/descriptors.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/table.h"
#include "paradox/table/table_writer.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void CreateBenchTable(const std::string& dir, const std::string& name, unsigned blockKb) {
    std::vector<paradox::FieldDescriptor> fields(bench::kFieldCount);
    for (int i = 0; i < bench::kFieldCount; ++i) {
        const bench::BenchField& b = bench::kFields[i];
        paradox::FieldDescriptor& f = fields[static_cast<std::size_t>(i)];
        f.fieldNumber = static_cast<uint16_t>(i + 1);
        std::snprintf(f.name, sizeof f.name, "%s", b.name);
        switch (b.pxType) {
        case 0x01: f.type = paradox::FLDZSTRING; f.units1 = static_cast<int16_t>(b.size); break;
        case 0x02: f.type = paradox::FLDDATE; break;
        case 0x03: f.type = paradox::FLDINT16; break;
        case 0x04: f.type = paradox::FLDINT32; break;
        case 0x05: f.type = paradox::FLDFLOAT; f.subType = paradox::FLDSTMONEY; break;
        case 0x06: f.type = paradox::FLDFLOAT; break;
        case 0x09: f.type = paradox::FLDBOOL; break;
        }
    }
    paradox::TableDescriptor desc{};
    std::snprintf(desc.tableName, sizeof desc.tableName, "%s", name.c_str());
    std::snprintf(desc.driverType, sizeof desc.driverType, "PARADOX");
    desc.fieldCount = bench::kFieldCount;
    desc.fields = fields.data();
    // A block size other than the default needs level 7 (blocks above 4 KB).
    const std::string blockBytes = std::to_string(blockKb * 1024);
    std::vector<paradox::OptionalParameter> opts(2);
    std::vector<char> optData;
    const std::pair<const char*, std::string> given[] = {{"LEVEL", "7"}, {"BLOCK SIZE", blockBytes}};
    for (std::size_t i = 0; i < 2; ++i) {
        std::snprintf(opts[i].name, sizeof opts[i].name, "%s", given[i].first);
        opts[i].offset = static_cast<uint16_t>(optData.size());
        opts[i].length = static_cast<uint16_t>(given[i].second.size() + 1);
        optData.insert(optData.end(), given[i].second.begin(), given[i].second.end());
        optData.push_back('\0');
    }
    if (blockKb != 0) {
        desc.optionCount = 2;
        desc.options = opts.data();
        desc.optionData = optData.data();
    }
    paradox::CreateOptions options;
    options.overwrite = true;
    paradox::createTable(dir, desc, options);
}

void OursWrite(const std::string& dir, const std::string& name, long count, unsigned blockKb) {
    CreateBenchTable(dir, name, blockKb);
    paradox::TableWriter writer = paradox::TableWriter::open(dir, name);
    std::vector<paradox::Value> values(bench::kFieldCount);
    for (long n = 0; n < count; ++n) {
        const bench::BenchRecord r = bench::RecordNumber(static_cast<int32_t>(n));
        values[0] = paradox::Value::integer(r.id);
        values[1] = paradox::Value::text(r.name);
        values[2] = paradox::Value::integer(r.small);
        values[3] = paradox::Value::number(r.amount);
        values[4] = paradox::Value::number(r.price);
        values[5] = paradox::Value::date(r.day);
        values[6] = paradox::Value::boolean(r.flag);
        values[7] = paradox::Value::text(r.code);
        values[8] = paradox::Value::integer(r.count);
        values[9] = paradox::Value::text(r.note);
        writer.insert(values);
    }
    writer.commit();
}

// Every record through the record reader, each field decoded where it lies (numbers to numbers,
// texts as views of the record): no value is copied out.
long OursReadInPlace(const std::string& dir, const std::string& name) {
    const paradox::Table table = paradox::Table::open(dir, name);
    const auto& fields = table.schema().fields;
    paradox::RecordReader reader = table.records();
    long read = 0;
    volatile double sink = 0;
    while (reader.next()) {
        const paradox::RecordView& r = reader.record();
        double sum = 0;
        for (int i = 0; i < static_cast<int>(fields.size()); ++i) {
            switch (fields[static_cast<std::size_t>(i)].type) {
            case paradox::PxType::Alpha: sum += static_cast<double>(r.getText(i).size()); break;
            case paradox::PxType::Number: case paradox::PxType::Money: sum += r.getDouble(i); break;
            default: sum += static_cast<double>(r.getInt(i)); break;
            }
        }
        sink = sink + sum;
        ++read;
    }
    return read;
}

// Every record as Value objects, as a generic caller reads them.
long OursReadValues(const std::string& dir, const std::string& name) {
    const paradox::Table table = paradox::Table::open(dir, name);
    paradox::RecordReader reader = table.records();
    long read = 0;
    volatile long sink = 0;
    while (reader.next()) {
        for (const paradox::Value& v : reader.values()) sink = sink + static_cast<long>(v.asInt()) + static_cast<long>(v.asString().size());
        ++read;
    }
    return read;
}

// Runs a program (a fresh process, stdout to `out` when given); its wall time, -1 when it failed.
double TimeProgram(std::vector<std::string> args, const char* out = nullptr) {
    std::fflush(stdout);  // the child must not print what this process has buffered
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (out) {
            FILE* f = std::freopen(out, "w", stdout);
            if (!f) _exit(126);
        }
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double seconds = Seconds(start);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

// Copies the files with cp (a fresh process), as the bound for moving these bytes at all.
double TimeCp(const std::vector<std::string>& files, const std::string& to) {
    std::vector<std::string> args{"cp"};
    args.insert(args.end(), files.begin(), files.end());
    args.push_back(to);
    return TimeProgram(args);
}

constexpr long kPxlibReadLimit = 2000000;

void Row(const char* what, long records, double seconds, const char* note = "") {
    std::printf("  %-28s %10ld %10.3f %14.0f  %s\n", what, records, seconds, records / seconds, note);
}

}  // namespace

int main(int argc, char** argv) {
    const bench::BenchArgs args = bench::ParseBenchArgs(argc, argv, 0);
    const long records = args.records;
    long pxlibRecords = 20000;
    std::string base = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
    std::string keep;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--pxlib-records") == 0) pxlibRecords = std::atol(argv[i + 1]);
        else if (std::strcmp(argv[i], "--dir") == 0) base = argv[i + 1];
        else if (std::strcmp(argv[i], "--keep") == 0) keep = argv[i + 1];
    }
    const fs::path dir = keep.empty() ? fs::path(base) / ("vortab-bench-" + std::to_string(getpid())) : fs::path(keep);
    fs::create_directories(dir / "ours");
    fs::create_directories(dir / "pxlib");
    fs::create_directories(dir / "copy");
    try {
        std::printf("engine benchmark: %ld records of %d fields, %s blocks (pxlib writes %ld; medians of %d runs)\n", records,
                    bench::kFieldCount, args.blockKb ? (std::to_string(args.blockKb) + " KB").c_str() : "default",
                    pxlibRecords, args.runs);
        std::printf("  %-28s %10s %10s %14s\n", "", "records", "seconds", "records/s");
        const long rssStart = PeakRssKb();

        const std::string cli = VORTAB_CLI_PATH;
        const bool withExport = args.only.empty() || args.only == "export";
        std::vector<double> writes, cps, readsInPlace, readsValues, exports;
        long oursRead = 0;
        std::uintmax_t bytes = 0;
        long rssAfterWrite = 0;
        for (int run = 0; run < args.runs; ++run) {
            if (run == 0 || args.only.empty() || args.only == "write") {
                const auto start = Clock::now();
                OursWrite((dir / "ours").string(), "BENCH", records, args.blockKb);
                writes.push_back(Seconds(start));
                rssAfterWrite = PeakRssKb();
            }
            std::vector<std::string> files;
            bytes = 0;
            for (const auto& e : fs::directory_iterator(dir / "ours")) {
                files.push_back(e.path().string());
                bytes += fs::file_size(e.path());
            }
            // cp starts from a clean state each run: an empty target, nothing of the write still
            // on its way to the disk.
            fs::remove_all(dir / "copy");
            fs::create_directories(dir / "copy");
            if (!bench::SyncFiles(dir / "ours").ok) throw paradox::EngineError(paradox::err::kWriteErr, "fsync failed");
            const double t = TimeCp(files, (dir / "copy").string());
            if (t < 0) throw paradox::EngineError(paradox::err::kWriteErr, "cp failed");
            cps.push_back(t);
            if (args.only.empty() || args.only == "read") {
                auto start = Clock::now();
                oursRead = OursReadInPlace((dir / "ours").string(), "BENCH");
                readsInPlace.push_back(Seconds(start));
                start = Clock::now();
                if (OursReadValues((dir / "ours").string(), "BENCH") != oursRead)
                    throw paradox::EngineError(paradox::err::kReadErr, "the two reads differ");
                readsValues.push_back(Seconds(start));
            }
            if (withExport) {
                const double e = TimeProgram({cli, "export", (dir / "ours").string(), "BENCH"}, "/dev/null");
                if (e < 0) throw paradox::EngineError(paradox::err::kReadErr, "vortab export failed");
                exports.push_back(e);
            }
        }
        const long rssAfterRead = PeakRssKb();
        const double oursWrite = bench::Median(writes), cpTime = bench::Median(cps);
        const double readInPlace = bench::Median(readsInPlace), readValues = bench::Median(readsValues);
        const double exportTime = bench::Median(exports);
        Row("ours: write", records, oursWrite);
        if (!readsInPlace.empty()) {
            Row("ours: read, fields in place", oursRead, readInPlace);
            Row("ours: read, Value objects", oursRead, readValues);
        }
        if (!exports.empty()) Row("vortab export (CSV)", records, exportTime);

        long pxWritten = -1, pxRead = -1;
        double pxWrite = 0, pxReadTime = 0;
        if (args.only.empty()) {
            const std::string pxPath = (dir / "pxlib" / "BENCH.DB").string();
            auto start = Clock::now();
            pxWritten = bench::PxlibWrite(pxPath, pxlibRecords);
            pxWrite = Seconds(start);
            if (pxWritten < 0) std::printf("  pxlib could not write its table\n");
            else Row("pxlib: write", pxWritten, pxWrite, "(smaller count: pxlib writes slowly)");

            // pxlib's read time grows with the square of the table (it walks the block list for
            // every record): beyond a few million records it would run for hours.
            if (records <= kPxlibReadLimit) {
                const std::string oursPath = (dir / "ours" / "BENCH.DB").string();
                start = Clock::now();
                pxRead = bench::PxlibRead(oursPath);
                pxReadTime = Seconds(start);
                if (pxRead != records) std::printf("  pxlib read %ld of %ld records of our table\n", pxRead, records);
                else Row("pxlib: read (our table)", pxRead, pxReadTime, "(by record number; slows as tables grow)");
            } else {
                std::printf("  pxlib: read skipped above %ld records (its time grows with the square of the table)\n",
                            kPxlibReadLimit);
            }
        }
        Row("cp of the table's files", records, cpTime);
        std::printf("  (table files: %.1f MB)\n\n", bytes / 1e6);

        const double oursWriteRate = records / oursWrite, oursReadRate = oursRead / readInPlace;
        const double cpRate = records / cpTime;
        std::printf("peak RSS: %.1f MB at start, %.1f MB after our write, %.1f MB after our reads\n\n", rssStart / 1024.0,
                    rssAfterWrite / 1024.0, rssAfterRead / 1024.0);
        if (pxWritten > 0)
            std::printf("RATIO engine.write.pxlib %.1f times pxlib's records/s writing (%ld against %ld records)\n",
                        oursWriteRate / (pxWritten / pxWrite), records, pxWritten);
        if (pxRead == records)
            std::printf("RATIO engine.read.pxlib %.1f times pxlib's records/s reading the same %ld records\n",
                        oursReadRate / (pxRead / pxReadTime), records);
        std::printf("RATIO engine.write.cp %.3f times the records/s of cp copying the written files (%.1f MB)\n",
                    oursWriteRate / cpRate, bytes / 1e6);
        if (!readsInPlace.empty()) {
            std::printf("RATIO engine.read.cp %.3f times the byte rate of cp copying the same files (fields decoded in place)\n",
                        oursReadRate / cpRate);
            std::printf("RATIO engine.read_values.cp %.3f times the byte rate of cp copying the same files (records as Value objects)\n",
                        (oursRead / readValues) / cpRate);
        }
        if (!exports.empty())
            std::printf("RATIO engine.export.cp %.3f times the byte rate of cp copying the same files (vortab export, CSV)\n",
                        cpTime / exportTime);
        std::printf("RATIO engine.memory %.2f peak RSS after our reads over peak RSS at start (%.1f MB, %.1f MB)\n",
                    double(rssAfterRead) / double(rssStart), rssAfterRead / 1024.0, rssStart / 1024.0);
    } catch (const paradox::EngineError& e) {
        std::fprintf(stderr, "bench_engine: %d %s\n", e.code(), e.what());
        fs::remove_all(dir);
        return 1;
    }
    if (keep.empty()) fs::remove_all(dir);
    else std::printf("table kept in %s\n", (dir / "ours").c_str());
    return 0;
}
