// A Paradox table as a SQL export sees it: columns in the type family that keeps every value,
// the key, the secondary indexes, the validity checks as rules and the links as foreign keys,
// each rule, key and link with the number of records that break it (filled in by the audit
// before anything is written). Names are UTF-8; the dialects decide how they are spelled.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cli/table_info.h"
#include "paradox/api/table_structure.h"
#include "paradox/api/value.h"

namespace vortab::cli::sqlexport {

// FormattedMemo: a memo with formatting runs between its characters (NUL bytes included).
enum class ColumnKind {
    Alpha,
    Short,
    Long,
    AutoInc,
    Number,
    Bcd,
    Date,
    Time,
    Timestamp,
    Logical,
    Memo,
    FormattedMemo,
    Binary
};

struct SqlColumn {
    std::string name;
    ColumnKind kind = ColumnKind::Alpha;
    int length = 0;                // alpha: characters
    int precision = 0, scale = 0;  // BCD
    paradox::api::CheckValueKind defaultKind = paradox::api::CheckValueKind::None;
    paradox::api::Value defaultValue;  // when defaultKind is Value
    std::vector<std::string> notes;    // pictures, lookups, checks SQL cannot hold: schema comments
};

enum class RuleKind { Required, Minimum, Maximum };

// A check that records can break: a required field, a minimum or a maximum.
struct SqlRule {
    RuleKind kind = RuleKind::Required;
    int column = 0;             // 0-based
    paradox::api::Value bound;  // minimum or maximum, in the field's own value kind
    long broken = 0;            // records that break it
};

struct SqlIndex {
    std::string name;
    std::vector<int> columns;  // 0-based
    std::vector<bool> descending;
    bool unique = false, caseInsensitive = false;
};

struct SqlLink {
    std::string name;
    std::vector<int> columns;                // 0-based, in this table
    std::string masterFile;                  // the master's file name as the link gives it
    std::vector<std::string> masterColumns;  // names in the master (empty: master not readable)
    int master = -1;                         // the master among the exported tables
    std::vector<int> masterColumnIndexes;    // 0-based, in the master
    bool cascadeUpdate = false, cascadeDelete = false;
    long broken = 0;          // records whose values the master does not hold
    std::string unavailable;  // why the link is only a comment (empty: it is a constraint)
};

struct SqlTable {
    std::string file;  // as on disk: for opening and for messages
    std::string name;  // UTF-8 title (file name without extension)
    std::uint16_t codePage = 0;
    std::uint32_t recordCount = 0;  // as the header says (for progress)
    std::vector<SqlColumn> columns;
    std::vector<int> primaryKey;       // 0-based
    long primaryKeyBroken = 0;         // records with a blank key field
    std::uint32_t autoIncHighest = 0;  // the header's highest value ever given
    std::int64_t autoIncSeen = 0;      // the highest the records hold (when the audit read them)
    std::vector<SqlRule> rules;
    std::vector<SqlIndex> indexes;
    std::vector<SqlLink> links;
    std::vector<std::string> notes;  // table-level comments (warnings of the reading)

    // Where the autoincrement goes on: past what the header and the records hold.
    std::int64_t nextAutoInc() const {
        return (autoIncSeen > static_cast<std::int64_t>(autoIncHighest) ? autoIncSeen : autoIncHighest) + 1;
    }
    // The key is one autoincrement field: SQLite's INTEGER PRIMARY KEY with its sequence.
    bool autoIncKey() const {
        return primaryKey.size() == 1 && columns[static_cast<std::size_t>(primaryKey[0])].kind == ColumnKind::AutoInc;
    }
};

// Alpha and memo columns: what a case-insensitive index folds.
inline bool IsTextColumn(const SqlColumn& column) {
    return column.kind == ColumnKind::Alpha || column.kind == ColumnKind::Memo;
}
// The index is case-insensitive and has a text column to fold.
bool FoldsCase(const SqlTable& table, const SqlIndex& index);

// The export's description of a table whose structure was read.
SqlTable DescribeTable(const TableInfo& info);

// "minimum of Amount (0)", "Name required", "link \"ref\" to orders": how messages and comments
// name it.
std::string RuleText(const SqlTable& table, const SqlRule& rule);
std::string LinkText(const SqlLink& link);

}  // namespace vortab::cli::sqlexport
