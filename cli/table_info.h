// The structure of one table as `vortab info` shows it: properties, fields, indexes, validity
// checks and links, read through the engine; and its two renderings, readable text and JSON.
// Reading fails with the engine's EngineError (10024 missing, 10498 password, 8961 corrupt ...).
#pragma once
#include <string>
#include <vector>

#include "cli/json_writer.h"
#include "paradox/api/table.h"

namespace vortab::cli {

struct TableInfo {
    paradox::api::TableProperties properties;
    std::vector<paradox::api::Field> fields;
    std::vector<paradox::api::Index> indexes;  // primary first, then secondary
    std::vector<paradox::api::Check> checks;
    std::vector<paradox::api::Link> links;
    // Per link, the names (UTF-8) of its fields in the other table; empty when that table could
    // not be read with the given passwords (it is never asked for).
    std::vector<std::vector<std::string>> linkOtherFieldNames;
    bool checksStale = false;  // the .VAL was written for an older version of the table
    std::vector<std::string> warnings;  // (UTF-8) index files or a .VAL read in part or left out
};

TableInfo ReadTableInfo(const std::string& dir, const std::string& name, const paradox::api::OpenOptions& options);

// The names of link n's fields in its other table; empty when they are not known.
inline const std::vector<std::string>& OtherFieldNamesOf(const TableInfo& info, std::size_t n) {
    static const std::vector<std::string> none;
    return n < info.linkOtherFieldNames.size() ? info.linkOtherFieldNames[n] : none;
}

// Name (UTF-8) of the field with this 1-based number, or "#n" when out of range.
std::string FieldNameByNumber(const TableInfo& info, int number);

void WriteInfoText(const TableInfo& info, std::string& out);
void WriteInfoJson(const TableInfo& info, JsonWriter& json);

}  // namespace vortab::cli
