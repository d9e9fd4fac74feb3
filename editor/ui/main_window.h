// TKestrel: the editor's main window. It holds one script in the text control and runs every
// command on it: new, open and save (Windows-1252 files), checking its syntax, applying it (or
// a selection, or one line) to a database, generating a script from a database or from two,
// find, print and preview, the view toggles, options and help. It keeps the three recent lists,
// the status bar with its gauge and Abort button, and reports long operations there.
#pragma once
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>

#include "editor/dbinfo/progress.h"
#include "editor/runner/library_binding.h"
#include "editor/ui/editor_settings.h"
#include "editor/ui/vortab_lexer.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPrinter;
class QPushButton;
class QToolBar;
class QToolButton;

namespace vortab::ui {

class FindDialog;
class RecentList;
class ScriptPrinter;
class ScriptEditor;
class TfrmUpgrInfo;
class TFrmSelDatabase;

inline constexpr const char* kUntitled = "Untitled";

class TKestrel : public QMainWindow, public dbinfo::Progress {
    Q_OBJECT
public:
    explicit TKestrel(QWidget* parent = nullptr);
    ~TKestrel() override;

    const EditorSettings& settings() const { return settings_; }
    const LibraryInfo* libraryInfo() const { return libraryInfo_; }
    LibraryBinding& library() { return binding_; }
    ScriptEditor* scriptEditor() const { return MainEdit; }
    TfrmUpgrInfo* upgradeInfo();
    TFrmSelDatabase* databaseSelection();
    const QString& fileName() const { return FileName; }
    bool syntaxChecked() const { return SyntaxChecked; }
    QString statusText(int panel) const;

    void ApplySettings();
    void EditOptions();

    // Files.
    void SetFileName(const QString& name);
    bool QuerySaveChanges();  // false: the user cancelled
    void NewBlank();
    void Open();
    bool OpenFile(const QString& path, bool readOnly = false);
    bool Save();
    bool SaveAs();
    bool SaveTo(const QString& path);

    // Script commands.
    void CheckScriptSyntax(const QStringList& lines, bool fromEditor);  // throws on an error
    void CheckSyntaxCommand();
    void ApplyCommand();
    void ApplySelectionCommand();
    void ReapplyTo(const QString& database);
    void ApplyScriptToDatabase(const QString& database, const QStringList& lines);
    void CreateFromDatabaseCommand();
    void CreateScriptFromDatabase(const QString& database, const QStringList& tables = {});
    void DifferentialScriptCommand();

    // Tools: checking and repairing tables, reported in the upgrade information window.
    void VerifyDatabaseCommand();
    void RepairTableCommand();
    void FilesDropped(const QStringList& paths);
    bool FindText(const QString& text, bool matchCase, bool wholeWord);

    // Print and preview.
    void Print();
    void Preview();
    void PrinterSetup();
    // Prints the script on the printer as set up (page range included); false when nothing was
    // printed.
    bool PrintTo(ScriptPrinter& target);
    ScriptPrinter& printer();
    // "Formatting..." in the status bar while the print engine lays out pages.
    void ShowFormatting(bool formatting);

    // Help.
    void ShowAbout();
    void HelpOnCommand();
    QString HelpKeyword;
    // Sets the context menu's items for the caret and selection (done when it opens).
    void PrepareContextMenu();

    // Progress of long operations (the generators and printing report here).
    void StartProgress(const std::string& caption, int total) override;
    void StepProgress() override;
    void EndProgress() override;
    void SetModified(bool modified);
    void UpdateStatusBar();
    void UpdateCommandStates();
    int gaugeValue() const;

    RecentList* ReOpenPopup;
    RecentList* ReapplyPopup;
    RecentList* ReDBScriptPopup;
    QMenu* EditorPopup;
    QAction* popupApply;
    QAction* popupHelpOnCommand;
    QPushButton* btnAbort;

    // Menu items (tool buttons share them).
    QAction *actNew, *actNewFromDB, *actDiff, *actOpen, *actSave, *actSaveAs, *actCheck, *actApply;
    QAction *actPreview, *actPrint, *actPrinterSetup, *actExit;
    QAction *actUndo, *actRedo, *actCut, *actCopy, *actPaste, *actSelectAll, *actFind;
    QAction *actToolbar, *actStatusBar, *actGutter, *actUpgradeInfo, *actOptions, *actVerify, *actRepair;
    QAction *actHelpContents, *actHelpSearch, *actHelpOnHelp, *actAbout, *actWindowHelp;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void buildContextMenu();
    void loadWindowState();
    void saveWindowState();
    void showContextMenu(const QPoint& globalPosition);
    void loadGenerated(const std::vector<std::string>& lines);
    void runGuarded(const std::function<void()>& command);
    std::unique_ptr<ScriptEditor> printCopy();
    int countPages(ScriptEditor& copy, const QPrinter& layout);
    bool selectDatabase(const QString& caption, bool hideTable, const QString& compareTable, QString& table,
                        QString& database);

    EditorSettings settings_;
    LibraryBinding binding_;
    const LibraryInfo* libraryInfo_ = nullptr;
    std::unique_ptr<TVORTABHighlighter> screenHighlighter_, printHighlighter_, colourPrintHighlighter_;
    std::unique_ptr<ScriptPrinter> printer_;
    ScriptEditor* MainEdit = nullptr;
    TfrmUpgrInfo* upgradeInfo_ = nullptr;
    std::unique_ptr<TFrmSelDatabase> selection_;
    FindDialog* findDialog_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QLabel* panels_[2] = {};
    QProgressBar* gauge_ = nullptr;

    QString FileName;
    QString progressCaption_;
    QString lastOpenDir_, lastSaveDir_;
    bool SyntaxChecked = false;
    bool Busy = false;
    bool AbortRequested = false;
    bool printing_ = false, previewing_ = false, formatting_ = false;
    int progressTotal_ = 0, progressCount_ = 0;
};

}  // namespace vortab::ui
