// Where a SQL export writes: a SQLite database or a PostgreSQL script, fed table by table with
// streamed records. Everything goes to a temporary file beside the output, which finish() puts
// in place; a table whose records fail half-way is undone by abandonTable() and the rest goes on.
#pragma once
#include <memory>
#include <string>

#include "cli/export/export_plan.h"
#include "paradox/api/table.h"

namespace vortab::cli::sqlexport {

// Thrown by addRecord when a record leaves a key field blank that the schema cannot hold blank
// (SQLite's rowid): the table is to be undone, its blank keys counted and the table written again.
struct BlankKeyField {};

class SqlTarget {
  public:
    virtual ~SqlTarget() = default;
    // Starts table t of the plan (its schema, or as much of it as comes before the data).
    virtual void beginTable(std::size_t t) = 0;
    virtual void addRecord(const paradox::api::RecordReader& record) = 0;
    // Ends table t's data (the plan marks it written afterwards).
    virtual void endTable() = 0;
    // Undoes everything since beginTable.
    virtual void abandonTable() = 0;
    // Writes what comes after all data, ends the transaction and puts the file in place.
    virtual void finish() = 0;
};

// Both throw std::runtime_error when the file cannot be made or written.
std::unique_ptr<SqlTarget> OpenSqliteTarget(const ExportPlan& plan, const std::string& path);
std::unique_ptr<SqlTarget> OpenPostgresTarget(const ExportPlan& plan, const std::string& path);

// A temporary name beside path, and putting it in place (flushed to disk first).
std::string TemporaryPathFor(const std::string& path);
void PutInPlace(const std::string& temporary, const std::string& path);

}  // namespace vortab::cli::sqlexport
