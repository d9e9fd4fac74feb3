#include "editor/ui/main_window.h"

#include <QMenuBar>
#include <QStatusBar>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "editor/ui/options_dialog.h"
#include "editor/ui/script_editor.h"
#include "editor/ui/select_database_dialog.h"
#include "editor/ui/upgrade_info_window.h"
#include "shared/cp1252.h"

namespace vortab::ui {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("vortedit"));
    editor_ = new ScriptEditor(this);
    setCentralWidget(editor_);
    LoadSettings(settings_);
    SaveSettings(settings_);
    buildMenus();
    statusBar();
    applyOptions();
    resize(800, 560);
}

MainWindow::~MainWindow() {
    editor_->setLexer(nullptr);
    binding_.ReleaseLibrary();
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->addAction(QStringLiteral("&Options..."), this, &MainWindow::editOptions);
    tools->addAction(QStringLiteral("&Last database upgrade info"), this, [this] { upgradeInfo()->showWindow(); });
}

void MainWindow::applyOptions() {
    editor_->setLexer(nullptr);
    lexer_.reset();
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
    if (settings_.colorSyntax)
        lexer_ = std::make_unique<TVORTABHighlighter>(settings_, settings_.colors, KeywordTable::Build(libraryInfo_));
    editor_->applySettings(settings_, lexer_.get());
    statusBar()->showMessage(libraryInfo_ ? QStringLiteral("Library loaded")
                                          : QStringLiteral("Library not loaded"));
}

void MainWindow::editOptions() {
    if (!EditOptions(this, settings_, libraryInfo_)) return;
    SaveSettings(settings_);
    applyOptions();
}

TfrmUpgrInfo* MainWindow::upgradeInfo() {
    if (!upgradeInfo_) upgradeInfo_ = new TfrmUpgrInfo(this);
    upgradeInfo_->setEditorFontName(QString::fromStdString(settings_.fontName));
    return upgradeInfo_;
}

TFrmSelDatabase* MainWindow::databaseSelection() {
    if (!selection_) selection_ = std::make_unique<TFrmSelDatabase>(SettingsFilePath(), settings_.driverName, this);
    return selection_.get();
}

}  // namespace vortab::ui

namespace vortab::ui {

bool MainWindow::openScript(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    editor_->setText(QString::fromStdString(Cp1252ToUtf8(text.str())));
    setWindowTitle(path + QStringLiteral(" - vortedit"));
    return true;
}

}  // namespace vortab::ui
