// Verify and repair benchmark: builds a keyed table of N records (default 1,000,000) and of N/10
// with a memo field (a quarter of the values in the .MB), a single-field and a composite
// secondary index. Then five times (--runs) on fresh copies, interleaved: cp of its files,
// verify of the table, repair of a copy whose record count was damaged (every file rebuilt), and
// a re-key of another copy (the key turned from number into text, records re-sorted); the
// medians of each side are compared. Each step runs in a child process so that its peak memory
// is its own. Prints the times against cp, the peak memory at N/10 and N records, and RATIO
// lines: verify over cp (the target: at most 2), repair over the re-key (the target: at most 1),
// memory at 100 % over 10 %. --records N and --block-size KB (up to 32) set the table.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "paradox/change/index_ops.h"
#include "paradox/change/restructure.h"
#include "paradox/storage/engine_error.h"
#include "paradox/verify/repair.h"
#include "paradox/verify/verify_tables.h"

namespace {

namespace fs = std::filesystem;
using bench::ChildRun;
using bench::InChild;

void BuildTable(const std::string& dir, uint32_t records, unsigned blockKb) {
    paradox::DescriptorBuilder b("BENCH");
    b.field("Id", paradox::FLDINT32)
        .field("Name", paradox::FLDZSTRING, 0, 20)
        .field("City", paradox::FLDZSTRING, 0, 15)
        .field("Amount", paradox::FLDFLOAT, paradox::FLDSTMONEY)
        .field("Day", paradox::FLDDATE)
        .field("Code", paradox::FLDZSTRING, 0, 8)
        .field("Memo", paradox::FLDBLOB, paradox::FLDSTMEMO, 10)
        .option("LEVEL", "7")
        .option("BLOCK SIZE", std::to_string(blockKb * 1024));
    paradox::createTable(dir, b.descriptor(), {1, false});
    paradox::TableWriter w = paradox::TableWriter::open(dir, "BENCH");
    for (uint32_t i = 1; i <= records; ++i)
        w.insert({paradox::Value::integer(i), paradox::Value::text("name " + std::to_string(i)),
                  paradox::Value::text("city " + std::to_string(i % 997)), paradox::Value::number(i * 0.25),
                  paradox::Value::date(730000 + static_cast<int32_t>(i % 20000)),
                  paradox::Value::text("C" + std::to_string(i % 100000)),
                  paradox::Value::text(i % 4 == 0 ? "a memo long enough for the blob file, record " + std::to_string(i)
                                                  : "m" + std::to_string(i % 1000))});
    w.commit();
    paradox::IndexDescriptor city{};
    city.keyFieldCount = 1;
    city.keyFields[0] = 3;
    city.maintained = 1;
    paradox::AddIndex(dir, "BENCH", city);
    paradox::IndexDescriptor nameCode{};
    std::strcpy(nameCode.name, "ByNameCode");
    nameCode.keyFieldCount = 2;
    nameCode.keyFields[0] = 2;
    nameCode.keyFields[1] = 6;
    nameCode.caseInsensitive = 1;
    nameCode.maintained = 1;
    paradox::AddIndex(dir, "BENCH", nameCode);
}

int Verify(const std::string& dir) {
    const auto findings = paradox::verify::VerifyTables(dir, {"BENCH"}, {});
    for (const auto& f : findings) std::fprintf(stderr, "verify: %s: %s\n", f.file.c_str(), f.text.c_str());
    return paradox::verify::AnyError(findings) ? 1 : 0;
}

// The header's record count one too high: verify flags it and repair rebuilds every file.
void DamageCount(const std::string& dir) {
    std::fstream f(fs::path(dir) / "BENCH.DB", std::ios::in | std::ios::out | std::ios::binary);
    unsigned char b[4];
    f.seekg(6);
    f.read(reinterpret_cast<char*>(b), 4);
    uint32_t n = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    ++n;
    for (int i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>(n >> (8 * i));
    f.seekp(6);
    f.write(reinterpret_cast<const char*>(b), 4);
}

int Repair(const std::string& dir, const std::string& backup) {
    try {
        paradox::verify::RepairOptions o;
        o.backupDir = backup;
        return paradox::verify::RepairTable(dir, "BENCH", o).repaired ? 0 : 1;
    } catch (const paradox::EngineError& e) {
        std::fprintf(stderr, "repair failed: %d %s\n", e.code(), e.what());
        return 1;
    }
}

// The key field Id becomes text, so every record moves: the re-key a repair is measured against.
int Rekey(const std::string& dir) {
    try {
        const paradox::Table t = paradox::Table::open(dir, "BENCH");
        std::vector<paradox::FieldDescriptor> fields = t.fieldDescriptors();
        std::vector<paradox::OperationCode> ops(fields.size(), paradox::CRNOOP);
        fields[0].type = paradox::FLDZSTRING;
        fields[0].subType = 0;
        fields[0].units1 = 12;
        ops[0] = paradox::CRMODIFY;
        paradox::TableDescriptor d{};
        std::strcpy(d.tableName, "BENCH");
        std::strcpy(d.driverType, "PARADOX");
        d.fieldCount = static_cast<uint16_t>(fields.size());
        d.fields = fields.data();
        d.fieldOps = ops.data();
        char keyViol[paradox::kKeyViolNameSize] = {};
        return paradox::restructureTable(dir, d, keyViol).records > 0 ? 0 : 1;
    } catch (const paradox::EngineError& e) {
        std::fprintf(stderr, "re-key failed: %d %s\n", e.code(), e.what());
        return 1;
    }
}

struct Step {
    const char* name;
    const char* what;
};
constexpr Step kSteps[] = {{"verify", "verify the table"},
                           {"repair", "repair a copy with a damaged record count"},
                           {"rekey", "re-key a copy (the key becomes text)"}};
constexpr std::size_t kStepCount = sizeof kSteps / sizeof kSteps[0];

struct Measure {
    uint32_t records = 0;
    ChildRun cp, steps[kStepCount];
    uint64_t bytes = 0;
};

void Fail(const char* what) {
    std::fprintf(stderr, "%s failed\n", what);
    std::exit(1);
}

Measure Run(const fs::path& root, uint32_t records, const bench::BenchArgs& args) {
    Measure m;
    m.records = records;
    const fs::path src = root / ("table-" + std::to_string(records));
    const fs::path work = root / ("work-" + std::to_string(records));
    const fs::path copy = root / ("copy-" + std::to_string(records));
    const fs::path backup = root / ("backup-" + std::to_string(records));
    fs::create_directories(src);
    if (!InChild([&] { return BuildTable(src.string(), records, args.blockKb), 0; }).ok) Fail("building the table");
    if (!bench::SyncFiles(src).ok) Fail("fsync of the table");
    m.bytes = bench::FamilyBytes(src.string());
    bench::Samples cps, steps[kStepCount];
    for (int run = 0; run < args.runs; ++run) {
        fs::remove_all(copy);
        fs::create_directories(copy);
        const ChildRun cp = bench::CopyWithCp(src, copy);
        if (!cp.ok) Fail("cp");
        cps.add(cp);
        const ChildRun verify = InChild([&] { return Verify(src.string()); });
        if (!verify.ok) Fail("verify");
        steps[0].add(verify);
        bench::FreshCopy(src, work);
        DamageCount(work.string());
        fs::remove_all(backup);
        const ChildRun repair = InChild([&] { return Repair(work.string(), backup.string()); });
        if (!repair.ok) Fail("repair");
        steps[1].add(repair);
        bench::FreshCopy(src, work);
        const ChildRun rekey = InChild([&] { return Rekey(work.string()); });
        if (!rekey.ok) Fail("re-key");
        steps[2].add(rekey);
    }
    m.cp = cps.median();
    for (std::size_t i = 0; i < kStepCount; ++i) m.steps[i] = steps[i].median();
    for (const fs::path& p : {src, work, copy, backup}) fs::remove_all(p);
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    const bench::BenchArgs args = bench::ParseBenchArgs(argc, argv);
    const uint32_t records = args.records;
    // --build DIR: only build the table in DIR (for profiling verify and repair on their own).
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--build") == 0) return BuildTable(argv[i + 1], records, args.blockKb), 0;
    const fs::path root = bench::ScratchRoot("verify");
    const Measure small = Run(root, std::max<uint32_t>(records / 10, 1), args);
    const Measure big = Run(root, records, args);
    std::printf("verify benchmark: a keyed table with a memo field and two secondary indexes, %u KB blocks "
                "(medians of %d interleaved runs)\n",
                args.blockKb, args.runs);
    bench::PrintRunTable("verify", kSteps, std::vector<const Measure*>{&small, &big},
                         [](const Measure& m, std::size_t i) -> const ChildRun& { return m.steps[i]; });
    std::printf("RATIO verify.repair_vs_rekey %.2f times the wall time of a re-key of the same table (%u records)\n",
                big.steps[2].seconds > 0 ? big.steps[1].seconds / big.steps[2].seconds : 0.0, unsigned(big.records));
    std::error_code ec;
    fs::remove_all(root, ec);
    return 0;
}
