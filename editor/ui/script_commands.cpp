// The main window's script commands: checking the syntax, applying the script (or a selection,
// or a line) to a database, generating a script from a database or from two, dropped files and
// find.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QThread>
#include <optional>
#include <stdexcept>

#include "editor/dbinfo/create_script.h"
#include "editor/dbinfo/diff_script.h"
#include "editor/dbinfo/structure_model.h"
#include "editor/runner/status_messages.h"
#include "editor/ui/library_guard.h"
#include "editor/ui/main_window.h"
#include "editor/ui/program_version.h"
#include "editor/ui/recent_list.h"
#include "editor/ui/script_editor.h"
#include "editor/ui/script_file.h"
#include "editor/ui/select_database_dialog.h"
#include "editor/ui/upgrade_info_window.h"
#include "editor/ui/upgrade_run.h"
#include "paradox/api/engine_error.h"
#include "paradox/api/session.h"
#include "shared/text/cp1252.h"
#include "shared/driver_kind.h"
#include "shared/text/cp1252.h"

namespace vortab::ui {
namespace {

// Sets a flag for as long as it lives.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
};

std::string ToLibrary(const QString& text) { return Utf8ToCp1252(text.toStdString()); }

// A table name as the engine looks it up: Windows-1252, or the UTF-8 of its file name when that
// page cannot hold it (the engine tries the UTF-8 form first).
std::string TableNameToLibrary(const QString& name) {
    const std::string utf8 = name.toStdString();
    return Utf8ToCp1252Exactly(utf8).value_or(utf8);
}

bool IsCommandLine(const QString& trimmed) { return !trimmed.isEmpty() && !trimmed.startsWith(':'); }

// The generators read what is there; links an interrupted change left suspended are missing
// from what they read until the next apply restores them, so the user is told.
void WarnOfSuspendedLinks(QWidget* parent, const std::string& database) {
    const std::string warning = dbinfo::SuspendedLinksWarning(database);
    if (!warning.empty()) QMessageBox::warning(parent, ApplicationTitle(), FromLibraryText(warning));
}

}  // namespace

void TKestrel::CheckScriptSyntax(const QStringList& lines, bool fromEditor) {
    if (fromEditor && SyntaxChecked) return;
    if (lines.isEmpty()) return;
    dbinfo::ProgressScope progress(*this, "checking script syntax", static_cast<int>(lines.size()));
    const std::string driver = settings_.driverName;
    for (int i = 0; i < lines.size(); ++i) {
        progress.Step();
        const QString trimmed = lines[i].trimmed();
        if (!IsCommandLine(trimmed)) continue;
        const StatusCode status = binding_.checkSyntax(driver.c_str(), ToScriptBytes(trimmed).c_str());
        if (status <= 0) continue;
        if (fromEditor) {
            const int start = static_cast<int>(lines[i].indexOf(trimmed));
            MainEdit->setSelection(i, start, i, start + static_cast<int>(trimmed.size()));
            MainEdit->ensureLineVisible(i);
        }
        throw std::runtime_error(StatusMessage(status) + " \r\"" + trimmed.toStdString() + "\"");
    }
    if (fromEditor) SyntaxChecked = true;
}

void TKestrel::CheckSyntaxCommand() {
    if (!RequireLibrary(this, binding_)) return;
    CheckScriptSyntax(MainEdit->scriptLines(), true);
    EndProgress();
    QMessageBox::information(this, ApplicationTitle(), QStringLiteral("No syntax errors found"));
    MainEdit->setFocus();
}

void TKestrel::ApplyCommand() {
    if (!RequireLibrary(this, binding_)) return;
    CheckScriptSyntax(MainEdit->scriptLines(), true);
    QString table, database;
    if (selectDatabase(QStringLiteral("Select database"), true, {}, table, database))
        ApplyScriptToDatabase(database, MainEdit->scriptLines());
}

void TKestrel::ReapplyTo(const QString& database) {
    if (!RequireLibrary(this, binding_)) return;
    CheckScriptSyntax(MainEdit->scriptLines(), true);
    ApplyScriptToDatabase(database, MainEdit->scriptLines());
}

void TKestrel::ApplySelectionCommand() {
    if (!RequireLibrary(this, binding_)) return;
    const QStringList lines =
        MainEdit->hasSelectedText() ? SplitLines(MainEdit->selectedText()) : QStringList{MainEdit->caretLineText()};
    CheckScriptSyntax(lines, false);
    QString table, database;
    if (selectDatabase(QStringLiteral("Select database"), true, {}, table, database))
        ApplyScriptToDatabase(database, lines);
}

void TKestrel::ApplyScriptToDatabase(const QString& database, const QStringList& lines) {
    const std::string name = ToLibrary(database);
    const QString directory = FromLibraryText(paradox::api::Session::Default().resolveDatabaseDirectory(name));

    QFileDialog logDialog(this, QStringLiteral("Use log file"), directory,
                          QStringLiteral("Log file (*.log);;Text files (*.txt);;All files (*)"));
    logDialog.setOption(QFileDialog::DontUseNativeDialog);
    // The log is appended to, never replaced: no overwrite question.
    logDialog.setOption(QFileDialog::DontConfirmOverwrite);
    logDialog.setAcceptMode(QFileDialog::AcceptSave);
    logDialog.setDefaultSuffix(QStringLiteral("log"));
    logDialog.selectFile(QStringLiteral("vortab.log"));
    QString logPath;
    if (logDialog.exec() == QDialog::Accepted && !logDialog.selectedFiles().isEmpty())
        logPath = logDialog.selectedFiles().first();

    if (QMessageBox::question(this, ApplicationTitle(), QStringLiteral("Apply script to database %1?").arg(directory),
                              QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    ReapplyPopup->AddHistory(database);

    ScriptRun run;
    run.libraryDirectory = settings_.libraryDirectory;
    run.database = name;
    run.logPath = logPath.toStdString();
    run.lines = ToLibraryLines(lines);
    run.driver = settings_.driverName;
    TfrmUpgrInfo* window = upgradeInfo();
    const StatusCode result = RunUpgrade(*window, run);
    if (result <= 0) QMessageBox::information(window, ApplicationTitle(), window->Label1->text());
}

void TKestrel::CreateFromDatabaseCommand() {
    if (!RequireLibrary(this, binding_) || !QuerySaveChanges()) return;
    QString table, database;
    if (!selectDatabase(QStringLiteral("Select source database/table"), false, {}, table, database)) return;
    CreateScriptFromDatabase(database, table.isEmpty() ? QStringList{} : QStringList{table});
}

void TKestrel::CreateScriptFromDatabase(const QString& database, const QStringList& tables) {
    if (Busy) return;
    BusyScope busy(Busy);
    ReDBScriptPopup->AddHistory(database);
    std::vector<std::string> names;
    for (const QString& table : tables) names.push_back(TableNameToLibrary(table));
    WarnOfSuspendedLinks(this, ToLibrary(database));
    const auto model = dbinfo::LoadDatabase(ToLibrary(database), names, libraryInfo_->chain, *this, settings_.driverName);
    dbinfo::ScriptLines lines;
    dbinfo::WriteCreateScript(*model, names, lines, *this, LibraryVersionText(libraryInfo_));
    loadGenerated(lines);
}

void TKestrel::DifferentialScriptCommand() {
    if (Busy) return;
    BusyScope busy(Busy);
    if (!RequireLibrary(this, binding_) || !QuerySaveChanges()) return;
    QString originalTable, originalDatabase;
    if (!selectDatabase(QStringLiteral("Select original database/table"), false, {}, originalTable, originalDatabase))
        return;
    QThread::msleep(200);
    QString currentTable, currentDatabase;
    const bool allTables = originalTable.isEmpty();
    if (!selectDatabase(allTables ? QStringLiteral("Select updated database") : QStringLiteral("Select updated database/table"),
                        allTables, originalTable, currentTable, currentDatabase))
        return;
    const std::string original = TableNameToLibrary(originalTable), current = TableNameToLibrary(currentTable);
    const std::vector<std::string> originalNames = allTables ? std::vector<std::string>{} : std::vector{original};
    const std::vector<std::string> currentNames = allTables ? std::vector<std::string>{} : std::vector{current};
    WarnOfSuspendedLinks(this, ToLibrary(originalDatabase));
    WarnOfSuspendedLinks(this, ToLibrary(currentDatabase));
    std::unique_ptr<dbinfo::tdatabase_Structure> originalModel;
    try {
        originalModel = dbinfo::LoadDatabase(ToLibrary(originalDatabase), originalNames, libraryInfo_->chain, *this,
                                             settings_.driverName);
    } catch (const paradox::api::EngineError& e) {
        // A table the original database lacks is written whole, as one new to it.
        if (allTables || e.code() != paradox::api::err::kNoSuchTable) throw;
        originalModel = dbinfo::LoadDatabase(ToLibrary(originalDatabase), {}, nullptr, *this, settings_.driverName);
    }
    const auto currentModel =
        dbinfo::LoadDatabase(ToLibrary(currentDatabase), currentNames, libraryInfo_->chain, *this, settings_.driverName);
    dbinfo::DiffSettings diff;
    diff.invariant = settings_.diffInvariant;
    diff.ignoreCase = settings_.diffIgnoreCase;
    dbinfo::ScriptLines lines;
    dbinfo::WriteDiffScript(*currentModel, diff, lines, current, original, originalModel.get(), *this);
    loadGenerated(lines);
}

void TKestrel::loadGenerated(const std::vector<std::string>& lines) {
    SetFileName(QString::fromLatin1(kUntitled));
    QString text;
    // A remark may name a table in the UTF-8 of its file name, which Windows-1252 cannot hold.
    for (const std::string& line : lines)
        text += (IsUtf8Beyond1252(line) ? QString::fromStdString(line) : FromScriptBytes(line)) + QStringLiteral("\r\n");
    MainEdit->setReadOnly(false);
    MainEdit->setText(text);
    SetModified(true);
    SyntaxChecked = true;
}

void TKestrel::FilesDropped(const QStringList& paths) {
    if (Busy) return;
    std::optional<BusyScope> busy(std::in_place, Busy);
    activateWindow();
    raise();
    QStringList tables;
    QString lastDirectory;
    const QString extension = QString::fromStdString(DefaultExtension(settings_.driverName, true));
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            busy.reset();
            if (RequireLibrary(this, binding_) && QuerySaveChanges()) CreateScriptFromDatabase(path);
            return;
        }
        lastDirectory = info.absolutePath();
        if (QStringLiteral(".%1").arg(info.suffix()).compare(extension, Qt::CaseInsensitive) == 0)
            tables << info.fileName();
    }
    if (paths.isEmpty()) return;
    if (tables.isEmpty()) throw std::runtime_error("No database tables were dropped");
    busy.reset();
    if (RequireLibrary(this, binding_) && QuerySaveChanges()) CreateScriptFromDatabase(lastDirectory, tables);
}

bool TKestrel::FindText(const QString& text, bool matchCase, bool wholeWord) {
    if (MainEdit->findFirst(text, false, matchCase, wholeWord, false, true)) {
        activateWindow();
        raise();
        MainEdit->ensureCursorVisible();
        return true;
    }
    QMessageBox::information(this, ApplicationTitle(), QStringLiteral("Cannot find \"%1\"").arg(text));
    return false;
}

}  // namespace vortab::ui
