#include "editor/ui/select_database_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include "editor/ui/ini_document.h"
#include "editor/ui/script_file.h"
#include "paradox/api/database.h"
#include "paradox/api/session.h"
#include "shared/driver_kind.h"
#include "shared/text/case_fold.h"
#include "shared/text/cp1252.h"

namespace vortab::ui {
namespace {

constexpr const char* kSection = "DBPATHS";
const QColor kUpdatedColor(240, 202, 166);  // the colour value 10930928

std::string Std(const QString& s) { return s.toStdString(); }
QString ToQ(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TFrmSelDatabase::TFrmSelDatabase(std::string iniPath, std::string driver, QWidget* parent)
    : QDialog(parent), iniPath_(std::move(iniPath)), driver_(std::move(driver)) {
    setWindowTitle(QStringLiteral("Select database/table"));
    RadioAlias = new QGroupBox(QStringLiteral("&Select database"), this);
    byAlias = new QRadioButton(QStringLiteral("By alias"), RadioAlias);
    byDirectory = new QRadioButton(QStringLiteral("By directory"), RadioAlias);
    auto* radios = new QVBoxLayout(RadioAlias);
    radios->addWidget(byAlias);
    radios->addWidget(byDirectory);
    byAlias->setChecked(true);

    AliasCombo = new QComboBox(this);
    DirectoryCombo = new QComboBox(this);
    DirectoryCombo->setEditable(true);
    DirectoryCombo->setInsertPolicy(QComboBox::NoInsert);
    DirectoryCombo->setMinimumContentsLength(40);
    ButtonBrowse = new QPushButton(QStringLiteral("&Browse"), this);
    ButtonBrowse->setAutoDefault(false);
    tableCombo = new QComboBox(this);
    Label3 = new QLabel(QStringLiteral("S&elect table to process"), this);
    Label3->setBuddy(tableCombo);
    auto* aliasLabel = new QLabel(QStringLiteral("Select &alias"), this);
    aliasLabel->setBuddy(AliasCombo);
    auto* dirLabel = new QLabel(QStringLiteral("Select &directory"), this);
    dirLabel->setBuddy(DirectoryCombo);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton = buttons->button(QDialogButtonBox::Ok);
    okButton->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &TFrmSelDatabase::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout;
    grid->addWidget(aliasLabel, 0, 0);
    grid->addWidget(AliasCombo, 0, 1, 1, 2);
    grid->addWidget(dirLabel, 1, 0);
    grid->addWidget(DirectoryCombo, 1, 1);
    grid->addWidget(ButtonBrowse, 1, 2);
    grid->addWidget(Label3, 2, 0);
    grid->addWidget(tableCombo, 2, 1, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RadioAlias);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    FillAliasList();
    LoadHistory();
    updateEnabling();

    connect(byAlias, &QRadioButton::toggled, this, [this] {
        updateEnabling();
        refillTables();
    });
    connect(AliasCombo, &QComboBox::currentTextChanged, this, &TFrmSelDatabase::refillTables);
    connect(DirectoryCombo, &QComboBox::editTextChanged, this, &TFrmSelDatabase::refillTables);
    connect(ButtonBrowse, &QPushButton::clicked, this, &TFrmSelDatabase::browse);
    tableCombo->installEventFilter(this);
}

// Entering an empty table list fills it (the database may have gained tables meanwhile).
bool TFrmSelDatabase::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tableCombo && event->type() == QEvent::FocusIn && tableCombo->count() == 0) refillTables();
    return QDialog::eventFilter(watched, event);
}

TFrmSelDatabase::~TFrmSelDatabase() { SaveHistory(); }

void TFrmSelDatabase::FillAliasList() {
    AliasCombo->clear();
    try {
        for (const paradox::api::Alias& alias : paradox::api::ListAliases())
            if (vortab::SameNameNoCase(alias.type, "STANDARD")) AliasCombo->addItem(ToQ(alias.name));
    } catch (...) {
        // An unreadable aliases file offers no aliases.
    }
    const bool any = AliasCombo->count() > 0;
    AliasCombo->setEnabled(any);
    RadioAlias->setEnabled(any);
    if (any) AliasCombo->setCurrentIndex(0);
    else byDirectory->setChecked(true);
}

void TFrmSelDatabase::LoadHistory() {
    const IniDocument ini = IniDocument::Load(iniPath_);
    for (int i = 1;; ++i) {
        const std::string path = ini.text(kSection, "P" + std::to_string(i), "");
        if (path.empty()) break;
        DirectoryCombo->addItem(ToQ(path));
    }
    DirectoryCombo->setEditText(ToQ(ini.text(kSection, "PATH", "")));
    const int alias = AliasCombo->findText(ToQ(ini.text(kSection, "ALIAS", "")));
    if (alias >= 0) AliasCombo->setCurrentIndex(alias);
    if (RadioAlias->isEnabled()) (ini.integer(kSection, "SELECTION", 0) == 1 ? byDirectory : byAlias)->setChecked(true);
    historyLoaded_ = true;
}

void TFrmSelDatabase::SaveHistory() const {
    if (!historyLoaded_) return;
    IniDocument ini = IniDocument::Load(iniPath_);
    ini.eraseSection(kSection);
    for (int i = 0; i < DirectoryCombo->count() && i < kDirectoryHistoryLimit; ++i)
        ini.set(kSection, "P" + std::to_string(i + 1), Std(DirectoryCombo->itemText(i)));
    ini.set(kSection, "PATH", Std(DirectoryCombo->currentText()));
    if (!AliasCombo->currentText().isEmpty()) ini.set(kSection, "ALIAS", Std(AliasCombo->currentText()));
    ini.setInteger(kSection, "SELECTION", byDirectory->isChecked() ? 1 : 0);
    ini.Save();
}

void TFrmSelDatabase::updateEnabling() {
    const bool alias = byAlias->isChecked();
    AliasCombo->setEnabled(alias && AliasCombo->count() > 0);
    DirectoryCombo->setEnabled(!alias);
    ButtonBrowse->setEnabled(!alias);
}

QString TFrmSelDatabase::GetSelectedDatabase() const {
    QString database;
    if (byAlias->isChecked()) {
        database = AliasCombo->currentText();
    } else {
        database = DirectoryCombo->currentText();
        if (!QFileInfo(database).isDir()) database.clear();
    }
    if (database.isEmpty()) throw std::runtime_error("you must enter valid database");
    return database;
}

QString TFrmSelDatabase::databaseDirectory(const QString& database) const {
    if (!byAlias->isChecked()) return database;
    const std::optional<paradox::api::Alias> alias = paradox::api::FindAlias(Std(database));
    return alias ? ToQ(alias->path) : database;
}

void TFrmSelDatabase::FillTableList(const QString& database) {
    if (tableHidden_ || tableCombo->count() > 0) return;
    const std::string pattern = "*." + DefaultExtension(driver_, false);
    const std::string directory = Std(databaseDirectory(database));
    paradox::api::RecoverDirectory(directory);  // no table listed under two names
    const std::vector<std::string> names = paradox::api::ListTables(directory, pattern);
    if (names.empty()) return;
    // Names come in Windows-1252 (and are taken back so); a file name that page cannot hold is
    // listed in the UTF-8 it has on disk.
    for (const std::string& name : names) tableCombo->addItem(IsUtf8Beyond1252(name) ? ToQ(name) : FromLibraryText(name));
    if (!compareTable_.isEmpty()) {
        tableCombo->setCurrentIndex(0);
        for (int i = 0; i < tableCombo->count(); ++i)
            if (tableCombo->itemText(i).compare(compareTable_, Qt::CaseInsensitive) == 0) {
                tableCombo->setCurrentIndex(i);
                break;
            }
    } else {
        tableCombo->insertItem(0, QString::fromLatin1(kAllTables));
        tableCombo->setCurrentIndex(0);
    }
}

// Listing failures (no such directory, unreadable files) leave the list empty while the dialog
// is open; only OK checks the choice.
void TFrmSelDatabase::refillTables() {
    tableCombo->clear();
    try {
        FillTableList(GetSelectedDatabase());
    } catch (...) {
    }
}

void TFrmSelDatabase::browse() {
    QString start = DirectoryCombo->currentText();
    if (start.isEmpty()) start = QDir::currentPath();
    const QString dir = QFileDialog::getExistingDirectory(this, QStringLiteral("Select database"), start);
    if (dir.isEmpty()) return;
    DirectoryCombo->setEditText(dir);
    refillTables();
}

bool TFrmSelDatabase::SelectDatabase(const QString& caption, bool hideTable, const QString& compareTable,
                                     QString& table, QString& database) {
    setWindowTitle(caption);
    compareTable_ = compareTable;
    QPalette palette = QApplication::palette(this);
    if (caption.contains(QStringLiteral("updated"))) palette.setColor(QPalette::Window, kUpdatedColor);
    setPalette(palette);
    setAutoFillBackground(true);
    tableHidden_ = hideTable;
    Label3->setVisible(!hideTable);
    tableCombo->setVisible(!hideTable);
    refillTables();
    adjustSize();
    if (QApplication::primaryScreen())
        move(QApplication::primaryScreen()->availableGeometry().center() - rect().center());
    if (exec() != QDialog::Accepted) return false;
    database = GetSelectedDatabase();
    table = tableCombo->currentText();
    if (table == QLatin1String(kAllTables)) table.clear();
    return true;
}

void TFrmSelDatabase::accept() {
    try {
        GetSelectedDatabase();
    } catch (const std::exception& e) {
        QMessageBox::critical(this, windowTitle(), QString::fromStdString(e.what()));
        return;
    }
    const QString table = tableCombo->currentText();
    if (!compareTable_.isEmpty() && (table.isEmpty() || table == QLatin1String(kAllTables))) {
        QMessageBox::critical(this, windowTitle(), QStringLiteral("You must select table for comparison"));
        return;
    }
    // The directory just used goes to the top of the history, most recent first.
    const QString dir = DirectoryCombo->currentText();
    if (!dir.isEmpty()) {
        const int known = DirectoryCombo->findText(dir);
        if (known != 0) {
            if (known > 0) DirectoryCombo->removeItem(known);
            DirectoryCombo->insertItem(0, dir);
            DirectoryCombo->setEditText(dir);
        }
    }
    SaveHistory();
    QDialog::accept();
}

}  // namespace vortab::ui
