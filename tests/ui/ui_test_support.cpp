#include "ui_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <deque>

namespace vortab::ui::test {
namespace {

// Sees every top-level dialog that shows. A message box goes to the newest live watcher, any
// other modal dialog to the oldest waiting handler. The answer is queued: it runs once show()
// has returned and the dialog's own event loop takes events, so the dialog is shown and ready.
class DialogDispatcher : public QObject {
public:
    static DialogDispatcher& instance() {
        static DialogDispatcher* dispatcher = [] {
            auto* d = new DialogDispatcher;
            qApp->installEventFilter(d);
            return d;
        }();
        return *dispatcher;
    }

    std::deque<std::function<void(QDialog*)>> handlers;
    QList<MessageBoxWatcher*> watchers;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show) return false;
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (!dialog || !dialog->isWindow() || !dialog->isModal()) return false;
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            if (!watchers.isEmpty()) {
                MessageBoxWatcher* watcher = watchers.last();
                watcher->texts << box->text();
                Queue(dialog, [watcher](QDialog* d) {
                    if (DialogDispatcher::instance().watchers.contains(watcher))
                        watcher->answer(qobject_cast<QMessageBox*>(d));
                });
                return false;
            }
        } else if (!handlers.empty()) {
            Queue(dialog, std::move(handlers.front()));
            handlers.pop_front();
            return false;
        }
        Queue(dialog, [](QDialog*) {});  // nobody waits for it: rejected below
        return false;
    }

private:
    static void Queue(QDialog* dialog, std::function<void(QDialog*)> handle) {
        QPointer<QDialog> guard(dialog);
        QMetaObject::invokeMethod(
            dialog,
            [guard, handle = std::move(handle)] {
                if (!guard) return;
                handle(guard);
                if (guard && guard->isVisible()) {
                    qWarning("dialog \"%s\" (%s) was still open after its answer; rejected",
                             qPrintable(guard->windowTitle()), guard->metaObject()->className());
                    guard->reject();
                }
            },
            Qt::QueuedConnection);
    }
};

}  // namespace

MessageBoxWatcher::MessageBoxWatcher(QList<QMessageBox::StandardButton> answers) : answers_(std::move(answers)) {
    DialogDispatcher::instance().watchers.append(this);
}

MessageBoxWatcher::~MessageBoxWatcher() { DialogDispatcher::instance().watchers.removeAll(this); }

void MessageBoxWatcher::answer(QMessageBox* box) {
    if (beforeAnswer) beforeAnswer(box);
    for (QMessageBox::StandardButton answer : answers_)
        if (QAbstractButton* button = box->button(answer)) {
            button->click();
            return;
        }
    box->done(QMessageBox::Ok);
}

void OnNextModal(const std::function<void(QDialog*)>& handle) {
    DialogDispatcher::instance().handlers.push_back(handle);
}

void AnswerFileDialog(QDialog* d, const QString& path) {
    auto* dialog = qobject_cast<QFileDialog*>(d);
    QVERIFY2(dialog, "a file dialog was expected");
    dialog->setDirectory(QFileInfo(path).absolutePath());
    dialog->selectFile(path);
    auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
    QVERIFY(edit);
    edit->setText(path);
    d->accept();  // QFileDialog::accept is protected; QDialog::accept dispatches to it
}

void Snapshot(QWidget* window, const QString& name) {
    const QString folder = qEnvironmentVariable("VORTEDIT_SCREENSHOTS");
    if (folder.isEmpty()) return;
    window->show();
    if (!QTest::qWaitForWindowExposed(window)) return;
    QTest::qWait(300);
    QDir().mkpath(folder);
    window->grab().save(QDir(folder).filePath(name + ".png"));
}

bool WriteFile(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace vortab::ui::test
