#include "editor/ui/main_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cmath>
#include <filesystem>

#include "editor/help/help_anchors.h"
#include "editor/ui/about_box.h"
#include "editor/ui/find_dialog.h"
#include "editor/ui/help.h"
#include "editor/ui/ini_document.h"
#include "editor/ui/library_guard.h"
#include "editor/ui/options_dialog.h"
#include "editor/ui/password_dialog.h"
#include "editor/ui/program_version.h"
#include "editor/ui/recent_list.h"
#include "editor/ui/script_editor.h"
#include "editor/ui/script_file.h"
#include "editor/ui/script_printer.h"
#include "editor/ui/select_database_dialog.h"
#include "editor/ui/upgrade_info_window.h"
#include "paradox/api/session.h"

namespace vortab::ui {
namespace {

constexpr const char* kOptions = "OPTIONS";
constexpr const char* kHistory = "HISTORY";
constexpr const char* kApplyHistory = "APPLYHIST";
constexpr const char* kScriptHistory = "DBTOSCRIPTHIST";

}  // namespace

TKestrel::TKestrel(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(ApplicationTitle());
    MainEdit = new ScriptEditor(this);
    setCentralWidget(MainEdit);
    ReOpenPopup = new RecentList(this);
    ReapplyPopup = new RecentList(this);
    ReDBScriptPopup = new RecentList(this);
    buildMenus();
    buildToolBar();
    buildStatusBar();
    buildContextMenu();

    // A protected table the editor reads (to generate a script) asks for its password, as the
    // library's runs do.
    paradox::api::Session::Default().setPasswordEvent([](const std::string& table) {
        const std::optional<std::string> password = AskTablePassword(table);
        if (!password) return paradox::api::PasswordReply::Abort;
        paradox::api::Session::Default().addPassword(*password);
        return paradox::api::PasswordReply::Retry;
    });
    LoadSettings(settings_);
    SaveSettings(settings_);
    SetFileName(QString::fromLatin1(kUntitled));
    EndProgress();
    lastOpenDir_ = lastSaveDir_ = QCoreApplication::applicationDirPath();
    ApplySettings();
    loadWindowState();

    connect(MainEdit, &QsciScintilla::textChanged, this, [this] {
        SyntaxChecked = false;
        UpdateStatusBar();
        UpdateCommandStates();
    });
    connect(MainEdit, &QsciScintilla::modificationChanged, this, [this] { UpdateStatusBar(); });
    connect(MainEdit, &ScriptEditor::filesDropped, this, [this](const QStringList& paths) { FilesDropped(paths); });
    connect(MainEdit, &ScriptEditor::contextMenuRequested, this, &TKestrel::showContextMenu);
    connect(ReOpenPopup, &RecentList::chosen, this, [this](const QString& path) {
        runGuarded([&] {
            if (QuerySaveChanges()) OpenFile(path);
        });
    });
    connect(ReapplyPopup, &RecentList::chosen, this,
            [this](const QString& database) { runGuarded([&] { ReapplyTo(database); }); });
    connect(ReDBScriptPopup, &RecentList::chosen, this, [this](const QString& database) {
        runGuarded([&] {
            if (RequireLibrary(this, binding_) && QuerySaveChanges()) CreateScriptFromDatabase(database);
        });
    });
    // The idle handler: command states follow the editor whenever events have been handled.
    auto* idle = new QTimer(this);
    connect(idle, &QTimer::timeout, this, &TKestrel::UpdateCommandStates);
    idle->start(150);
    UpdateCommandStates();
    resize(900, 620);
    setMinimumSize(640, 420);
}

TKestrel::~TKestrel() {
    paradox::api::Session::Default().setPasswordEvent({});
    MainEdit->setAcceptDrops(false);
    selection_.reset();
    binding_.ReleaseLibrary();
    if (FileName != QLatin1String(kUntitled)) ReOpenPopup->AddHistory(FileName);
    saveWindowState();
    MainEdit->setLexer(nullptr);
}

QString TKestrel::statusText(int panel) const { return panels_[panel]->text(); }

void TKestrel::buildMenus() {
    const auto add = [this](QMenu* menu, const char* caption, auto slot) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        connect(action, &QAction::triggered, this, [this, slot] { runGuarded([this, slot] { (this->*slot)(); }); });
        return action;
    };
    QMenu* script = menuBar()->addMenu(QStringLiteral("&Script"));
    QMenu* newMenu = script->addMenu(QStringLiteral("&New"));
    actNew = add(newMenu, "&Blank", &TKestrel::NewBlank);
    actNewFromDB = add(newMenu, "Create from d&atabase", &TKestrel::CreateFromDatabaseCommand);
    actDiff = add(newMenu, "Create &differential script", &TKestrel::DifferentialScriptCommand);
    actOpen = add(script, "&Open...", &TKestrel::Open);
    actSave = add(script, "&Save", &TKestrel::Save);
    actSaveAs = add(script, "Save &As...", &TKestrel::SaveAs);
    script->addSeparator();
    actCheck = add(script, "&Check syntax", &TKestrel::CheckSyntaxCommand);
    actApply = add(script, "Apply to &database", &TKestrel::ApplyCommand);
    script->addSeparator();
    actPreview = add(script, "Pre&view", &TKestrel::Preview);
    actPrint = add(script, "&Print", &TKestrel::Print);
    actPrinterSetup = add(script, "Printer se&tup", &TKestrel::PrinterSetup);
    script->addSeparator();
    actExit = script->addAction(QStringLiteral("E&xit"), this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    actUndo = edit->addAction(QStringLiteral("&Undo"), MainEdit, &QsciScintilla::undo);
    actRedo = edit->addAction(QStringLiteral("&Redo"), MainEdit, &QsciScintilla::redo);
    edit->addSeparator();
    actCut = edit->addAction(QStringLiteral("Cu&t"), MainEdit, &QsciScintilla::cut);
    actCopy = edit->addAction(QStringLiteral("&Copy"), MainEdit, &QsciScintilla::copy);
    actPaste = edit->addAction(QStringLiteral("&Paste"), MainEdit, &QsciScintilla::paste);
    actSelectAll = edit->addAction(QStringLiteral("Select &All"), MainEdit, [this] { MainEdit->selectAll(); });
    edit->addSeparator();
    actFind = edit->addAction(QStringLiteral("&Find text"), this, [this] {
        if (!findDialog_) findDialog_ = new FindDialog(this);
        findDialog_->show();
        findDialog_->raise();
    });
    actUndo->setShortcut(QKeySequence::Undo);
    actRedo->setShortcut(QKeySequence::Redo);
    actCut->setShortcut(QKeySequence::Cut);
    actCopy->setShortcut(QKeySequence::Copy);
    actPaste->setShortcut(QKeySequence::Paste);
    actSelectAll->setShortcut(QKeySequence::SelectAll);
    actFind->setShortcut(QKeySequence::Find);
    actOpen->setShortcut(QKeySequence::Open);
    actSave->setShortcut(QKeySequence::Save);
    actCheck->setShortcut(Qt::Key_F9);
    for (QAction* a : {actUndo, actRedo, actCut, actCopy, actPaste, actSelectAll, actFind})
        a->setShortcutContext(Qt::WindowShortcut);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    const auto toggle = [this, view](const char* caption, auto apply) {
        QAction* action = view->addAction(QString::fromLatin1(caption));
        action->setCheckable(true);
        action->setChecked(true);
        connect(action, &QAction::toggled, this, apply);
        return action;
    };
    actToolbar = toggle("&Toolbar", [this](bool on) { toolBar_->setVisible(on); });
    actStatusBar = toggle("&Status bar", [this](bool on) { statusBar()->setVisible(on); });
    actGutter = toggle("&Gutter", [this](bool on) { MainEdit->setGutterVisible(on); });
    view->addSeparator();
    actUpgradeInfo = view->addAction(QStringLiteral("&Last database upgrade info"), this,
                                     [this] { upgradeInfo()->showWindow(); });

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    actVerify = add(tools, "&Verify database...", &TKestrel::VerifyDatabaseCommand);
    actRepair = add(tools, "&Repair table...", &TKestrel::RepairTableCommand);

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    actOptions = add(options, "&Edit application options", &TKestrel::EditOptions);

    QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    actHelpContents = helpMenu->addAction(QStringLiteral("&Contents"), this, [this] { ShowHelp(this, QString()); });
    actHelpSearch = helpMenu->addAction(QStringLiteral("&Search for Help On..."), this,
                                    [this] { ShowHelp(this, QString::fromLatin1(help::kIndexAnchor)); });
    actHelpOnHelp = helpMenu->addAction(QStringLiteral("&How to Use Help"), this,
                                    [this] { ShowHelp(this, QString::fromLatin1(help::kUsingAnchor)); });
    helpMenu->addSeparator();
    actAbout = add(helpMenu, "&About...", &TKestrel::ShowAbout);
    // F1 shows the main window's own topic, as the options dialog's F1 shows its one.
    actWindowHelp = new QAction(this);
    actWindowHelp->setShortcut(QKeySequence::HelpContents);
    connect(actWindowHelp, &QAction::triggered, this,
            [this] { ShowHelp(this, HelpContextAnchor(help::kMainWindowContext)); });
    addAction(actWindowHelp);
}

void TKestrel::buildToolBar() {
    toolBar_ = addToolBar(QStringLiteral("Tools"));
    toolBar_->setObjectName(QStringLiteral("toolbar"));
    toolBar_->setMovable(false);
    QStyle* s = style();
    const auto button = [&](QAction* action, QStyle::StandardPixmap icon, const char* hint, RecentList* dropDown = nullptr) {
        action->setIcon(s->standardIcon(icon));
        action->setToolTip(QString::fromLatin1(hint));
        if (!dropDown) {
            toolBar_->addAction(action);
            return;
        }
        auto* tool = new QToolButton(toolBar_);
        tool->setDefaultAction(action);
        tool->setMenu(dropDown->menu());
        tool->setPopupMode(QToolButton::MenuButtonPopup);
        toolBar_->addWidget(tool);
    };
    button(actNew, QStyle::SP_FileIcon, "new blank script");
    button(actNewFromDB, QStyle::SP_DriveHDIcon, "create script from database", ReDBScriptPopup);
    button(actDiff, QStyle::SP_FileDialogContentsView, "create differential script");
    toolBar_->addSeparator();
    button(actOpen, QStyle::SP_DialogOpenButton, "open document", ReOpenPopup);
    button(actSave, QStyle::SP_DialogSaveButton, "save document");
    button(actPrint, QStyle::SP_ComputerIcon, "print document");
    button(actPreview, QStyle::SP_FileDialogInfoView, "preview document");
    toolBar_->addSeparator();
    button(actUndo, QStyle::SP_ArrowBack, "undo changes");
    button(actRedo, QStyle::SP_ArrowForward, "redo");
    button(actCut, QStyle::SP_DialogDiscardButton, "cut");
    button(actCopy, QStyle::SP_FileLinkIcon, "copy to clipboard");
    button(actPaste, QStyle::SP_DialogResetButton, "paste from clipboard");
    button(actFind, QStyle::SP_FileDialogDetailedView, "find text");
    toolBar_->addSeparator();
    button(actCheck, QStyle::SP_DialogApplyButton, "check script syntax");
    button(actApply, QStyle::SP_MediaPlay, "apply script to database", ReapplyPopup);
}

void TKestrel::buildStatusBar() {
    for (QLabel*& panel : panels_) panel = new QLabel(this);
    panels_[0]->setMinimumWidth(90);
    panels_[1]->setAlignment(Qt::AlignCenter);
    panels_[1]->setMinimumWidth(260);
    gauge_ = new QProgressBar(this);
    gauge_->setRange(0, 100);
    gauge_->setMaximumWidth(200);
    btnAbort = new QPushButton(QStringLiteral("Abort"), this);
    connect(btnAbort, &QPushButton::clicked, this, [this] { AbortRequested = true; });
    statusBar()->addPermanentWidget(panels_[0]);
    statusBar()->addPermanentWidget(panels_[1], 1);
    statusBar()->addPermanentWidget(gauge_);
    statusBar()->addPermanentWidget(btnAbort);
}

void TKestrel::buildContextMenu() {
    EditorPopup = new QMenu(this);
    popupApply = EditorPopup->addAction(QStringLiteral("Apply line to database..."), this,
                                        [this] { runGuarded([this] { ApplySelectionCommand(); }); });
    popupHelpOnCommand = EditorPopup->addAction(QStringLiteral("Help on command"), this, &TKestrel::HelpOnCommand);
}

void TKestrel::showContextMenu(const QPoint& globalPosition) {
    PrepareContextMenu();
    EditorPopup->popup(globalPosition);
}

void TKestrel::PrepareContextMenu() {
    if (MainEdit->hasSelectedText()) {
        popupApply->setText(QStringLiteral("Apply selection to database..."));
        popupApply->setEnabled(true);
    } else {
        popupApply->setText(QStringLiteral("Apply line to database..."));
        const QString line = MainEdit->caretLineText().trimmed();
        popupApply->setEnabled(!line.isEmpty() && !line.startsWith(':'));
    }
    HelpKeyword = MainEdit->wordAtCaret();
    popupHelpOnCommand->setEnabled(!HelpKeyword.isEmpty());
}

void TKestrel::loadWindowState() {
    const IniDocument ini = IniDocument::Load(SettingsFilePath());
    ReOpenPopup->LoadHistory(ini, kHistory);
    ReapplyPopup->LoadHistory(ini, kApplyHistory);
    ReDBScriptPopup->LoadHistory(ini, kScriptHistory);
    lastOpenDir_ = QString::fromStdString(ini.text(kOptions, "LASTOPENDIR", lastOpenDir_.toStdString()));
    lastSaveDir_ = QString::fromStdString(ini.text(kOptions, "LASTSAVEDIR", lastSaveDir_.toStdString()));
    actGutter->setChecked(ini.boolean(kOptions, "GUTTER", true));
    actToolbar->setChecked(ini.boolean(kOptions, "TOOLBAR", true));
    actStatusBar->setChecked(ini.boolean(kOptions, "STATUSBAR", true));
}

void TKestrel::saveWindowState() {
    IniDocument ini = IniDocument::Load(SettingsFilePath());
    ReOpenPopup->SaveHistory(ini, kHistory);
    ReapplyPopup->SaveHistory(ini, kApplyHistory);
    ReDBScriptPopup->SaveHistory(ini, kScriptHistory);
    ini.set(kOptions, "LASTOPENDIR", lastOpenDir_.toStdString());
    ini.set(kOptions, "LASTSAVEDIR", lastSaveDir_.toStdString());
    ini.setBoolean(kOptions, "GUTTER", actGutter->isChecked());
    ini.setBoolean(kOptions, "TOOLBAR", actToolbar->isChecked());
    ini.setBoolean(kOptions, "STATUSBAR", actStatusBar->isChecked());
    ini.Save();
}

void TKestrel::ApplySettings() {
    SetScriptCodePage(static_cast<std::uint16_t>(settings_.scriptCodePage));
    MainEdit->setLexer(nullptr);
    screenHighlighter_.reset();
    printHighlighter_.reset();
    libraryInfo_ = nullptr;
    binding_.ReleaseLibrary();
    std::error_code ec;
    const std::string& dir = settings_.libraryDirectory;
    if (dir.empty() || std::filesystem::is_directory(dir, ec)) {
        try {
            libraryInfo_ = binding_.OpenLibraryInfo(dir);
        } catch (const std::exception&) {
            // Reported by the first command that needs the library.
        }
    }
    if (settings_.colorSyntax) {
        const KeywordTable keywords = KeywordTable::Build(libraryInfo_);
        screenHighlighter_ = std::make_unique<TVORTABHighlighter>(settings_, settings_.colors, keywords);
        printHighlighter_ = std::make_unique<TVORTABHighlighter>(settings_, settings_.colors, keywords, LexerUse::Print);
    }
    MainEdit->applySettings(settings_, screenHighlighter_.get());
    MainEdit->setIdentifiers(libraryInfo_);
}

void TKestrel::EditOptions() {
    if (!ui::EditOptions(this, settings_, libraryInfo_)) return;
    SaveSettings(settings_);
    ApplySettings();
    UpdateStatusBar();
}

TfrmUpgrInfo* TKestrel::upgradeInfo() {
    if (!upgradeInfo_) upgradeInfo_ = new TfrmUpgrInfo(this);
    upgradeInfo_->setEditorFontName(QString::fromStdString(settings_.fontName));
    return upgradeInfo_;
}

TFrmSelDatabase* TKestrel::databaseSelection() {
    if (!selection_) selection_ = std::make_unique<TFrmSelDatabase>(SettingsFilePath(), settings_.driverName, this);
    return selection_.get();
}

bool TKestrel::selectDatabase(const QString& caption, bool hideTable, const QString& compareTable, QString& table,
                              QString& database) {
    return databaseSelection()->SelectDatabase(caption, hideTable, compareTable, table, database);
}

void TKestrel::closeEvent(QCloseEvent* event) {
    if (QuerySaveChanges()) event->accept();
    else event->ignore();
}

void TKestrel::runGuarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const dbinfo::SilentAbort&) {
    } catch (const std::exception& e) {
        EndProgress();
        QMessageBox::critical(this, ApplicationTitle(), QString::fromStdString(e.what()));
    }
    EndProgress();
}

void TKestrel::UpdateCommandStates() {
    actUndo->setEnabled(MainEdit->isUndoAvailable());
    actRedo->setEnabled(MainEdit->isRedoAvailable());
    actPaste->setEnabled(!QApplication::clipboard()->text().isEmpty());
    const bool hasLines = MainEdit->hasLines();
    actApply->setEnabled(hasLines);
    actCheck->setEnabled(hasLines);
    actUpgradeInfo->setEnabled(upgradeInfo_ != nullptr);
}

// Progress of long operations.

void TKestrel::StartProgress(const std::string& caption, int total) {
    EndProgress();
    progressTotal_ = total;
    progressCaption_ = QString::fromStdString(caption);
    panels_[1]->setText(progressCaption_);
    gauge_->setValue(0);
    gauge_->setTextVisible(true);
    gauge_->show();
    btnAbort->show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QCoreApplication::processEvents();
}

void TKestrel::StepProgress() {
    if (AbortRequested && !printing_) throw dbinfo::SilentAbort();
    ++progressCount_;
    gauge_->setValue(gaugeValue());
    QCoreApplication::processEvents();
}

int TKestrel::gaugeValue() const {
    if (progressTotal_ <= 0 || progressCount_ > progressTotal_) return 100;
    return static_cast<int>(std::lround(progressCount_ * 100.0 / progressTotal_));
}

void TKestrel::EndProgress() {
    btnAbort->hide();
    progressCaption_.clear();
    gauge_->hide();
    progressTotal_ = progressCount_ = 0;
    AbortRequested = false;
    formatting_ = false;
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    UpdateStatusBar();
}

void TKestrel::SetModified(bool modified) {
    MainEdit->setModified(modified);
    UpdateStatusBar();
}

void TKestrel::UpdateStatusBar() {
    panels_[0]->setText(MainEdit->isModified() ? QStringLiteral(" Modified") : QString());
    if (formatting_) panels_[1]->setText(QStringLiteral("Formatting..."));
    else if (!progressCaption_.isEmpty()) panels_[1]->setText(progressCaption_);
    else panels_[1]->setText(QStringLiteral("Driver:   ") + QString::fromStdString(settings_.driverName));
}

void TKestrel::ShowAbout() { ShowAboutBox(this, binding_, libraryInfo_); }

void TKestrel::HelpOnCommand() {
    if (!HelpKeyword.isEmpty()) ShowHelp(this, HelpAnchorForWord(HelpKeyword, libraryInfo_));
}

}  // namespace vortab::ui
