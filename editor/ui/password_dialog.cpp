#include "editor/ui/password_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/ui/ui_thread.h"
#include "shared/text/cp1252.h"

namespace vortab::ui {
namespace {

// Keeps the arrow cursor up while the prompt shows, also when an error passes.
struct ArrowCursor {
    ArrowCursor() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~ArrowCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

TFormPswd::TFormPswd(const QString& table, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Enter master password"));
    Label1 = new QLabel(QStringLiteral("Table %1 is password protected").arg(table), this);
    Edit1 = new QLineEdit(this);
    Edit1->setEchoMode(QLineEdit::Password);
    Edit1->setMaxLength(kMaxPasswordLength);
    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    btnAbort = buttons->addButton(QStringLiteral("A&bort"), QDialogButtonBox::RejectRole);
    btnOK->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addWidget(buttons);
}

std::optional<std::string> AskTablePassword(const std::string& table) {
    std::optional<std::string> password;
    RunOnInterfaceThread([&] {
        ArrowCursor cursor;
        TFormPswd dialog(QString::fromStdString(Cp1252ToUtf8(table)), QApplication::activeWindow());
        if (dialog.exec() != QDialog::Accepted) return;
        const std::string text = Utf8ToCp1252(dialog.Edit1->text().toStdString());
        if (!text.empty() && text.size() <= kMaxPasswordLength) password = text;
    });
    return password;
}

}  // namespace vortab::ui
