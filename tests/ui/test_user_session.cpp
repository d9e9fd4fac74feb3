// A user's whole session in the real window: a script of three releases written and saved,
// checked, applied to a database (a protected table answered through the password prompt),
// generated back from that database, diffed against a second database and printed to PDF.
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QtTest>

#include "editor/ui/main_window.h"
#include "editor/ui/password_dialog.h"
#include "editor/ui/recent_list.h"
#include "editor/ui/script_editor.h"
#include "editor/ui/script_printer.h"
#include "editor/ui/select_database_dialog.h"
#include "editor/ui/upgrade_info_window.h"
#include "ui_test_support.h"

using namespace vortab::ui;
using namespace vortab::ui::test;

namespace {

const char* const kScript[] = {
    ": Release 1: orders",
    ":#1 the orders table",
    "TBL_CREATE(\"ORDERS\", \"ascii\", 7, \"Code\", FLDZSTRING, FLDSTDEFAULT, 10, 0)",
    ":#2 keyed by code",
    "IX_ADD(\"ORDERS\", \"\", \"Code\", \"\", PRI)",
    ": Release 2: notes",
    ":#3",
    "FLD_ADD(\"ORDERS\",\"Notes\", FLDZSTRING, FLDSTDEFAULT, 40, 0)",
    ": Release 3: the protected table gets a field",
    ":#4",
    "FLD_ADD(\"SECRET\", \"Extra\", FLDZSTRING, FLDSTDEFAULT, 12, 0)",
};

// Answers the database selection with a directory (all tables), then runs next for the
// following dialog.
void ChooseDirectory(const QString& directory, const std::function<void()>& next = {}) {
    OnNextModal([directory, next](QDialog* d) {
        auto* selection = qobject_cast<TFrmSelDatabase*>(d);
        QVERIFY(selection);
        selection->byDirectory->setChecked(true);
        selection->DirectoryCombo->setEditText(directory);
        if (next) next();
        selection->accept();
    });
}

// Answers the next file dialog with path, then arms next for the dialog that follows.
void ChooseFile(const QString& path, const std::function<void()>& next = {}) {
    OnNextModal([path, next](QDialog* d) {
        if (next) next();
        AnswerFileDialog(d, path);
    });
}

void AnswerPassword(const QString& password) {
    OnNextModal([password](QDialog* d) {
        auto* prompt = qobject_cast<TFormPswd*>(d);
        QVERIFY(prompt);
        prompt->Edit1->setText(password);
        prompt->accept();
    });
}

void CopyFamily(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files))
        if (!name.endsWith(".log")) QVERIFY(QFile::copy(from + "/" + name, to + "/" + name));
}

}  // namespace

class TestUserSession : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void wholeSession() {
        qputenv("XDG_CONFIG_HOME", dir_.filePath("config").toLocal8Bit());
        qputenv("VORTAB_ALIASES", dir_.filePath("aliases.ini").toLocal8Bit());
        WriteFile(dir_.filePath("aliases.ini"), "");
        WriteFile(dir_.filePath("config/vortedit/vortedit.ini"),
                  "[OPTIONS]\nDLLPATH=" VORTAB_BUILD_DIR "/library\nCOLORSYNTAX=1\nSYNTAXPRINT=1\n");
        const QString shop = dir_.filePath("shop"), before = dir_.filePath("before");
        QDir().mkpath(shop);
        QVERIFY(QFile::copy(VORTAB_SOURCE_DIR "/../shared/fixtures/paradoxdriver/encrypt/encrypted.db",
                            shop + "/SECRET.DB"));
        TKestrel window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ScriptEditor* edit = window.scriptEditor();
        MessageBoxWatcher boxes({QMessageBox::Ok, QMessageBox::No});

        // Written (the last line typed), saved under a name, checked.
        QStringList lines;
        for (const char* line : kScript) lines << line;
        edit->setText(lines.mid(0, lines.size() - 1).join("\n") + "\n");
        edit->setCursorPosition(lines.size() - 1, 0);
        QTest::keyClicks(edit, lines.last().left(8));
        QCOMPARE(edit->SendScintilla(QsciScintilla::SCI_CALLTIPACTIVE), 1);  // FLD_ADD's arguments
        QTest::keyClicks(edit, lines.last().mid(8));
        QCOMPARE(edit->scriptLines(), lines);
        const QString script = dir_.filePath("upgrade.txt");
        ChooseFile(script);
        window.actSave->trigger();
        QCOMPARE(window.fileName(), script);
        window.actCheck->trigger();
        QCOMPARE(boxes.texts, QStringList{"No syntax errors found"});

        // Applied, with the log beside the tables and the protected table's password asked.
        ChooseDirectory(shop, [shop] { ChooseFile(shop + "/vortab.log", [] { AnswerPassword("123"); }); });
        window.actApply->trigger();
        QTRY_VERIFY2_WITH_TIMEOUT(boxes.texts.contains("Script applied successfuly"),
                                  qPrintable(boxes.texts.join(" / ")), 120000);
        QVERIFY(QFileInfo::exists(shop + "/vortab.log"));
        QVERIFY(QFileInfo::exists(shop + "/ORDERS.DB"));
        QCOMPARE(window.ReapplyPopup->items().first(), shop);

        // Generated back from the database: both tables, in a new untitled script. The editor
        // reads the protected table in its own session, which asks for the password again.
        ChooseDirectory(shop, [] { AnswerPassword("123"); });
        window.actNewFromDB->trigger();
        QCOMPARE(window.fileName(), QString("Untitled"));
        const QString generated = edit->text();
        QVERIFY(generated.contains("TBL_CREATE(\"ORDERS\""));
        QVERIFY(generated.contains("\"Notes\""));
        QVERIFY(generated.contains("\"Extra\""));

        // Diffed against a copy without the notes field.
        CopyFamily(shop, before);
        QCOMPARE(window.library().execLine(before.toLocal8Bit().constData(), "PARADOX",
                                           "FLD_DROP(\"ORDERS\", \"Notes\")"), 0);
        ChooseDirectory(before, [shop] { ChooseDirectory(shop); });
        window.actDiff->trigger();
        const QString diff = edit->text();
        QVERIFY2(diff.contains("FLD_ADD(\"ORDERS\",\"Notes\""), qPrintable(diff));
        QVERIFY(!diff.contains("\"Extra\""));

        // Printed to PDF.
        const QString pdf = dir_.filePath("diff.pdf");
        ScriptPrinter& printer = window.printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        QVERIFY(window.PrintTo(printer));
        QProcess text;
        text.start("pdftotext", {pdf, "-"});
        QVERIFY(text.waitForFinished(30000));
        QVERIFY(QString::fromUtf8(text.readAllStandardOutput()).contains("FLD_ADD(\"ORDERS\",\"Notes\""));
        QCOMPARE(boxes.texts.mid(2), QStringList({"Script applied successfuly", "Save changes to Untitled?"}));
    }
};

QTEST_MAIN(TestUserSession)
#include "test_user_session.moc"
