#include "ui_test_support.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>

namespace vortab::ui::test {

MessageBoxWatcher::MessageBoxWatcher(QList<QMessageBox::StandardButton> answers) {
    connect(&timer_, &QTimer::timeout, this, [this, answers] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        texts << box->text();
        for (QMessageBox::StandardButton answer : answers)
            if (QAbstractButton* button = box->button(answer)) {
                button->click();
                return;
            }
        box->done(QMessageBox::Ok);
    });
    timer_.start(10);
}

void OnNextModal(const std::function<void(QDialog*)>& handle) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, handle] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || qobject_cast<QMessageBox*>(dialog)) return;
        timer->stop();
        timer->deleteLater();
        handle(dialog);
    });
    timer->start(10);
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
