// The SQL export command: options, the table list, the plan, and the records streamed into the
// target table by table with a progress bar on a terminal. Exit code 0 when every table was
// exported, 1 when one could not be read (the rest is exported) or the file could not be
// written, 2 for a wrong command line, 3 when Ctrl-C stopped it (nothing is left behind).
#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/export/constraint_audit.h"
#include "cli/export/export_plan.h"
#include "cli/export/sql_export.h"
#include "cli/export/sql_target.h"
#include "cli/progress_bar.h"
#include "cli/table_access.h"
#include "cli/terminal.h"
#include "paradox/api/database.h"

namespace vortab::cli {
namespace {

using namespace sqlexport;

struct Stopped {};  // Ctrl-C: the export ends and its temporary file goes

constexpr const char* kUsage =
    "usage: vortab export DATABASE --format sqlite|postgres -o FILE [TABLE...] [--force] "
    "[--code-page N] "
    "[--password P]... [--password-file FILE]\n";
constexpr long kProgressEvery = 4096;

std::vector<std::string> TablesToExport(const std::string& dir, const Arguments& given) {
    std::vector<std::string> names;
    for (std::size_t i = 1; i < given.size(); ++i) names.push_back(TableNameIn(dir, given[i]));
    if (names.empty()) {
        // A rename or delete a kill left half done is settled first (as info does).
        paradox::api::RecoverDirectory(dir);
        names = paradox::api::ListTables(dir, "*.DB");
    }
    return names;
}

class ExportProgress {
  public:
    explicit ExportProgress(const ExportPlan& plan) {
        for (const SqlTable& table : plan.tables) total_ += table.recordCount;
        if (StderrIsTerminal()) bar_ = std::make_unique<ProgressBar>();
        tables_ = static_cast<int>(plan.tables.size());
    }
    void table(std::size_t t, const SqlTable& table) {
        step_ = static_cast<int>(t) + 1;
        name_ = table.name;
        show();
    }
    // Counts a record; false when the user asked to stop.
    bool record() {
        if (++done_ % kProgressEvery != 0) return true;
        show();
        return !StopRequested();
    }
    void clear() {
        if (bar_) bar_->clear();
    }

  private:
    void show() {
        if (bar_) bar_->show(step_, tables_, total_ ? double(done_) / double(total_) : 0.0, name_);
    }
    std::unique_ptr<ProgressBar> bar_;
    long done_ = 0, total_ = 0;
    int step_ = 0, tables_ = 0;
    std::string name_;
};

// Table t's schema and records; what a failure interrupts is undone (then it passes the failure on).
void WriteTable(const paradox::api::Table& source, std::size_t t, SqlTarget& target, ExportProgress& progress) {
    target.beginTable(t);
    try {
        paradox::api::RecordReader reader = source.records();
        while (reader.next()) {
            target.addRecord(reader);
            if (!progress.record()) throw Stopped{};
        }
        target.endTable();
    } catch (const paradox::api::EngineError&) {
        target.abandonTable();
        throw;
    } catch (const BlankKeyField&) {
        target.abandonTable();
        throw;
    }
}

// Streams table t's records into the target. A table that cannot be read is reported and left
// out; one whose blank key fields the target's key cannot hold is written again without the key.
void ExportTable(ExportPlan& plan, std::size_t t, SqlTarget& target, ExportProgress& progress) {
    SqlTable& table = plan.tables[t];
    progress.table(t, table);
    try {
        const paradox::api::Table source = paradox::api::Table::Open(plan.directory, table.file, plan.passwords.options());
        try {
            WriteTable(source, t, target, progress);
        } catch (const BlankKeyField&) {
            table.primaryKeyBroken = CountBlankKeys(source, table);
            progress.clear();
            ReportBrokenKey(table);
            WriteTable(source, t, target, progress);
        }
        plan.written[t] = true;
    } catch (const paradox::api::EngineError& e) {
        progress.clear();
        plan.exitCode = ReportEngineError("export", e, table.file);
    }
}

}  // namespace

int RunSqlExport(const std::string& format, Arguments args, const paradox::api::OpenOptions& options) {
    std::string output;
    if (!TakeOption(args, "-o", output)) TakeOption(args, "--output", output);
    const bool force = TakeFlag(args, "--force");
    for (const std::string& a : args) {
        if (a.rfind("-", 0) == 0) {
            std::cerr << "vortab export: unknown option " << a << "\n" << kUsage;
            return 2;
        }
    }
    if (args.empty() || output.empty()) {
        std::cerr << "vortab export: --format " << format << " needs DATABASE and -o FILE\n" << kUsage;
        return 2;
    }
    std::error_code ec;
    if (std::filesystem::exists(output, ec) && !force) {
        std::cerr << "vortab export: " << NameToUtf8(output) << " exists; --force replaces it\n";
        return 1;
    }
    const std::string dir = args[0];
    WarnOfSuspendedLinks("export", dir);
    std::vector<std::string> names;
    try {
        names = TablesToExport(dir, args);
    } catch (const paradox::api::EngineError& e) {
        return ReportEngineError("export", e);
    }
    const Dialect dialect = format == "sqlite" ? Dialect::Sqlite : Dialect::Postgres;
    ExportPlan plan = PlanExport(dialect, dir, names, options);
    StopOnInterrupt();
    try {
        const std::unique_ptr<SqlTarget> target =
            dialect == Dialect::Sqlite ? OpenSqliteTarget(plan, output) : OpenPostgresTarget(plan, output);
        ExportProgress progress(plan);
        for (std::size_t t = 0; t < plan.tables.size(); ++t) ExportTable(plan, t, *target, progress);
        target->finish();
    } catch (const std::runtime_error& e) {
        std::cerr << "vortab export: " << NameToUtf8(output) << ": " << e.what() << "\n";
        return 1;
    } catch (const Stopped&) {
        std::cerr << "vortab export: stopped; " << NameToUtf8(output) << " was not written\n";
        return 3;
    }
    return plan.exitCode;
}

}  // namespace vortab::cli
