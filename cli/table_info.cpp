// Reading a table's structure: the table itself for properties and fields, the index files
// for index descriptors and the .VAL for validity checks and links.
#include "cli/table_info.h"

#include "cli/code_page.h"
#include "cli/table_access.h"
#include "paradox/format/val_file.h"
#include "paradox/table/secondary_index.h"

namespace vortab::cli {

TableInfo ReadTableInfo(const std::string& dir, const std::string& name, const paradox::OpenOptions& options) {
    const paradox::Table table = paradox::Table::open(dir, name, options);
    TableInfo info;
    info.properties = table.properties();
    info.schema = table.schema();
    info.fields = table.fieldDescriptors();
    info.indexes = paradox::ReadIndexDescriptors(dir, info.properties.name, info.schema);
    if (auto val = paradox::ReadValFile(dir, info.properties.name)) {
        info.checks = std::move(val->checks);
        info.links = std::move(val->links);
        info.checksStale = val->stale;
    }
    return info;
}

std::string FieldNameByNumber(const TableInfo& info, int number) {
    if (number < 1 || number > static_cast<int>(info.schema.fields.size())) return "#" + std::to_string(number);
    return TextDecoder(TextCodePage(info.properties)).toUtf8(info.schema.fields[static_cast<std::size_t>(number - 1)].name);
}

}  // namespace vortab::cli
