// Restructure benchmark: builds a ten-field keyed table of N records (default 1,000,000) and of
// N/10 records, then in the same run copies each table's files with cp and changes the table
// five times in a row: one field added (records stream in key order), the key field turned
// from number into text (records are re-sorted), a single-field secondary index added, a
// composite case-insensitive index added (as IX_ADD does) and a validity check added (the
// restructure VCHK_ADD runs). Each step runs in a child process of its own so that the peak
// resident memory belongs to that step alone. The sequence runs five times (--runs) on fresh
// copies, each time right after a cp of the same files, and the medians of each side are
// compared (cp's own time varies by up to 2x on a busy machine). cp's copies are then synced to
// disk, as the engine syncs what it writes: cp plus that fsync is the second baseline, the
// floor for any change that survives a power cut. Prints the wall times, their
// ratio to cp and the peak memory at N/10 and N records (flat: it must not grow with the
// table), and RATIO lines (bench/README.md). --records N and --block-size KB (up to 32, for
// tables up to the format's 2 GB) set the table; --only STEP runs one step (for profiling).
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "paradox/change/index_ops.h"
#include "paradox/change/restructure.h"
#include "paradox/format/check_descriptor.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/table.h"
#include "paradox/table/table_writer.h"
#include "bench_support.h"

namespace {

namespace fs = std::filesystem;

using bench::BuildTable;
using bench::ChildRun;
using bench::CopyWithCp;
using bench::FamilyBytes;
using bench::InChild;

using FieldEdit = std::function<void(std::vector<paradox::FieldDescriptor>&, std::vector<paradox::OperationCode>&)>;

// Restructures BENCH with its field list changed by edit, adding `check` when given.
int Restructure(const std::string& dir, const FieldEdit& edit, paradox::ValidityCheckDescriptor* check = nullptr) {
    try {
        const paradox::Table t = paradox::Table::open(dir, "BENCH");
        std::vector<paradox::FieldDescriptor> fields = t.fieldDescriptors();
        std::vector<paradox::OperationCode> ops(fields.size(), paradox::CRNOOP);
        edit(fields, ops);
        paradox::TableDescriptor d{};
        std::strcpy(d.tableName, "BENCH");
        std::strcpy(d.driverType, "PARADOX");
        d.fieldCount = static_cast<uint16_t>(fields.size());
        d.fields = fields.data();
        d.fieldOps = ops.data();
        paradox::OperationCode addCheck = paradox::CRADD;
        if (check) {
            d.checkCount = 1;
            d.checkOps = &addCheck;
            d.checks = check;
        }
        char keyViol[paradox::kKeyViolNameSize] = {};
        const auto r = paradox::restructureTable(dir, d, keyViol);
        return r.records > 0 && r.setAside == 0 ? 0 : 1;
    } catch (const paradox::EngineError& e) {
        std::fprintf(stderr, "restructure failed: %d %s\n", e.code(), e.what());
        return 1;
    }
}

int AddField(const std::string& dir) {
    return Restructure(dir, [](auto& fields, auto& ops) {
        paradox::FieldDescriptor added{};
        std::strcpy(added.name, "Added");
        added.type = paradox::FLDZSTRING;
        added.units1 = 10;
        fields.push_back(added);
        ops.push_back(paradox::CRADD);
    });
}

// The key field Id (a long integer) becomes text: "10" now sorts before "9", so every record
// moves.
int KeyBecomesText(const std::string& dir) {
    return Restructure(dir, [](auto& fields, auto& ops) {
        fields[0].type = paradox::FLDZSTRING;
        fields[0].subType = 0;
        fields[0].units1 = 12;
        ops[0] = paradox::CRMODIFY;
    });
}

int AddIndexOf(const std::string& dir, const paradox::IndexDescriptor& d) {
    try {
        paradox::AddIndex(dir, "BENCH", d);
        return 0;
    } catch (const paradox::EngineError& e) {
        std::fprintf(stderr, "add index failed: %d %s\n", e.code(), e.what());
        return 1;
    }
}

// A single-field index on City (.X03/.Y03).
int AddCityIndex(const std::string& dir) {
    paradox::IndexDescriptor d{};
    d.keyFieldCount = 1;
    d.keyFields[0] = 3;  // City
    d.maintained = 1;
    return AddIndexOf(dir, d);
}

// A composite, case-insensitive index on Name and Code, as IX_ADD "ByNameCode" "Name,Code" "" CIS adds it.
int AddCompositeIndex(const std::string& dir) {
    paradox::IndexDescriptor d{};
    std::strcpy(d.name, "ByNameCode");
    d.keyFieldCount = 2;
    d.keyFields[0] = 2;  // Name
    d.keyFields[1] = 9;  // Code
    d.caseInsensitive = 1;
    d.maintained = 1;
    return AddIndexOf(dir, d);
}

// Name becomes required: the restructure VCHK_ADD "BENCH" "Name" ... TRUE runs (the fields unchanged).
int AddRequiredCheck(const std::string& dir) {
    paradox::ValidityCheckDescriptor check{};
    check.fieldNumber = 2;
    check.required = 1;
    return Restructure(dir, [](auto&, auto&) {}, &check);
}

struct Step {
    const char* name;  // in RATIO lines
    const char* what;
    int (*run)(const std::string&);
};
constexpr Step kSteps[] = {
    {"add_field", "add one field", AddField},
    {"rekey", "the key becomes text (records re-sorted)", KeyBecomesText},
    {"secondary_index", "add a single-field secondary index", AddCityIndex},
    {"ix_add", "add a composite case-insensitive index (IX_ADD)", AddCompositeIndex},
    {"vchk_add", "add a validity check (VCHK_ADD's restructure)", AddRequiredCheck},
};
constexpr std::size_t kStepCount = sizeof kSteps / sizeof kSteps[0];

struct Measure {
    uint32_t records = 0;
    ChildRun cp, durable, steps[kStepCount];  // median time of the runs; peak memory the highest seen
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
    fs::create_directories(src);
    const ChildRun build = InChild([&] {
        BuildTable(src.string(), records, args.blockKb);
        return 0;
    });
    if (!build.ok) Fail("building the table");
    if (!bench::SyncFiles(src).ok) Fail("fsync of the table");
    m.bytes = FamilyBytes(src.string());
    bench::Samples cp, durable, steps[kStepCount];
    for (int run = 0; run < args.runs; ++run) {
        fs::remove_all(copy);
        fs::create_directories(copy);
        const ChildRun c = CopyWithCp(src, copy);
        if (!c.ok) Fail("cp");
        cp.add(c);
        const ChildRun synced = bench::SyncFiles(copy);
        if (!synced.ok) Fail("fsync of the copies");
        durable.add({c.seconds + synced.seconds, 0, true, c.cpuSeconds + synced.cpuSeconds});
        bench::FreshCopy(src, work);
        for (std::size_t i = 0; i < kStepCount; ++i) {
            if (!args.only.empty() && args.only != kSteps[i].name) continue;
            const ChildRun r = InChild([&] { return kSteps[i].run(work.string()); });
            if (!r.ok) Fail(kSteps[i].what);
            steps[i].add(r);
        }
    }
    m.cp = cp.median();
    m.durable = durable.median();
    for (std::size_t i = 0; i < kStepCount; ++i) m.steps[i] = steps[i].median();
    fs::remove_all(work);
    fs::remove_all(copy);
    fs::remove_all(src);
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    const bench::BenchArgs args = bench::ParseBenchArgs(argc, argv);
    const uint32_t records = args.records;
    const fs::path root = bench::ScratchRoot("restructure");
    const Measure small = Run(root, std::max<uint32_t>(records / 10, 1), args);
    const Measure big = Run(root, records, args);
    std::printf("restructure benchmark: a keyed ten-field table, %u KB blocks (medians of %d interleaved runs)\n",
                args.blockKb, args.runs);
    bench::PrintRunTable("restructure", kSteps, std::vector<const Measure*>{&small, &big},
                         [](const Measure& m, std::size_t i) -> const ChildRun& { return m.steps[i]; });
    std::error_code ec;
    fs::remove_all(root, ec);
    return 0;
}
