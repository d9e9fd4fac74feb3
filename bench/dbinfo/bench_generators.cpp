// Generator benchmark: builds a database of N tables (default 500; each with 10 fields, a
// primary and a secondary index, a validity check and a link to the table before it) and a
// second one in which every fifth table has one field more and no check. In one run it times:
// opening every table (its header alone), loading the model (headers, index files and .VAL),
// the dump (load and script) and the diff of the two databases (two loads and script). Prints
// the times and the ratios to the header reads: the generators' cost beside the engine's.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "editor/dbinfo/create_script.h"
#include "editor/dbinfo/diff_script.h"
#include "editor/runner/library_binding.h"
#include "paradox/change/index_ops.h"
#include "paradox/change/link_ops.h"
#include "paradox/change/restructure.h"
#include "paradox/format/descriptor_builder.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/table_list.h"
#include "paradox/table/table.h"
#include "paradox/table/table_writer.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace vortab::dbinfo;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

std::string TableName(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "T%04d", i);
    return name;
}

paradox::DescriptorBuilder TenFields(const std::string& name) {
    paradox::DescriptorBuilder b(name);
    b.field("Id", paradox::FLDINT32)
        .field("Ref", paradox::FLDINT32)
        .field("Name", paradox::FLDZSTRING, 0, 30)
        .field("Amount", paradox::FLDFLOAT, paradox::FLDSTMONEY)
        .field("Count", paradox::FLDINT16)
        .field("Placed", paradox::FLDDATE)
        .field("Done", paradox::FLDBOOL)
        .field("Rate", paradox::FLDFLOAT)
        .field("Code", paradox::FLDZSTRING, 0, 8)
        .field("Stamp", paradox::FLDTIMESTAMP);
    return b;
}

void AddCheckAndLink(const std::string& dir, const std::string& name, const std::string& master) {
    paradox::TableDescriptor desc{};
    paradox::copyFixedText(desc.tableName, name);
    paradox::copyFixedText(desc.driverType, "PARADOX");
    paradox::ValidityCheckDescriptor check{};
    check.fieldNumber = 5;
    check.required = 1;
    check.minimumKind = 1;
    const std::int16_t minimum = 1;
    std::memcpy(check.minimum, &minimum, sizeof minimum);
    paradox::OperationCode add = paradox::CRADD;
    desc.checkCount = 1;
    desc.checks = &check;
    desc.checkOps = &add;
    paradox::restructureTable(dir, desc, nullptr);

    paradox::IndexDescriptor byRef{};
    paradox::copyFixedText(byRef.name, "Ref");
    byRef.keyFieldCount = 1;
    byRef.keyFields[0] = 2;
    byRef.maintained = 1;
    paradox::AddIndex(dir, name, byRef);
    paradox::RILinkDescriptor link{};
    paradox::copyFixedText(link.name, "To" + master);
    link.kind = static_cast<std::uint32_t>(paradox::LinkKind::Dependent);
    paradox::copyFixedText(link.otherTable, master + ".DB");
    link.fieldCount = 1;
    link.thisFields[0] = 2;
    link.otherFields[0] = 1;
    paradox::AddLink(dir, name, link);
}

void BuildDatabase(const std::string& dir, int tables) {
    fs::create_directories(dir);
    for (int i = 0; i <= tables; ++i) {
        paradox::createTable(dir, TenFields(TableName(i)).descriptor(), {1, false});
        if (i > 0) AddCheckAndLink(dir, TableName(i), TableName(i - 1));
    }
}

// Every fifth table gets an eleventh field and loses its check.
void ChangeDatabase(const std::string& dir, int tables) {
    for (int i = 5; i <= tables; i += 5) {
        const std::string name = TableName(i);
        const paradox::Table table = paradox::Table::open(dir, name);
        std::vector<paradox::FieldDescriptor> fields = table.fieldDescriptors();
        std::vector<paradox::OperationCode> ops(fields.size(), paradox::CRNOOP);
        paradox::FieldDescriptor extra{};
        paradox::copyFixedText(extra.name, "Extra");
        extra.type = paradox::FLDINT32;
        fields.push_back(extra);
        ops.push_back(paradox::CRADD);
        paradox::ValidityCheckDescriptor check{};
        check.fieldNumber = 5;
        paradox::OperationCode drop = paradox::CRDROP;
        paradox::TableDescriptor desc{};
        paradox::copyFixedText(desc.tableName, name);
        paradox::copyFixedText(desc.driverType, "PARADOX");
        desc.fieldCount = static_cast<std::uint16_t>(fields.size());
        desc.fields = fields.data();
        desc.fieldOps = ops.data();
        desc.checkCount = 1;
        desc.checks = &check;
        desc.checkOps = &drop;
        paradox::restructureTable(dir, desc, nullptr);
    }
}

}  // namespace

int main(int argc, char** argv) {
    int tables = 500;
    std::string libraryDir = std::string(VORTAB_BUILD_DIR) + "/library";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--tables") == 0) tables = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--library") == 0) libraryDir = argv[i + 1];
    }
    const fs::path root = fs::temp_directory_path() / ("vortab-bench-generators-" + std::to_string(::getpid()));
    const std::string a = (root / "a").string(), b = (root / "b").string();
    try {
        vortab::LibraryBinding binding;
        const IdentifierEntry* chain = binding.OpenLibraryInfo(libraryDir)->chain;
        std::printf("building two databases of %d tables (and one master) ...\n", tables);
        BuildDatabase(a, tables);
        fs::copy(a, b, fs::copy_options::recursive);
        ChangeDatabase(b, tables);

        auto start = Clock::now();
        std::size_t fields = 0;
        for (const std::string& name : paradox::ListTables(a, "*.DB")) fields += paradox::Table::open(a, name).fieldDescriptors().size();
        const double headers = Seconds(start);

        NoProgress progress;
        start = Clock::now();
        const auto original = LoadDatabase(a, {}, chain, progress);
        const double load = Seconds(start);
        start = Clock::now();
        ScriptLines dump;
        WriteCreateScript(*original, {}, dump, progress);
        const double dumpScript = Seconds(start);

        start = Clock::now();
        const auto current = LoadDatabase(b, {}, chain, progress);
        const double loadCurrent = Seconds(start);
        start = Clock::now();
        ScriptLines diff;
        WriteDiffScript(*current, DiffSettings{}, diff, "", "", original.get(), progress);
        const double diffScript = Seconds(start);

        const double dumpTime = load + dumpScript, diffTime = load + loadCurrent + diffScript;
        std::printf("tables %zu, fields %zu; dump %zu lines, diff %zu lines\n", original->tables.size(), fields, dump.size(),
                    diff.size());
        std::printf("headers alone   %8.3f s\n", headers);
        std::printf("model load      %8.3f s   %6.2fx headers\n", load, load / headers);
        std::printf("dump            %8.3f s   %6.2fx headers   (script alone %.3f s, %.2fx headers)\n", dumpTime,
                    dumpTime / headers, dumpScript, dumpScript / headers);
        std::printf("diff            %8.3f s   %6.2fx headers   (script alone %.3f s, %.2fx headers)\n", diffTime,
                    diffTime / headers, diffScript, diffScript / headers);
        const std::size_t n = original->tables.size();
        std::printf("RATIO generators.dump %.2f times opening the same %zu tables' headers alone\n", dumpTime / headers, n);
        std::printf("RATIO generators.diff %.2f times opening the same %zu tables' headers alone (two databases loaded)\n",
                    diffTime / headers, n);
    } catch (const paradox::EngineError& e) {
        std::fprintf(stderr, "bench_generators: %d %s\n", e.code(), e.what());
        fs::remove_all(root);
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_generators: %s\n", e.what());
        fs::remove_all(root);
        return 1;
    }
    fs::remove_all(root);
    return 0;
}
