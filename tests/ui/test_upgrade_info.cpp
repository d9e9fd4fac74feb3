// The upgrade information window as a run's progress callback: the lines it shows, the gauge,
// the messages for failures and aborts, Abort pressed while a line runs on a worker thread, and
// saving the output.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>
#include <atomic>

#include "editor/ui/password_dialog.h"
#include "editor/ui/ui_thread.h"
#include "editor/ui/upgrade_run.h"
#include "editor/ui/upgrade_info_window.h"
#include "ui_test_support.h"

using namespace vortab;
using namespace vortab::ui;
using namespace vortab::ui::test;

namespace {

QStringList Lines(const TfrmUpgrInfo& w) {
    QStringList lines;
    for (int i = 0; i < w.ListBox1->count(); ++i) lines << w.ListBox1->item(i)->text();
    return lines;
}

// Reports one line the way a run does, before and after it; false when the window stopped it.
bool Report(const ProgressCallback& progress, ProgressRecord& r, int lineNo, const std::string& line,
            StatusCode status, const std::string& message) {
    r.LineNo = lineNo;
    r.Line = line;
    r.Before = true;
    r.Status = 0;
    r.Message.clear();
    if (!progress(r)) return false;
    ++r.Executed;
    r.Before = false;
    r.Status = status;
    r.Message = message;
    return progress(r);
}

}  // namespace

class TestUpgradeInfo : public QObject {
    Q_OBJECT

private slots:
    void linesOfARun_data() {
        QTest::addColumn<int>("firstStep");
        QTest::addColumn<QString>("note");
        QTest::newRow("from step 1") << 1 << QString();
        QTest::newRow("from step 8") << 8 << QString("Lines #1 thru #7 were skipped");
    }

    void linesOfARun() {
        QFETCH(int, firstStep);
        QFETCH(QString, note);
        TfrmUpgrInfo w;
        w.StartUpgrade("/data/shop");
        QCOMPARE(w.windowTitle(), QString("/data/shop - upgrade information"));
        QCOMPARE(w.btnAbort->text(), QString("Abort"));
        QVERIFY(w.Gauge->isVisible() && !w.btnSave->isVisible());

        ProgressRecord r;
        r.Total = firstStep + 1;
        r.ToApply = 2;
        const ProgressCallback progress = [&](ProgressRecord& rec) { return w.UpgradeProgress(rec); };
        QVERIFY(Report(progress, r, firstStep, "FLD_DROP(\"ORDERS\",\"Gr\xF6\xDF" "e\")", 0, "Success"));  // Windows-1252
        QCOMPARE(w.Gauge->value(), 50);
        QVERIFY(Report(progress, r, firstStep + 1, "ERROR(-1)", -1, "Success - Database already updated"));
        QCOMPARE(w.Gauge->value(), 100);
        w.FinishUpgrade();

        QStringList lines = Lines(w);
        if (!note.isEmpty()) QCOMPARE(lines.takeFirst(), note);
        QCOMPARE(lines.size(), 4);
        QVERIFY(QRegularExpression(QString("^#%1 - .+: FLD_DROP\\(\"ORDERS\",\"Größe\"\\)$").arg(firstStep))
                    .match(lines[0]).hasMatch());
        QCOMPARE(lines[1], QString("Success"));
        QVERIFY(lines[2].startsWith(QString("#%1 - ").arg(firstStep + 1)));
        QCOMPARE(lines[3], QString("Success - Database already updated"));
        QCOMPARE(w.btnAbort->text(), QString("Close"));
        QVERIFY(!w.Gauge->isVisible() && w.btnSave->isVisible());

        const QString saved = QDir::temp().filePath("vortedit-output.log");
        QVERIFY(w.SaveOutput(saved));
        QCOMPARE(ReadFile(saved).count("\r\n"), Lines(w).size());
        QVERIFY(ReadFile(saved).contains("\"Gr\xF6\xDF" "e\""));  // written back in Windows-1252
        QFile::remove(saved);
    }

    // A run through the built library against a scratch database: each step is shown, the
    // failing one stops the run with its message, and the next run skips what the log holds.
    void runAgainstADatabase() {
        QTemporaryDir db;
        ScriptRun run;
        run.libraryDirectory = VORTAB_BUILD_DIR "/library";
        run.database = db.path().toStdString();
        run.logPath = db.filePath("vortab.log").toStdString();
        run.lines = {":#1 Checks", "IF(1 = 1, ERROR(0), ERROR(2000))", "IF(LEN(\"AB\") = 2, ERROR(-1), ERROR(2001))",
                     ":#3 Not yet", "ERROR(2002)", "IF(YEAR(TODAY) > 2000, ERROR(0), ERROR(2003))"};
        TfrmUpgrInfo w;
        MessageBoxWatcher boxes;
        QCOMPARE(RunUpgrade(w, run), 2002);
        QStringList lines = Lines(w);
        QCOMPARE(lines.size(), 6);
        QVERIFY(lines[0].startsWith("#1 - ") && lines[0].endsWith(": IF(1 = 1, ERROR(0), ERROR(2000))"));
        QCOMPARE(lines.mid(1, 1) + lines.mid(3), (QStringList{"Success", "Success - Database already updated",
                                                              lines[4], "Error in executing command: Unknown error (2002)"}));
        QVERIFY(lines[4].endsWith(": ERROR(2002)"));
        QCOMPARE(boxes.texts, QStringList{"Error in executing command: Unknown error (2002) \nline ERROR(2002)"});
        QCOMPARE(w.Label1->text(), QString("There were errors"));
        QVERIFY(w.btnSave->isVisible());

        run.lines[4] = "ERROR(0)";
        QCOMPARE(RunUpgrade(w, run), 0);
        lines = Lines(w);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], QString("Lines #1 thru #2 were skipped"));
        QCOMPARE(w.Gauge->value(), 100);
        QCOMPARE(w.Label1->text(), QString("Script applied successfuly"));
        Snapshot(&w, "upgrade-info");

        QCOMPARE(RunUpgrade(w, run), 0);  // up to date: nothing to show
        QCOMPARE(w.OutputCount(), 0);
        QCOMPARE(w.Label1->text(), QString("No applicable script lines were found"));
        QVERIFY(!w.btnSave->isVisible());
    }

    void emptyRunKeepsSaveHidden() {
        TfrmUpgrInfo w;
        w.StartUpgrade("db");
        w.FinishUpgrade();
        QVERIFY(!w.btnSave->isVisible());
        w.btnAbort->click();  // Close
        QVERIFY(!w.isVisible());
    }

    void failingLineShowsItsMessage() {
        TfrmUpgrInfo w;
        w.StartUpgrade("db");
        MessageBoxWatcher boxes;
        ProgressRecord r;
        r.ToApply = 1;
        const ProgressCallback progress = [&](ProgressRecord& rec) { return w.UpgradeProgress(rec); };
        QVERIFY(Report(progress, r, 1, "ERROR(2000)", 2000, "Error in executing command: Unknown error (2000)"));
        QCOMPARE(r.Status, 2000);
        QCOMPARE(boxes.texts, QStringList{"Error in executing command: Unknown error (2000) \nline ERROR(2000)"});
    }

    // Abort while a line runs on a worker thread: the line finishes and is reported, and that
    // report stops the run with 1001.
    void abortDuringALine() {
        TfrmUpgrInfo w;
        w.StartUpgrade("db");
        MessageBoxWatcher boxes;
        std::atomic<bool> pressed{false};
        ProgressRecord r;
        r.ToApply = 3;
        bool goesOn = true;
        const int steps = RunOffInterfaceThread([&] {
            const ProgressCallback progress = ProgressOnInterfaceThread(&w);
            r.LineNo = 1;
            r.Line = "FLD_ADD(\"ORDERS\",\"Notes\",FLDZSTRING,FLDSTDEFAULT,40,0)";
            r.Before = true;
            if (!progress(r)) return 0;
            // The user presses Abort while the line runs: the click is queued to the
            // interface thread, and the line ends once it has been made.
            QMetaObject::invokeMethod(&w, [&] {
                w.btnAbort->click();
                pressed = true;
            }, Qt::QueuedConnection);
            while (!pressed) std::this_thread::sleep_for(std::chrono::milliseconds(2));  // the long line
            r.Before = false;
            r.Executed = 1;
            r.Message = "Success";
            goesOn = progress(r);
            return 1;
        });
        QCOMPARE(steps, 1);
        QVERIFY(!goesOn);
        QCOMPARE(r.Status, status::kStoppedByUser);
        QVERIFY(w.Aborted());
        QCOMPARE(Lines(w).size(), 2);
        QCOMPARE(Lines(w).last(), QString("Success"));
        QCOMPARE(boxes.texts, QStringList{"Operation aborted by user"});
        QCOMPARE(w.btnAbort->text(), QString("Close"));
    }

    // The library asks from the run's worker thread; the prompt shows on the interface thread.
    void passwordPrompt_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("given");
        QTest::newRow("15 characters") << "abcdefghijklmno" << true << "abcdefghijklmno";
        QTest::newRow("cut at 15") << "abcdefghijklmnopq" << true << "abcdefghijklmno";
        QTest::newRow("empty") << "" << true << QString();
        QTest::newRow("abort") << "secret" << false << QString();
    }

    void passwordPrompt() {
        QFETCH(QString, typed);
        QFETCH(bool, ok);
        QFETCH(QString, given);
        QString label;
        bool masked = false;
        OnNextModal([&](QDialog* d) {
            auto* prompt = qobject_cast<TFormPswd*>(d);
            QVERIFY(prompt);
            label = prompt->Label1->text();
            masked = prompt->Edit1->echoMode() == QLineEdit::Password;
            prompt->Edit1->setText(typed);
            (ok ? prompt->btnOK : prompt->btnAbort)->click();
        });
        std::optional<std::string> password;
        RunOffInterfaceThread([&] {
            password = AskTablePassword("ORDERS");
            return 0;
        });
        QCOMPARE(label, QString("Table ORDERS is password protected"));
        QVERIFY(masked);
        QCOMPARE(password.has_value(), !given.isEmpty());
        if (password) QCOMPARE(QString::fromStdString(*password), given);
    }
};

QTEST_MAIN(TestUpgradeInfo)
#include "test_upgrade_info.moc"
