// Reading a table's index files and .VAL with faults as warnings, and the refusal a change makes.
#include "paradox/table/table_companions.h"

#include "paradox/storage/engine_error.h"
#include "paradox/storage/table_family.h"
#include "paradox/storage/table_list.h"
#include "paradox/table/secondary_index.h"

namespace paradox {
namespace {

// "NAME.VAL: what is wrong" from an error whose text names the file by its path.
std::string FileWarning(const std::string& path, const std::string& detail) {
    const std::string prefix = path + ": ";
    return FileNamePart(path) + ": " + (detail.rfind(prefix, 0) == 0 ? detail.substr(prefix.size()) : detail);
}

}  // namespace

TableCompanions ReadTableCompanions(const std::string& dir, const std::string& table, const Schema& schema) {
    TableCompanions c;
    if (schema.keyFields > 0) c.indexes.push_back(PrimaryIndexDescriptor(schema));
    for (const SecondaryIndexReading& r : ReadSecondaryIndexes(dir, table, schema)) {
        if (r.usable) c.indexes.push_back(r.descriptor);
        if (r.faultCode != 0) c.warnings.push_back(r.file + ": " + (r.usable ? "" : "left out, it ") + r.fault);
    }
    try {
        c.val = ReadValFile(dir, table);
    } catch (const EngineError& e) {
        const auto path = FindTableFile(dir, TableBaseName(table), "VAL");
        c.warnings.push_back(FileWarning(path.value_or(TableBaseName(table) + ".VAL"), e.detail()) +
                             " (its checks and links are left out)");
    }
    return c;
}

void RequireUnderstoodCompanions(const std::string& dir, const std::string& table, const Schema& schema) {
    (void)ReadIndexDescriptors(dir, table, schema);
    (void)ReadValFile(dir, table);
}

}  // namespace paradox
