// The plan of a SQL export: the tables that could be read, described and ordered masters first,
// their constraints audited against their records, and which of them made it into the output.
// A constraint is written as such only when no record breaks it and everything it refers to
// was written; otherwise it becomes a comment that says why.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "cli/export/sql_dialect.h"
#include "cli/export/sql_schema.h"
#include "paradox/api/table.h"

namespace vortab::cli::sqlexport {

// The passwords of the command line and every password typed at the terminal so far: a table is
// opened several times (structure, audit, records, as a master) and asks at most once.
class RememberedPasswords {
public:
    RememberedPasswords() = default;
    explicit RememberedPasswords(paradox::api::OpenOptions given);
    paradox::api::OpenOptions options() const;

private:
    paradox::api::OpenOptions given_;
    std::shared_ptr<std::vector<std::string>> typed_ = std::make_shared<std::vector<std::string>>();
};

struct ExportPlan {
    Dialect dialect = Dialect::Sqlite;
    std::string directory;
    RememberedPasswords passwords;
    std::vector<SqlTable> tables;         // masters before their dependents
    std::vector<bool> written;            // per table: its records are in the output
    std::vector<std::string> renamed;     // names the target made shorter or unique
    std::vector<std::string> unreadable;  // files of the chosen tables that could not be read
    int exitCode = 0;                     // 1 once a table could not be read
};

// Reads the structure of every named table (files as listed in directory), audits their records
// and orders them. Tables that cannot be read are reported on stderr (exit code 1) and left out;
// every broken constraint is reported on stderr with the number of records that break it.
ExportPlan PlanExport(Dialect dialect, const std::string& directory, const std::vector<std::string>& names,
                      const paradox::api::OpenOptions& options);

// Whether the audit must count blank key fields: the target's key cannot hold them as they are.
bool KeyNeedsAudit(Dialect dialect, const SqlTable& table);
// The key is one INTEGER column, which SQLite makes the rowid.
bool KeyIsRowid(const SqlTable& table);
// "vortab export: TABLE: WHAT is broken by N records; written as a comment" on stderr.
void ReportBroken(const std::string& table, const std::string& what, long records);
void ReportBrokenKey(const SqlTable& table);

// Whether the key, a rule or a link is written as a constraint; otherwise why not (for the
// comment).
bool KeyWritten(const ExportPlan& plan, const SqlTable& table);
std::string WhyKeyNotWritten(const SqlTable& table);
bool RuleWritten(const SqlRule& rule);
std::string WhyNotWritten(const SqlRule& rule);
// The key is written as SQLite's INTEGER PRIMARY KEY / PostgreSQL's identity column.
bool AutoIncKeyWritten(const ExportPlan& plan, const SqlTable& table);
bool LinkWritten(const ExportPlan& plan, const SqlLink& link);
std::string WhyNotWritten(const ExportPlan& plan, const SqlLink& link);

}  // namespace vortab::cli::sqlexport
