// The main window's file commands: the current file name and the recent-files list, asking to
// save changes, new, open, save and save as.
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QFileInfo>
#include <QMessageBox>

#include "editor/ui/main_window.h"
#include "editor/ui/program_version.h"
#include "editor/ui/recent_list.h"
#include "editor/ui/script_editor.h"
#include "editor/ui/script_file.h"

namespace vortab::ui {
namespace {

const QString kScriptFilter = QStringLiteral("Text Files (*.TXT *.txt);;All files (*)");

// Qt's own file dialog has no read-only choice; the box goes below its file type row.
QCheckBox* AddReadOnlyBox(QFileDialog& dialog) {
    auto* box = new QCheckBox(QStringLiteral("Open as &read-only"), &dialog);
    box->setObjectName(QStringLiteral("readOnly"));
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) grid->addWidget(box, grid->rowCount(), 0, 1, -1);
    else if (dialog.layout()) dialog.layout()->addWidget(box);
    return box;
}

}  // namespace

void TKestrel::SetFileName(const QString& name) {
    if (!FileName.isEmpty() && FileName != QLatin1String(kUntitled)) ReOpenPopup->AddHistory(FileName);
    FileName = name;
    if (name != QLatin1String(kUntitled)) ReOpenPopup->AddHistory(name, true);
    setWindowTitle(QStringLiteral("%1 - %2").arg(QFileInfo(name).fileName(), ApplicationTitle()));
}

bool TKestrel::QuerySaveChanges() {
    if (!MainEdit->isModified()) return true;
    const auto answer = QMessageBox::question(this, ApplicationTitle(), QStringLiteral("Save changes to %1?").arg(FileName),
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel || answer == QMessageBox::Escape) return false;
    if (answer == QMessageBox::Yes) return Save();
    return true;
}

void TKestrel::NewBlank() {
    if (!QuerySaveChanges()) return;
    SetFileName(QString::fromLatin1(kUntitled));
    MainEdit->clear();
    MainEdit->setReadOnly(false);
    SetModified(false);
}

void TKestrel::Open() {
    if (!QuerySaveChanges()) return;
    QFileDialog dialog(this, QStringLiteral("Open"), lastOpenDir_, kScriptFilter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    QCheckBox* readOnly = AddReadOnlyBox(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString path = dialog.selectedFiles().first();
    lastOpenDir_ = QFileInfo(path).absolutePath();
    OpenFile(path, readOnly->isChecked());
}

bool TKestrel::OpenFile(const QString& path, bool readOnly) {
    const QString text = ReadScriptFile(path);
    MainEdit->setReadOnly(false);
    MainEdit->setText(text);
    SetFileName(QFileInfo(path).absoluteFilePath());
    MainEdit->setFocus();
    SetModified(false);
    MainEdit->setReadOnly(readOnly);
    return true;
}

bool TKestrel::Save() {
    if (FileName == QLatin1String(kUntitled)) return SaveAs();
    WriteScriptFile(FileName, MainEdit->scriptLines());
    SetModified(false);
    return true;
}

bool TKestrel::SaveAs() {
    QFileDialog dialog(this, QStringLiteral("Save As"), lastSaveDir_, kScriptFilter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The overwrite question is asked below, with Cancel as in the rest of the program.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    const QString path = dialog.selectedFiles().first();
    if (QFileInfo::exists(path) &&
        QMessageBox::question(this, ApplicationTitle(), QStringLiteral("OK to overwrite %1").arg(path),
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) != QMessageBox::Yes)
        return false;
    return SaveTo(path);
}

bool TKestrel::SaveTo(const QString& path) {
    lastSaveDir_ = QFileInfo(path).absolutePath();
    WriteScriptFile(path, MainEdit->scriptLines());
    SetFileName(QFileInfo(path).absoluteFilePath());
    SetModified(false);
    return true;
}

}  // namespace vortab::ui
