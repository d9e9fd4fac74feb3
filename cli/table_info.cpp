// Reading a table's structure: the table itself for properties and fields, the index files
// for index descriptors and the .VAL for validity checks and links (what of them cannot be read
// becomes a warning).
#include "cli/table_info.h"

#include "cli/info_terms.h"
#include "cli/table_access.h"
#include "paradox/format/val_file.h"
#include "paradox/table/secondary_index.h"
#include "paradox/table/table_companions.h"
#include "shared/text/code_pages.h"

namespace vortab::cli {
namespace {

// The names of a link's fields in its other table, or none when that table cannot be read.
std::vector<std::string> OtherFieldNames(const std::string& dir, const paradox::RILinkDescriptor& link,
                                         const paradox::OpenOptions& options) {
    paradox::OpenOptions quiet{options.passwords, {}};
    std::vector<std::string> names;
    try {
        const paradox::Table other = paradox::Table::open(dir, paradox::fixedText(link.otherTable), quiet);
        TableInfo otherInfo;
        otherInfo.properties = other.properties();
        otherInfo.schema = other.schema();
        for (const std::uint16_t number : LinkFieldNumbers(link, true))
            names.push_back(FieldNameByNumber(otherInfo, number));
    } catch (const std::exception&) {
        names.clear();  // shown by number
    }
    return names;
}

}  // namespace

TableInfo ReadTableInfo(const std::string& dir, const std::string& name, const paradox::OpenOptions& options) {
    const paradox::Table table = paradox::Table::open(dir, name, options);
    TableInfo info;
    info.properties = table.properties();
    info.schema = table.schema();
    info.fields = table.fieldDescriptors();
    paradox::TableCompanions companions = paradox::ReadTableCompanions(dir, info.properties.name, info.schema);
    info.indexes = std::move(companions.indexes);
    if (companions.val) {
        info.checks = std::move(companions.val->checks);
        info.links = std::move(companions.val->links);
        info.checksStale = companions.val->stale;
    }
    for (const std::string& warning : companions.warnings) info.warnings.push_back(NameToUtf8(warning));
    for (const paradox::RILinkDescriptor& link : info.links)
        info.linkOtherFieldNames.push_back(OtherFieldNames(dir, link, options));
    return info;
}

std::string FieldNameByNumber(const TableInfo& info, int number) {
    if (number < 1 || number > static_cast<int>(info.schema.fields.size())) return "#" + std::to_string(number);
    return TextDecoder(TextCodePage(info.properties)).toUtf8(info.schema.fields[static_cast<std::size_t>(number - 1)].name);
}

}  // namespace vortab::cli
