// The main window's commands driven through the real window: recent lists, file names and the
// recent-files list, saving an untitled script, the syntax check (the offending line selected,
// no second library call without an edit), dropped files, the context menu's apply item, find
// and printing to PDF with and without highlighting.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QMenu>
#include <QScreen>
#include <QtTest>

#include "editor/ui/ini_document.h"
#include "editor/ui/main_window.h"
#include "editor/ui/recent_list.h"
#include "editor/ui/script_editor.h"
#include "editor/ui/script_printer.h"
#include "editor/ui/script_file.h"
#include "editor/ui/select_database_dialog.h"
#include "editor/ui/upgrade_info_window.h"
#include "ui_test_support.h"

using namespace vortab;
using namespace vortab::ui;
using namespace vortab::ui::test;

namespace {

int g_checkCalls = 0;
std::int32_t CountingCheck(const char*, const char* line) {
    ++g_checkCalls;
    return std::string_view(line).find("BAD") != std::string_view::npos ? 2 : 0;
}

// Answers the next file dialog with path, after prepare has seen the dialog.
void ChooseFile(const QString& path, const std::function<void(QDialog*)>& prepare = {}) {
    OnNextModal([path, prepare](QDialog* d) {
        if (prepare) prepare(d);
        AnswerFileDialog(d, path);
    });
}

// The fixture tables the drop cases script: one folder with STATES, another with STATES and
// ZIPCODES.
void CopyTable(const QString& name, const QString& to) {
    QDir().mkpath(to);
    const QString from = QStringLiteral("%1/../shared/fixtures/paradoxdriver/areas/").arg(VORTAB_SOURCE_DIR);
    QVERIFY(QFile::copy(from + name, to + "/" + name));
}

QString RunTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<TKestrel> window_;
    ScriptEditor* edit() { return window_->scriptEditor(); }

private slots:
    void init() {
        qputenv("XDG_CONFIG_HOME", dir_.filePath("config").toLocal8Bit());
        QDir().mkpath(dir_.filePath("config/vortedit"));
        WriteFile(dir_.filePath("config/vortedit/vortedit.ini"),
                  "[OPTIONS]\nDLLPATH=" VORTAB_BUILD_DIR "/library\nCOLORSYNTAX=1\n");
        window_ = std::make_unique<TKestrel>();
    }
    void cleanup() { window_.reset(); }

    void recentListRules() {
        RecentList& list = *window_->ReapplyPopup;
        for (int i = 1; i <= 10; ++i) list.AddHistory(QString("db%1").arg(i));
        QCOMPARE(list.items().first(), QString("db10"));
        list.AddHistory("DB5");  // already there, whatever the case: the order stays
        QCOMPARE(list.items().size(), 10);
        QCOMPARE(list.items()[5], QString("db5"));
        list.AddHistory("db11");  // the eleventh drops the oldest
        QCOMPARE(list.items().size(), 10);
        QCOMPARE(list.items().first(), QString("db11"));
        QVERIFY(!list.items().contains("db1"));
        list.AddHistory("Db7", true);
        QVERIFY(!list.items().contains("db7"));

        IniDocument ini = IniDocument::Load(dir_.filePath("history.ini").toStdString());
        list.SaveHistory(ini, "APPLYHIST");
        QCOMPARE(ini.value("APPLYHIST", "H1").value_or(""), std::string("db11"));
        RecentList again(window_.get());
        again.LoadHistory(ini, "APPLYHIST");
        QCOMPARE(again.items(), list.items());
    }

    void fileNamesAndRecentFiles() {
        const QString a = dir_.filePath("a.txt"), b = dir_.filePath("b.txt");
        WriteFile(a, "TBL_DROP(\"X\")\r\n");
        WriteFile(b, "TBL_DROP(\"Y\")\r\n");
        window_->OpenFile(a);
        QVERIFY(!window_->ReOpenPopup->items().contains(a));
        window_->OpenFile(b);
        QCOMPARE(window_->ReOpenPopup->items().first(), a);
        QVERIFY(!window_->ReOpenPopup->items().contains(b));
        QVERIFY(window_->windowTitle().startsWith("b.txt - VORTAB script editor"));
        window_->OpenFile(a);
        QCOMPARE(window_->ReOpenPopup->items(), QStringList{b});
        // Closing keeps the open script for next time, in the settings file.
        window_.reset();
        const IniDocument ini = IniDocument::Load(dir_.filePath("config/vortedit/vortedit.ini").toStdString());
        QCOMPARE(QString::fromStdString(ini.text("HISTORY", "H1", std::string())), a);
        QCOMPARE(QString::fromStdString(ini.text("HISTORY", "H2", std::string())), b);
    }

    void openDialogReadOnlyBox_data() {
        QTest::addColumn<bool>("ticked");
        QTest::newRow("ticked") << true;
        QTest::newRow("not ticked") << false;
    }

    // The editor is read-only exactly when the open dialog's box was ticked; a recent file
    // always opens writable.
    void openDialogReadOnlyBox() {
        QFETCH(bool, ticked);
        const QString recent = dir_.filePath("recent.txt"), chosen = dir_.filePath("chosen.txt");
        WriteFile(recent, "TBL_DROP(\"X\")\r\n");
        WriteFile(chosen, "TBL_DROP(\"Y\")\r\n");
        window_->OpenFile(recent);
        ChooseFile(chosen, [ticked](QDialog* dialog) {
            auto* box = dialog->findChild<QCheckBox*>("readOnly");
            QVERIFY(box && box->isVisibleTo(dialog));
            box->setChecked(ticked);
        });
        window_->Open();
        QCOMPARE(window_->fileName(), chosen);
        QCOMPARE(edit()->isReadOnly(), ticked);
        window_->ReOpenPopup->menu()->actions().first()->trigger();
        QCOMPARE(window_->fileName(), recent);
        QVERIFY(!edit()->isReadOnly());
    }

    void savingUntitledAsksForAName() {
        edit()->setText(QString::fromUtf8("FLD_DROP(\"CAFÉ\", \"N\")\nTBL_DROP(\"X\")"));
        QVERIFY(edit()->isModified());
        const QString path = dir_.filePath("saved.txt");
        ChooseFile(path);
        QVERIFY(window_->Save());
        QCOMPARE(ReadFile(path), QByteArray("FLD_DROP(\"CAF\xC9\", \"N\")\r\nTBL_DROP(\"X\")\r\n"));
        QCOMPARE(window_->fileName(), path);
        QVERIFY(!edit()->isModified());
        window_->OpenFile(path);
        QCOMPARE(edit()->scriptLines().first(), QString::fromUtf8("FLD_DROP(\"CAFÉ\", \"N\")"));
    }

    void syntaxCheck() {
        window_->library().checkSyntax = CountingCheck;
        edit()->setText(": remark\n\n TBL_DROP(\"A\")\nTBL_DROP(\"B\")");
        g_checkCalls = 0;
        MessageBoxWatcher boxes;
        window_->CheckSyntaxCommand();
        window_->CheckSyntaxCommand();
        QCOMPARE(g_checkCalls, 2);  // the command lines once; the second check trusts the first
        QCOMPARE(boxes.texts, QStringList({"No syntax errors found", "No syntax errors found"}));

        edit()->setText("TBL_DROP(\"A\")\n   TBL_BAD(\"B\")  \nTBL_DROP(\"C\")");
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, window_->CheckScriptSyntax(edit()->scriptLines(), true));
        int fromLine, fromIndex, toLine, toIndex;
        edit()->getSelection(&fromLine, &fromIndex, &toLine, &toIndex);
        QCOMPARE(QList<int>({fromLine, fromIndex, toLine, toIndex}), QList<int>({1, 3, 1, 15}));
        QVERIFY(!window_->syntaxChecked());
    }

    void drops_data() {
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<QStringList>("expected");  // texts of the script, or the error
        QTest::newRow("folder first") << QStringList{"two", "one/STATES.DB"} << QStringList{"2 table(s) found"};
        QTest::newRow("tables of two folders") << QStringList{"one/STATES.DB", "two/ZIPCODES.DB"}
                                               << QStringList{"STATES", "ZIPCODES"};
        QTest::newRow("no tables") << QStringList{"one/notes.txt", "two/STATES.PX"}
                                   << QStringList{"No database tables were dropped"};
    }

    void drops() {
        QFETCH(QStringList, dropped);
        QFETCH(QStringList, expected);
        const QString root = dir_.filePath("drops");
        if (!QFileInfo::exists(root)) {
            CopyTable("STATES.DB", root + "/one");
            CopyTable("STATES.DB", root + "/two");
            CopyTable("ZIPCODES.DB", root + "/two");
            WriteFile(root + "/one/notes.txt", "x");
            WriteFile(root + "/two/STATES.PX", "x");
        }
        QStringList paths;
        for (const QString& p : dropped) paths << root + "/" + p;
        edit()->setText("old");
        edit()->setModified(false);
        QString error;
        try {
            window_->FilesDropped(paths);
        } catch (const std::exception& e) {
            error = QString::fromStdString(e.what());
        }
        if (expected.first().startsWith("No database")) {
            QCOMPARE(error, expected.first());
            QCOMPARE(edit()->text(), QString("old"));
            return;
        }
        QCOMPARE(error, QString());
        for (const QString& text : expected) QVERIFY2(edit()->text().contains(text), qPrintable(text));
        QVERIFY(edit()->text().contains("TBL_CREATE"));
        QCOMPARE(window_->fileName(), QString("Untitled"));
        QVERIFY(edit()->isModified());
        QVERIFY(window_->syntaxChecked());
    }

    // A table whose field name is Windows-1251 under a header that names 1252: with the script
    // code page 1251 the generated script shows it in Cyrillic and saves it with its own bytes.
    void generatedScriptsInTheChosenCodePage() {
        const QString db = dir_.filePath("russian"), script = dir_.filePath("ru.txt");
        QDir().mkpath(db);
        const QByteArray create("TBL_CREATE(\"RU\", \"ANSIINTL\", 7, \"\xC8\xEC\xFF\", FLDZSTRING, FLDSTDEFAULT, 10, 0)\r\n");
        QVERIFY(WriteFile(script, create));
        RunTool(VORTAB_BUILD_DIR "/cli/vortab", {"apply", script, db});
        SetScriptCodePage(1251);
        window_->CreateScriptFromDatabase(db);
        SetScriptCodePage(1252);
        QVERIFY2(edit()->text().contains(QStringLiteral("\"Имя\"")), qPrintable(edit()->text()));
        const QString saved = dir_.filePath("saved.txt");
        SetScriptCodePage(1251);
        WriteScriptFile(saved, SplitLines(edit()->text()));
        SetScriptCodePage(1252);
        QVERIFY(ReadFile(saved).contains("\"\xC8\xEC\xFF\""));
    }

    void applyItemOfTheContextMenu_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("command") << 0 << true;
        QTest::newRow("blank") << 1 << false;
        QTest::newRow("remark") << 2 << false;
        QTest::newRow("indented remark") << 3 << false;
    }

    void applyItemOfTheContextMenu() {
        QFETCH(int, line);
        QFETCH(bool, enabled);
        edit()->setText("TBL_DROP(\"A\")\n   \n:#1 step\n  : note");
        edit()->setCursorPosition(line, 1);
        window_->PrepareContextMenu();
        QCOMPARE(window_->popupApply->text(), QString("Apply line to database..."));
        QCOMPARE(window_->popupApply->isEnabled(), enabled);
        edit()->setSelection(2, 0, 3, 3);
        window_->PrepareContextMenu();
        QCOMPARE(window_->popupApply->text(), QString("Apply selection to database..."));
        QVERIFY(window_->popupApply->isEnabled());
    }

    // Tools: verify names the damage in the upgrade information window; repair (confirmed)
    // mends it, after which verify finds nothing.
    void toolsVerifyAndRepair() {
        const QString db = dir_.filePath("damaged");
        CopyTable("STATES.DB", db);
        CopyTable("ZIPCODES.DB", db);
        CopyTable("ZIPCODES.PX", db);
        QFile zip(db + "/ZIPCODES.DB");
        QVERIFY(zip.open(QIODevice::ReadWrite));
        zip.seek(6);
        QByteArray count = zip.read(4);
        count[0] = char(count[0] + 3);  // three records more than the chain holds
        zip.seek(6);
        zip.write(count);
        zip.close();
        const auto chooseDatabase = [&] {
            OnNextModal([&](QDialog* d) {
                auto* s = static_cast<TFrmSelDatabase*>(d);
                s->DirectoryCombo->setEditText(db);
                s->tableCombo->setEditText("ZIPCODES");
                d->accept();
            });
        };
        const auto lines = [&] {
            QStringList out;
            for (int i = 0; i < window_->upgradeInfo()->ListBox1->count(); ++i) out << window_->upgradeInfo()->ListBox1->item(i)->text();
            return out.join('\n');
        };
        chooseDatabase();
        window_->actVerify->trigger();
        QVERIFY2(lines().contains("ZIPCODES: ZIPCODES.DB: error 8962"), qPrintable(lines()));
        const QString verdict = window_->upgradeInfo()->Label1->text();
        QVERIFY2(verdict.startsWith("Verify finished: ") && !verdict.contains(": 0 error"), qPrintable(verdict));

        chooseDatabase();
        {
            MessageBoxWatcher boxes({QMessageBox::Ok});
            window_->actRepair->trigger();
        }
        QVERIFY2(lines().contains("table ZIPCODES: repaired"), qPrintable(lines()));
        QCOMPARE(window_->upgradeInfo()->Label1->text(), QString("Repair finished."));
        chooseDatabase();
        window_->actVerify->trigger();
        QVERIFY2(window_->upgradeInfo()->Label1->text().startsWith("Verify finished: 0 error(s)"), qPrintable(lines()));
    }

    void find() {
        edit()->setText("TBL_DROP(\"ORDERS\")\nFLD_DROP(\"orders\", \"X\")\nTBL_DROP(\"ORDERS_OLD\")");
        edit()->setCursorPosition(0, 12);
        MessageBoxWatcher boxes;
        QVERIFY(window_->FindText("orders", false, true));  // downward from the caret
        int line, index;
        edit()->getCursorPosition(&line, &index);
        QCOMPARE(line, 1);
        QVERIFY(!window_->FindText("ORDERS", true, true));  // ORDERS_OLD is no whole word
        QVERIFY(window_->FindText("ORDERS", true, false));
        edit()->getCursorPosition(&line, &index);
        QCOMPARE(line, 2);
        QTRY_COMPARE(boxes.texts, QStringList{"Cannot find \"ORDERS\""});
    }

    void printsToPdf() {
        if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) QSKIP("poppler-utils not installed");
        QString text;
        for (int i = 1; i <= 90; ++i) text += QString(":#%1 field %1\n FLD_ADD(\"ORDERS\", \"F%1\", FLDZSTRING, FLDSTDEFAULT, 20, 0)\n").arg(i);
        edit()->setText(text);
        QStringList pictures;
        for (const bool syntax : {false, true}) {
            EditorSettings settings = window_->settings();
            const QString pdf = dir_.filePath(syntax ? "syntax.pdf" : "plain.pdf");
            WriteFile(dir_.filePath("config/vortedit/vortedit.ini"),
                      QStringLiteral("[OPTIONS]\nDLLPATH=" VORTAB_BUILD_DIR "/library\nCOLORSYNTAX=1\nSYNTAXPRINT=%1\n")
                          .arg(syntax ? 1 : 0).toUtf8());
            window_ = std::make_unique<TKestrel>();
            window_->scriptEditor()->setText(text);
            ScriptPrinter& printer = window_->printer();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            QVERIFY(window_->PrintTo(printer));
            const QString stem = pdf.chopped(4);
            RunTool("pdftoppm", {"-r", "40", "-png", pdf, stem});
            const QStringList pages = QDir(dir_.path()).entryList({QFileInfo(stem).fileName() + "-*.png"});
            QVERIFY2(pages.size() >= 2, qPrintable(QString::number(pages.size())));
            pictures << dir_.filePath(pages.first());
            const QString words = RunTool("pdftotext", {pdf, "-"});
            QVERIFY(words.contains("FLD_ADD(\"ORDERS\", \"F1\""));
            QVERIFY(words.contains("Page 2"));
        }
        // Highlighting prints the keywords in their font styles: the first pages differ.
        QVERIFY(ReadFile(pictures[0]) != ReadFile(pictures[1]));
    }

    // Under a real display with VORTEDIT_SCREENSHOTS set: the window, its context menu, a call
    // tip, the open dialog, the print preview and the about box as pictures of the screen.
    void screenshots() {
        const QString folder = qEnvironmentVariable("VORTEDIT_SCREENSHOTS");
        if (folder.isEmpty() || QGuiApplication::platformName() == "offscreen") QSKIP("no display");
        const auto shoot = [folder](const QString& name, QWidget* over) {
            QTest::qWait(400);
            const QRect area = over->frameGeometry();
            QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                .save(folder + "/" + name + ".png");
        };
        window_->OpenFile(VORTAB_SOURCE_DIR "/examples/upgrade.txt");
        window_->setGeometry(0, 0, 1000, 640);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        edit()->setCursorPosition(16, 3);
        shoot("main-window", window_.get());
        OnNextModal([&](QDialog* d) {
            auto* dialog = qobject_cast<QFileDialog*>(d);
            dialog->setDirectory(VORTAB_SOURCE_DIR "/examples");
            dialog->selectFile("upgrade.txt");
            dialog->findChild<QCheckBox*>("readOnly")->setChecked(true);
            shoot("open-dialog", d);
            d->reject();
        });
        window_->Open();
        window_->PrepareContextMenu();
        window_->EditorPopup->popup(edit()->mapToGlobal(QPoint(260, 300)));
        shoot("context-menu", window_.get());
        window_->EditorPopup->hide();
        edit()->setCursorPosition(edit()->lines() - 1, 0);
        QTest::keyClicks(edit(), "VCHK_ADD(");
        shoot("call-tip", window_.get());
        OnNextModal([&](QDialog* d) {
            shoot("print-preview", d);
            d->reject();
        });
        window_->Preview();
        MessageBoxWatcher about;
        about.beforeAnswer = [&](QMessageBox* box) { shoot("about-box", box); };
        window_->ShowAbout();
        edit()->setModified(false);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
