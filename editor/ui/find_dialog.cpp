#include "editor/ui/find_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

#include "editor/ui/main_window.h"

namespace vortab::ui {

FindDialog::FindDialog(TKestrel* window) : QDialog(window), window_(window) {
    setWindowTitle(QStringLiteral("Find"));
    findText = new QLineEdit(this);
    matchCase = new QCheckBox(QStringLiteral("Match &case"), this);
    wholeWord = new QCheckBox(QStringLiteral("Match &whole word only"), this);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* next = buttons->addButton(QStringLiteral("&Find Next"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    next->setDefault(true);
    connect(next, &QPushButton::clicked, this, &FindDialog::findNext);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Fi&nd what:"), findText);
    form->addRow(matchCase);
    form->addRow(wholeWord);
    form->addRow(buttons);
}

void FindDialog::findNext() {
    if (!findText->text().isEmpty()) window_->FindText(findText->text(), matchCase->isChecked(), wholeWord->isChecked());
}

}  // namespace vortab::ui
