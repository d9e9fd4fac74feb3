// The names an export writes: identifiers quoted with their case kept, and made unique in the
// database (tables and indexes share one namespace in SQL, compared without regard to ASCII
// case). Where the target limits a name's bytes (PostgreSQL: 63), a longer name is cut at a
// character boundary and given a numbered suffix.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "cli/export/sql_schema.h"

namespace vortab::cli::sqlexport {

std::string QuoteIdentifier(std::string_view utf8);  // "name", quotes doubled
std::string QuoteText(std::string_view utf8);        // 'text', quotes doubled

// Rewrites every table, column and index name of tables to the name it gets in the target:
// indexes as TABLE_INDEX; names unique in their namespace; at most maxBytes bytes (0: no
// limit). Returns "original -> written" for each name that had to change beyond that prefix.
std::vector<std::string> AssignSqlNames(std::vector<SqlTable>& tables, std::size_t maxBytes);

}  // namespace vortab::cli::sqlexport
