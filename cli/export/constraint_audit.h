// The pass over a table's records before its schema is written: how many records break each
// rule, leave a key field blank, or hold link values that their master does not hold. A
// constraint that records break is written as a comment, so that every record is exported.
// Memory stays flat in the table's size; only a master's keys are held, one entry per record.
#pragma once
#include <string>
#include <unordered_set>
#include <vector>

#include "cli/export/sql_schema.h"
#include "paradox/api/table.h"

namespace vortab::cli::sqlexport {

// The key values of a master's records, each encoded as one string.
using KeySet = std::unordered_set<std::string>;

// The keys of every record of a table whose columns (0-based) a link refers to. Throws
// EngineError when the table cannot be read.
KeySet ReadKeys(const paradox::api::Table& table, const std::vector<int>& columns, std::uint16_t codePage);

// Whether the audit has anything to count for this table: rules, links to check, or blank key
// fields that the target cannot hold (checkKey).
bool NeedsAudit(const SqlTable& table, bool checkKey);

// The number of records with a blank key field.
long CountBlankKeys(const paradox::api::Table& source, const SqlTable& table);

// Fills broken counts of table's rules, of its links (masters[i] holds link i's master keys, or
// is null for a link left as a comment) and, when checkKey, of its primary key.
void AuditRecords(const paradox::api::Table& source, SqlTable& table, const std::vector<const KeySet*>& masters,
                  bool checkKey);

}  // namespace vortab::cli::sqlexport
