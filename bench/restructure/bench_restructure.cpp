// Restructure benchmark: builds a ten-field keyed table of N records once, then in the same run
// copies its files with cp and changes the table three times: one field added (records stream
// in key order), the key field turned from number into text (records are re-sorted), and a
// secondary index added. Each step runs in a child process of its own so that
// the peak resident memory belongs to that step alone. Prints wall times, their ratio to cp
// (goal: within 20x) and the peak memory for N/10 and N records (flat: it must not grow with
// the table).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "paradox/change/index_ops.h"
#include "paradox/change/restructure.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/table.h"
#include "paradox/table/table_writer.h"
#include "bench_support.h"

namespace {

namespace fs = std::filesystem;

using bench::BuildTable;
using bench::ChildRun;
using bench::FamilyBytes;
using bench::InChild;

// Restructures BENCH with its field list changed by edit.
int Restructure(const std::string& dir,
                const std::function<void(std::vector<paradox::FieldDescriptor>&, std::vector<paradox::OperationCode>&)>& edit) {
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

int AddCityIndex(const std::string& dir) {
    try {
        paradox::IndexDescriptor d{};
        std::strcpy(d.name, "ByCity");
        d.keyFieldCount = 2;
        d.keyFields[0] = 3;  // City
        d.keyFields[1] = 1;
        d.maintained = 1;
        paradox::AddIndex(dir, "BENCH", d);
        return 0;
    } catch (const paradox::EngineError& e) {
        std::fprintf(stderr, "add index failed: %d %s\n", e.code(), e.what());
        return 1;
    }
}

struct Step {
    const char* what;
    int (*run)(const std::string&);
};
constexpr Step kSteps[] = {
    {"add one field", AddField},
    {"the key becomes text (records re-sorted)", KeyBecomesText},
    {"add a secondary index", AddCityIndex},
};
constexpr std::size_t kStepCount = sizeof kSteps / sizeof kSteps[0];

struct Measure {
    ChildRun cp, steps[kStepCount];
    uint64_t bytes = 0;
};

Measure Run(const fs::path& root, uint32_t records) {
    Measure m;
    const fs::path src = root / ("table-" + std::to_string(records));
    const fs::path copy = root / ("copy-" + std::to_string(records));
    fs::create_directories(src);
    fs::create_directories(copy);
    const ChildRun build = InChild([&] {
        BuildTable(src.string(), records);
        return 0;
    });
    if (!build.ok) {
        std::fprintf(stderr, "building the table failed\n");
        std::exit(1);
    }
    m.bytes = FamilyBytes(src.string());
    m.cp = bench::CopyWithCp(src, copy);
    for (std::size_t i = 0; i < kStepCount; ++i) {
        m.steps[i] = InChild([&] { return kSteps[i].run(src.string()); });
        if (!m.steps[i].ok) {
            std::fprintf(stderr, "%s failed\n", kSteps[i].what);
            std::exit(1);
        }
    }
    if (!m.cp.ok) {
        std::fprintf(stderr, "cp failed\n");
        std::exit(1);
    }
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    uint32_t records = 1000000;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--records") == 0) records = static_cast<uint32_t>(std::strtoul(argv[i + 1], nullptr, 10));
    const char* tmp = std::getenv("TMPDIR");
    const fs::path root = fs::path(tmp && *tmp ? tmp : "/tmp") / ("vortab-bench-restructure-" + std::to_string(::getpid()));
    fs::create_directories(root);
    const Measure small = Run(root, std::max<uint32_t>(records / 10, 1));
    const Measure big = Run(root, records);
    std::printf("restructure benchmark: a keyed ten-field table\n");
    for (std::size_t i = 0; i < kStepCount; ++i) {
        std::printf("%s\n", kSteps[i].what);
        for (const Measure* m : {&small, &big}) {
            const uint32_t n = m == &small ? std::max<uint32_t>(records / 10, 1) : records;
            const ChildRun& r = m->steps[i];
            std::printf("  %9u records, %7.1f MB: %7.3f s, cp %7.3f s, ratio %6.1fx, peak RSS %ld KB\n", n, m->bytes / 1e6,
                        r.seconds, m->cp.seconds, m->cp.seconds > 0 ? r.seconds / m->cp.seconds : 0.0, r.peakKb);
        }
        std::printf("  memory growth from %u to %u records: %ld KB\n", std::max<uint32_t>(records / 10, 1), records,
                    big.steps[i].peakKb - small.steps[i].peakKb);
    }
    std::error_code ec;
    fs::remove_all(root, ec);
    return 0;
}
