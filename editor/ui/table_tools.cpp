// The Tools menu: "Verify database..." and "Repair table...". Each table is checked or repaired
// in turn on the interface thread; the texts (the command-line tool's) go to the upgrade
// information window, whose Abort stops before the next table. A repair's own step is one
// crash-safe family swap, so stopping between tables never leaves a table half repaired.
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <set>

#include "editor/runner/table_check_texts.h"
#include "editor/ui/main_window.h"
#include "editor/ui/program_version.h"
#include "editor/ui/script_file.h"
#include "editor/ui/upgrade_info_window.h"
#include "paradox/api/database.h"
#include "paradox/api/engine_error.h"
#include "paradox/api/session.h"
#include "paradox/api/verify.h"
#include "shared/text/cp1252.h"

namespace vortab::ui {
namespace {

// The window prepared for a run over `tables`, with its caption.
void StartToolRun(TfrmUpgrInfo& window, const QString& directory, const QString& caption, int tables) {
    window.StartUpgrade(directory);
    window.setWindowTitle(directory + QStringLiteral(" - ") + caption);
    window.Label1->setText(caption + QStringLiteral(". Please wait."));
    window.Gauge->setMaximum(std::max(tables, 1));
}

void AddLines(TfrmUpgrInfo& window, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) window.AddOutputLine(FromLibraryText(line));
}

// The tables to work on: the one chosen, else every table of the directory.
std::vector<std::string> TablesOf(const std::string& directory, const QString& table) {
    if (!table.isEmpty()) return {Utf8ToCp1252(table.toStdString())};
    paradox::api::RecoverDirectory(directory);
    return paradox::api::ListTables(directory, "*.DB");
}

// Keeps other commands out while a run lets the window's events through.
struct BusyFlag {
    explicit BusyFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyFlag() { flag_ = false; }
    bool& flag_;
};

}  // namespace

void TKestrel::VerifyDatabaseCommand() {
    if (Busy) return;
    const BusyFlag busy(Busy);
    QString table, database;
    if (!selectDatabase(QStringLiteral("Verify database (or one table)"), false, {}, table, database)) return;
    const std::string directory = paradox::api::DatabaseDirectory(Utf8ToCp1252(database.toStdString()));
    const std::vector<std::string> tables = TablesOf(directory, table);
    TfrmUpgrInfo& window = *upgradeInfo();
    StartToolRun(window, FromLibraryText(directory), QStringLiteral("Verifying database"), int(tables.size()));
    paradox::api::VerifyOptions options{paradox::api::Session::Default().knownPasswords()};
    std::vector<paradox::api::VerifyFinding> all;
    for (std::size_t i = 0; i < tables.size() && !window.Aborted(); ++i) {
        const auto found = paradox::api::VerifyTables(directory, {tables[i]}, options);
        for (const auto& f : found) window.AddOutputLine(FromLibraryText(FindingLine(f)));
        all.insert(all.end(), found.begin(), found.end());
        window.Gauge->setValue(int(i + 1));
    }
    const bool aborted = window.Aborted();
    window.AddOutputLine(FromLibraryText(FindingSummary(all)));
    window.FinishUpgrade();
    window.Label1->setText(aborted ? QStringLiteral("Verify aborted.")
                                   : QStringLiteral("Verify finished: ") + FromLibraryText(FindingSummary(all)) + ".");
}

void TKestrel::RepairTableCommand() {
    if (Busy) return;
    const BusyFlag busy(Busy);
    QString table, database;
    if (!selectDatabase(QStringLiteral("Repair table (none: every damaged table)"), false, {}, table, database)) return;
    const std::string directory = paradox::api::DatabaseDirectory(Utf8ToCp1252(database.toStdString()));
    paradox::api::RepairOptions options;
    options.passwords = paradox::api::Session::Default().knownPasswords();
    std::vector<std::string> tables;
    if (!table.isEmpty()) {
        tables = TablesOf(directory, table);
    } else {
        std::set<std::string> seen;
        for (const auto& f : paradox::api::VerifyTables(directory, {}, {options.passwords}))
            if (f.severity == paradox::api::FindingSeverity::Error && seen.insert(f.table).second) tables.push_back(f.table);
    }
    if (tables.empty()) {
        QMessageBox::information(this, ApplicationTitle(), QStringLiteral("Verify finds nothing to repair."));
        return;
    }
    if (QMessageBox::question(this, ApplicationTitle(),
                              QStringLiteral("Repair %1 table(s) in %2? Their files are copied to a backup directory first.")
                                  .arg(tables.size()).arg(FromLibraryText(directory)),
                              QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    TfrmUpgrInfo& window = *upgradeInfo();
    StartToolRun(window, FromLibraryText(directory), QStringLiteral("Repairing tables"), int(tables.size()));
    int failed = 0;
    for (std::size_t i = 0; i < tables.size() && !window.Aborted(); ++i) {
        try {
            const auto report = paradox::api::RepairTable(directory, tables[i], options);
            AddLines(window, RepairReportLines(report, false));
            failed += report.refused ? 1 : 0;
        } catch (const paradox::api::EngineError& e) {
            window.AddOutputLine(FromLibraryText("table " + tables[i] + ": not repaired: " + std::to_string(e.code()) + " " + e.what()));
            ++failed;
        }
        window.Gauge->setValue(int(i + 1));
    }
    const bool aborted = window.Aborted();
    window.FinishUpgrade();
    window.Label1->setText(aborted ? QStringLiteral("Repair aborted.")
                           : failed ? QStringLiteral("Repair finished; %1 table(s) not repaired.").arg(failed)
                                    : QStringLiteral("Repair finished."));
}

}  // namespace vortab::ui
