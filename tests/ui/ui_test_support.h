// Helpers of the widget suites: a scratch directory, and answering modal dialogs that a
// function under test opens and waits for.
#pragma once
#include <QDialog>
#include <QList>
#include <QMessageBox>
#include <QWidget>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

namespace vortab::ui::test {

// Closes every message box that comes up while it lives and keeps their texts. A box that has
// one of the answers is closed by clicking it (the first found), others without a button.
class MessageBoxWatcher : public QObject {
public:
    explicit MessageBoxWatcher(QList<QMessageBox::StandardButton> answers = {});
    QStringList texts;

private:
    QTimer timer_;
};

// Calls handle with the next modal dialog (not a message box) once it shows.
void OnNextModal(const std::function<void(QDialog*)>& handle);

// With VORTEDIT_SCREENSHOTS naming a folder (a run under a real display), shows the window and
// saves its picture there as name.png; otherwise does nothing.
void Snapshot(QWidget* window, const QString& name);

// Writes text to path (creating folders); false when it cannot.
bool WriteFile(const QString& path, const QByteArray& text);
QByteArray ReadFile(const QString& path);

}  // namespace vortab::ui::test
