// The database selection dialog: aliases or directories, the table list in both modes, the
// checks on OK and the recent-directory history in the settings file.
#include <QComboBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QtTest>

#include "editor/ui/select_database_dialog.h"
#include "ui_test_support.h"

using namespace vortab::ui;
using namespace vortab::ui::test;

class TestSelectDatabase : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString ini() const { return dir.filePath("vortedit.ini"); }
    QString shop() const { return dir.filePath("shop"); }

    void setAliases(const QByteArray& text) {
        WriteFile(dir.filePath("aliases.ini"), text);
        qputenv("VORTAB_ALIASES", dir.filePath("aliases.ini").toLocal8Bit());
    }
    std::unique_ptr<TFrmSelDatabase> dialog() {
        return std::make_unique<TFrmSelDatabase>(ini().toStdString(), "PARADOX");
    }
    QStringList tables(const TFrmSelDatabase& d) {
        QStringList names;
        for (int i = 0; i < d.tableCombo->count(); ++i) names << d.tableCombo->itemText(i);
        return names;
    }
    // Runs SelectDatabase, pressing OK once the dialog shows.
    bool select(TFrmSelDatabase& d, const QString& caption, const QString& compare, QString& table,
                QString& database, const std::function<void(TFrmSelDatabase&)>& choose) {
        OnNextModal([&](QDialog*) {
            choose(d);
            d.accept();
            if (d.isVisible()) d.reject();  // refused: leave the modal loop anyway
        });
        return d.SelectDatabase(caption, false, compare, table, database);
    }

private slots:
    void init() {
        QFile::remove(ini());
        setAliases("");
        for (const char* name : {"Orders.db", "customer.DB", "items.db", "notes.txt"})
            WriteFile(dir.filePath(QString("shop/") + name), "x");
    }

    void withoutAliasesOnlyDirectories() {
        auto d = dialog();
        QVERIFY(d->byDirectory->isChecked());
        QVERIFY(!d->RadioAlias->isEnabled());
        QVERIFY(!d->AliasCombo->isEnabled());
    }

    void standardAliasesOnly() {
        setAliases(("[SHOP]\nTYPE=STANDARD\nPATH=" + shop() + "\n[OTHER]\nTYPE=DBASE\nPATH=/x\n").toUtf8());
        auto d = dialog();
        QCOMPARE(d->AliasCombo->count(), 1);
        QVERIFY(d->byAlias->isChecked());
        QVERIFY(!d->DirectoryCombo->isEnabled());
        QString table, database;
        QVERIFY(select(*d, "Select source database/table", "", table, database, [](TFrmSelDatabase&) {}));
        QCOMPARE(database, QString("SHOP"));
        QCOMPARE(table, QString());  // "<ALL TABLES>"
    }

    void tableListModes() {
        auto d = dialog();
        d->DirectoryCombo->setEditText(shop());
        QCOMPARE(tables(*d), (QStringList{kAllTables, "customer.DB", "items.db", "Orders.db"}));

        QString table, database;
        QVERIFY(select(*d, "Select updated database/table", "ORDERS.DB", table, database, [&](TFrmSelDatabase& s) {
            QCOMPARE(tables(s), (QStringList{"customer.DB", "items.db", "Orders.db"}));
            QCOMPARE(s.tableCombo->currentText(), QString("Orders.db"));
            QCOMPARE(s.palette().color(QPalette::Window), QColor(240, 202, 166));
            Snapshot(&s, "select-database");
        }));
        QCOMPARE(table, QString("Orders.db"));
        QCOMPARE(database, shop());
        QVERIFY(select(*d, "Select original database/table", "gone.db", table, database, [&](TFrmSelDatabase& s) {
            QCOMPARE(s.tableCombo->currentText(), QString("customer.DB"));
            QVERIFY(s.palette().color(QPalette::Window) != QColor(240, 202, 166));
        }));
    }

    void okChecksTheChoice() {
        auto d = dialog();
        MessageBoxWatcher boxes;
        QString table, database;
        QVERIFY(!select(*d, "Select database", "", table, database,
                        [&](TFrmSelDatabase& s) { s.DirectoryCombo->setEditText(dir.filePath("nothere")); }));
        QVERIFY(!select(*d, "Select updated database/table", "ORDERS.DB", table, database,
                        [&](TFrmSelDatabase& s) { s.DirectoryCombo->setEditText(dir.path()); }));
        QCOMPARE(boxes.texts, (QStringList{"you must enter valid database", "You must select table for comparison"}));
    }

    void historyMostRecentFirstAndLimited() {
        for (int i = 1; i <= 12; ++i) {
            const QString path = dir.filePath(QString("db%1").arg(i));
            QDir().mkpath(path);
            auto d = dialog();
            QString table, database;
            QVERIFY(select(*d, "Select database", "", table, database,
                           [&](TFrmSelDatabase& s) { s.DirectoryCombo->setEditText(path); }));
        }
        auto d = dialog();
        QCOMPARE(d->DirectoryCombo->count(), kDirectoryHistoryLimit);
        QCOMPARE(d->DirectoryCombo->itemText(0), dir.filePath("db12"));
        QCOMPARE(d->DirectoryCombo->itemText(9), dir.filePath("db3"));
        QCOMPARE(d->DirectoryCombo->currentText(), dir.filePath("db12"));
        QVERIFY(d->byDirectory->isChecked());

        // Choosing a known directory again moves it to the top instead of adding it twice.
        QString table, database;
        QVERIFY(select(*d, "Select database", "", table, database,
                       [&](TFrmSelDatabase& s) { s.DirectoryCombo->setEditText(dir.filePath("db5")); }));
        d.reset();
        d = dialog();
        QCOMPARE(d->DirectoryCombo->itemText(0), dir.filePath("db5"));
        QCOMPARE(d->DirectoryCombo->count(), kDirectoryHistoryLimit);
    }
};

QTEST_MAIN(TestSelectDatabase)
#include "test_select_database.moc"
