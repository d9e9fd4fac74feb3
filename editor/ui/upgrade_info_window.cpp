#include "editor/ui/upgrade_info_window.h"

#include <QApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <cmath>
#include <fstream>

#include "editor/runner/status_messages.h"
#include "editor/ui/ui_thread.h"
#include "editor/ui/script_file.h"
#include "shared/text/cp1252.h"

namespace vortab::ui {
namespace {

QString FromCp1252(const std::string& text) { return QString::fromStdString(Cp1252ToUtf8(text)); }

QString NowText() {
    const QDateTime now = QDateTime::currentDateTime();
    return QLocale::system().toString(now.date(), QLocale::ShortFormat) + ' ' + now.time().toString("HH:mm:ss");
}

}  // namespace

TfrmUpgrInfo::TfrmUpgrInfo(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("database upgrade information"));
    setModal(false);
    Label1 = new QLabel(this);
    btnAbort = new QPushButton(QStringLiteral("Close"), this);
    btnAbort->setAutoDefault(false);
    Gauge = new QProgressBar(this);
    Gauge->setRange(0, 100);
    Gauge->hide();
    btnSave = new QPushButton(QStringLiteral("&Save output to file..."), this);
    btnSave->setAutoDefault(false);
    ListBox1 = new QListWidget(this);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    auto* top = new QHBoxLayout;
    top->addWidget(Label1, 1);
    top->addWidget(Gauge, 1);
    top->addWidget(btnSave);
    top->addWidget(btnAbort);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(ListBox1, 1);
    resize(640, 360);

    connect(btnAbort, &QPushButton::clicked, this, &TfrmUpgrInfo::abortPressed);
    connect(btnSave, &QPushButton::clicked, this, &TfrmUpgrInfo::savePressed);
}

void TfrmUpgrInfo::showWindow() {
    if (isMinimized()) showNormal();
    if (!isVisible() && QApplication::primaryScreen()) {
        const QRect screen = QApplication::primaryScreen()->availableGeometry();
        move(screen.center() - rect().center());
    }
    show();
    raise();
    activateWindow();
}

void TfrmUpgrInfo::StartUpgrade(const QString& database) {
    aborted_ = false;
    running_ = true;
    ListBox1->clear();
    Label1->setText(QStringLiteral("Performing database upgrade. Please wait."));
    btnAbort->setText(QStringLiteral("Abort"));
    btnSave->hide();
    Gauge->setValue(0);
    Gauge->show();
    setWindowTitle(database + QStringLiteral(" - upgrade information"));
    showWindow();
}

void TfrmUpgrInfo::FinishUpgrade() {
    running_ = false;
    btnAbort->setText(QStringLiteral("Close"));
    Gauge->hide();
    btnSave->setVisible(ListBox1->count() > 0);
}

void TfrmUpgrInfo::AddOutputLine(const QString& text) {
    ListBox1->addItem(text);
    ListBox1->setCurrentRow(ListBox1->count() - 1);
    ListBox1->scrollToItem(ListBox1->currentItem());
    QCoreApplication::processEvents();
}

int TfrmUpgrInfo::OutputCount() const { return ListBox1->count(); }

// Escape and the close box do nothing while a run is going; afterwards they hide the window.
void TfrmUpgrInfo::reject() {
    if (!running_) hide();
}

void TfrmUpgrInfo::abortPressed() {
    if (running_) {
        aborted_ = true;
        FinishUpgrade();
    } else {
        hide();
    }
}

void TfrmUpgrInfo::savePressed() {
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Use log file"), QStringLiteral("vortab.log"),
        QStringLiteral("Log file (*.log);;Text files (*.txt);;All files (*)"));
    if (path.isEmpty()) return;
    if (!SaveOutput(path))
        QMessageBox::critical(this, windowTitle(), QStringLiteral("Cannot write %1").arg(path));
}

bool TfrmUpgrInfo::SaveOutput(const QString& path) const {
    std::ofstream out(path.toStdString(), std::ios::binary | std::ios::trunc);
    for (int i = 0; i < ListBox1->count(); ++i)
        out << ToScriptBytes(ListBox1->item(i)->text()) << "\r\n";
    out.flush();
    return static_cast<bool>(out);
}

bool TfrmUpgrInfo::UpgradeProgress(ProgressRecord& r) {
    if (ListBox1->count() == 0) {
        if (!editorFontName_.isEmpty()) {
            QFont font = ListBox1->font();
            font.setFamily(editorFontName_);
            ListBox1->setFont(font);
        }
        if (r.LineNo > 1) AddOutputLine(QStringLiteral("Lines #1 thru #%1 were skipped").arg(r.LineNo - 1));
    }
    if (r.Before)
        AddOutputLine(QStringLiteral("#%1 - %2: %3").arg(r.LineNo).arg(NowText(), FromScriptBytes(r.Line)));
    else
        AddOutputLine(FromScriptBytes(r.Message));
    if (r.ToApply > 0) Gauge->setValue(static_cast<int>(std::lround(r.Executed * 100.0 / r.ToApply)));
    if (aborted_ && r.Status <= 0) r.Status = status::kStoppedByUser;
    if (r.Status == status::kStoppedByUser)
        QMessageBox::information(this, windowTitle(), QStringLiteral("Operation aborted by user"));
    else if (r.Status > 0)
        QMessageBox::critical(this, windowTitle(),
                              FromCp1252(StatusMessage(r.Status)) + QStringLiteral(" \nline ") + FromScriptBytes(r.Line));
    QCoreApplication::processEvents();
    return !aborted_;
}

ProgressCallback ProgressOnInterfaceThread(TfrmUpgrInfo* window) {
    return [window](ProgressRecord& record) {
        bool goOn = false;
        RunOnInterfaceThread([&] { goOn = window->UpgradeProgress(record); });
        return goOn;
    };
}

}  // namespace vortab::ui
