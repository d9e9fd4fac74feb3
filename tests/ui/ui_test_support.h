// Helpers of the widget suites: a scratch directory, and answering modal dialogs that a
// function under test opens and waits for. Dialogs are answered from their Show event, queued
// into the dialog's own event loop, so an answer never depends on a timer or on the focus.
#pragma once
#include <QDialog>
#include <QList>
#include <QMessageBox>
#include <QWidget>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

namespace vortab::ui::test {

// While it lives, answers every message box that shows and keeps their texts. A box that has
// one of the answers is closed by clicking it (the first found), others without a button.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(QList<QMessageBox::StandardButton> answers = {});
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    void answer(QMessageBox* box);
    QStringList texts;
    std::function<void(QMessageBox*)> beforeAnswer;  // sees each box before it is answered

private:
    QList<QMessageBox::StandardButton> answers_;
};

// Calls handle with the next modal dialog (not a message box) that shows, once its event loop
// runs. Answers queue up: the first registered takes the first dialog. A dialog that is still
// open after its handler, or a modal dialog nobody waits for, is rejected with a warning, so a
// test that goes wrong fails instead of hanging.
void OnNextModal(const std::function<void(QDialog*)>& handle);

// Answers a file dialog with path (absolute) and accepts it. The name goes into the dialog's
// name edit itself: selectFile leaves that edit alone while it has the focus.
void AnswerFileDialog(QDialog* dialog, const QString& path);

// With VORTEDIT_SCREENSHOTS naming a folder (a run under a real display), shows the window and
// saves its picture there as name.png; otherwise does nothing.
void Snapshot(QWidget* window, const QString& name);

// Writes text to path (creating folders); false when it cannot.
bool WriteFile(const QString& path, const QByteArray& text);
QByteArray ReadFile(const QString& path);

}  // namespace vortab::ui::test
