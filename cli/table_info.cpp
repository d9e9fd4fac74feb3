// Reading a table's structure: the table itself for properties and fields, the index files
// for index descriptors and the .VAL for validity checks and links (what of them cannot be read
// becomes a warning).
#include "cli/table_info.h"

#include "cli/info_terms.h"
#include "cli/table_access.h"
#include "shared/text/code_pages.h"

namespace vortab::cli {
namespace {

// The names of a link's fields in its other table, or none when that table cannot be read.
std::vector<std::string> OtherFieldNames(const std::string& dir, const paradox::api::Link& link,
                                         const paradox::api::OpenOptions& options) {
    paradox::api::OpenOptions quiet{options.passwords, {}};
    std::vector<std::string> names;
    try {
        const paradox::api::Table other = paradox::api::Table::Open(dir, link.otherTable, quiet);
        TableInfo otherInfo;
        otherInfo.properties = other.properties();
        otherInfo.fields = other.fields();
        for (const std::uint16_t number : link.otherFields)
            names.push_back(FieldNameByNumber(otherInfo, number));
    } catch (const std::exception&) {
        names.clear();  // shown by number
    }
    return names;
}

}  // namespace

TableInfo ReadTableInfo(const std::string& dir, const std::string& name, const paradox::api::OpenOptions& options) {
    const paradox::api::Table table = paradox::api::Table::Open(dir, name, options);
    TableInfo info;
    info.properties = table.properties();
    info.fields = table.fields();
    info.indexes = table.indexes();
    if (auto val = table.validity()) {
        info.checks = std::move(val->checks);
        info.links = std::move(val->links);
        info.checksStale = val->stale;
    }
    for (const std::string& warning : table.warnings()) info.warnings.push_back(NameToUtf8(warning));
    for (const paradox::api::Link& link : info.links)
        info.linkOtherFieldNames.push_back(OtherFieldNames(dir, link, options));
    return info;
}

std::string FieldNameByNumber(const TableInfo& info, int number) {
    if (number < 1 || number > static_cast<int>(info.fields.size())) return "#" + std::to_string(number);
    return TextDecoder(TextCodePage(info.properties)).toUtf8(info.fields[static_cast<std::size_t>(number - 1)].name);
}

}  // namespace vortab::cli
