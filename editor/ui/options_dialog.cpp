#include "editor/ui/options_dialog.h"

#include <algorithm>
#include <map>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

#include "editor/help/help_anchors.h"
#include "editor/ui/color_page.h"
#include "editor/ui/help.h"
#include "shared/text/code_pages.h"

namespace vortab::ui {
namespace {

// A font list that always holds the configured name, so a font missing here is kept as set.
QComboBox* FontList(const std::string& current, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->addItems(QFontDatabase::families());
    const QString name = QString::fromStdString(current);
    if (box->findText(name) < 0) box->insertItem(0, name);
    box->setCurrentIndex(box->findText(name));
    return box;
}

// The font size text as a size from 7 to 30, or 0.
int FontSize(const QString& text) {
    bool ok = false;
    const int size = text.trimmed().toInt(&ok);
    return ok && size >= kMinFontSize && size <= kMaxFontSize ? size : 0;
}

QString CodePageTitle(std::uint16_t page) {
    static const std::map<std::uint16_t, const char*> scripts = {
        {437, "United States, DOS"}, {737, "Greek, DOS"},     {850, "Western European, DOS"},
        {852, "Central European, DOS"}, {857, "Turkish, DOS"}, {861, "Icelandic, DOS"},
        {862, "Hebrew, DOS"},        {865, "Nordic, DOS"},     {866, "Cyrillic, DOS"},
        {1250, "Central European"},  {1251, "Cyrillic"},       {1252, "Western European"},
        {1253, "Greek"},             {1254, "Turkish"},        {1257, "Baltic"}};
    const auto it = scripts.find(page);
    return it == scripts.end() ? QString::number(page) : QStringLiteral("%1 (%2)").arg(page).arg(QString::fromLatin1(it->second));
}

// Every code page with a table of its own, the chosen one current.
QComboBox* CodePageList(int current, QWidget* parent) {
    auto* box = new QComboBox(parent);
    for (const std::uint16_t page : KnownCodePages()) box->addItem(CodePageTitle(page), page);
    box->setCurrentIndex(std::max(0, box->findData(current)));
    return box;
}

}  // namespace

TfrmOptions::TfrmOptions(const EditorSettings& settings, const LibraryInfo* info, QWidget* parent)
    : QDialog(parent), settings_(settings), info_(info) {
    setWindowTitle(QStringLiteral("Options"));
    pages = new QTabWidget(this);
    auto* preferences = new QWidget(pages);
    cbFont = FontList(settings.fontName, preferences);
    cbAltFont = FontList(settings.altFontName, preferences);
    edFontSize = new QLineEdit(QString::number(settings.fontSize), preferences);
    edFontSize->setMaximumWidth(60);
    edLibraryDirectory = new QLineEdit(QString::fromStdString(settings.libraryDirectory), preferences);
    btnBrowse = new QPushButton(QStringLiteral("&Browse"), preferences);
    btnBrowse->setAutoDefault(false);
    cbInvariant = new QCheckBox(QStringLiteral("&Use invariant field numbers"), preferences);
    cbIgnoreCase = new QCheckBox(QStringLiteral("&Ignore case in object names"), preferences);
    cbSyntaxPrint = new QCheckBox(QStringLiteral("Synta&x print"), preferences);
    cbColorPrint = new QCheckBox(QStringLiteral("&Color print"), preferences);
    cbInvariant->setChecked(settings.diffInvariant);
    cbIgnoreCase->setChecked(settings.diffIgnoreCase);
    cbSyntaxPrint->setChecked(settings.syntaxPrint);
    cbColorPrint->setChecked(settings.colorPrint);
    cbCodePage = CodePageList(settings.scriptCodePage, preferences);
    cbCodePage->setToolTip(QStringLiteral("The code page of script files and of the table texts in generated scripts"));

    auto* directory = new QHBoxLayout;
    directory->addWidget(edLibraryDirectory, 1);
    directory->addWidget(btnBrowse);
    auto* form = new QFormLayout(preferences);
    form->addRow(QStringLiteral("&Font"), cbFont);
    form->addRow(QStringLiteral("&Alternate font"), cbAltFont);
    form->addRow(QStringLiteral("Font &size"), edFontSize);
    auto* directoryLabel = new QLabel(QStringLiteral("VORTAB.DLL di&rectory"), preferences);
    directoryLabel->setBuddy(edLibraryDirectory);
    form->addRow(directoryLabel, directory);
    auto* codePageLabel = new QLabel(QStringLiteral("Script code &page"), preferences);
    codePageLabel->setBuddy(cbCodePage);
    form->addRow(codePageLabel, cbCodePage);
    form->addRow(cbInvariant);
    form->addRow(cbIgnoreCase);
    form->addRow(cbSyntaxPrint);
    form->addRow(cbColorPrint);
    pages->addTab(preferences, QStringLiteral("Preferences"));
    colorHost_ = new QWidget(pages);
    new QVBoxLayout(colorHost_);
    pages->addTab(colorHost_, QStringLiteral("Color syntax"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    buttons->button(QDialogButtonBox::Help)->setText(QStringLiteral("&Help"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TfrmOptions::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    const auto showHelp = [this] { ShowHelp(this, HelpContextAnchor(help::kOptionsContext)); };
    connect(buttons, &QDialogButtonBox::helpRequested, this, showHelp);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this, showHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addWidget(buttons);

    connect(cbSyntaxPrint, &QCheckBox::toggled, this, [this](bool on) {
        if (!on) cbColorPrint->setChecked(false);
    });
    connect(btnBrowse, &QPushButton::clicked, this, &TfrmOptions::browseLibrary);
    connect(pages, &QTabWidget::currentChanged, this, &TfrmOptions::pageChanged);
    resize(700, 560);
}

void TfrmOptions::showColorPage() { pages->setCurrentWidget(colorHost_); }

void TfrmOptions::pageChanged(int index) {
    if (pages->widget(index) != colorHost_) return;
    if (!colors_) {
        colors_ = new TFrmColors(settings_, KeywordTable::Build(info_), colorHost_);
        colorHost_->layout()->addWidget(colors_);
    }
    const int size = FontSize(edFontSize->text());
    colors_->setFonts(cbFont->currentText(), cbAltFont->currentText(), size ? size : settings_.fontSize);
}

void TfrmOptions::browseLibrary() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Select dll"), edLibraryDirectory->text(),
                                                      QStringLiteral("Libraries (libvortab.so *.so);;All files (*)"));
    if (!path.isEmpty() && QFileInfo(path).exists()) edLibraryDirectory->setText(QFileInfo(path).absolutePath());
}

void TfrmOptions::accept() {
    if (!FontSize(edFontSize->text())) {
        QMessageBox::critical(this, windowTitle(), QString::fromLatin1(kFontSizeMessage));
        edFontSize->setFocus();
        return;
    }
    QDialog::accept();
}

void TfrmOptions::copyBack(EditorSettings& s) const {
    s.fontSize = FontSize(edFontSize->text());
    s.fontName = cbFont->currentText().toStdString();
    s.altFontName = cbAltFont->currentText().toStdString();
    s.libraryDirectory = edLibraryDirectory->text().toStdString();
    s.diffInvariant = cbInvariant->isChecked();
    s.diffIgnoreCase = cbIgnoreCase->isChecked();
    s.syntaxPrint = cbSyntaxPrint->isChecked();
    s.colorPrint = cbColorPrint->isChecked();
    s.scriptCodePage = cbCodePage->currentData().toInt();
    if (colors_) {
        s.colorSyntax = colors_->useSyntaxHighlighting();
        s.colors = colors_->colors();
    }
}

bool EditOptions(QWidget* parent, EditorSettings& settings, const LibraryInfo* info) {
    TfrmOptions dialog(settings, info, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    dialog.copyBack(settings);
    return true;
}

}  // namespace vortab::ui
