// The help commands open the generated language reference at the right anchor (the URL each
// asks for is recorded instead of starting a browser), and the page has an anchor for every
// identifier, help context and symbolic constant the editor can ask for.
#include <QDialogButtonBox>
#include <QPushButton>
#include <QtTest>

#include "editor/help/help_anchors.h"
#include "editor/ui/constant_keywords.h"
#include "editor/ui/help.h"
#include "editor/ui/library_guard.h"
#include "editor/ui/main_window.h"
#include "editor/ui/script_editor.h"
#include "ui_test_support.h"

using namespace vortab;
using namespace vortab::ui;
using namespace vortab::ui::test;

class TestHelp : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<TKestrel> window_;
    QList<QUrl> opened_;
    const QString page_ = QStringLiteral(VORTAB_BUILD_DIR "/editor/help/vortab-reference.html");

    bool pageHas(const QString& anchor) {
        static const QByteArray text = ReadFile(page_);
        return text.contains(QStringLiteral("id=\"%1\"").arg(anchor).toLatin1());
    }

private slots:
    void init() {
        qputenv("XDG_CONFIG_HOME", dir_.filePath("config").toLocal8Bit());
        WriteFile(dir_.filePath("config/vortedit/vortedit.ini"), "[OPTIONS]\nDLLPATH=" VORTAB_BUILD_DIR "/library\n");
        window_ = std::make_unique<TKestrel>();
        SetHelpFile(page_);
        opened_.clear();
        SetHelpOpener([this](const QUrl& url) {
            opened_ << url;
            return true;
        });
    }
    void cleanup() {
        window_.reset();
        SetHelpOpener(nullptr);
    }

    void commandsOpenTheirAnchors_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("word");  // at the caret, for Help on command
        QTest::addColumn<QString>("fragment");
        QTest::newRow("contents") << "contents" << "" << "";
        QTest::newRow("search") << "search" << "" << "index";
        QTest::newRow("how to use help") << "using" << "" << "using";
        QTest::newRow("F1 in the main window") << "F1" << "" << "ctx15000";
        QTest::newRow("command") << "caret" << "ix_add" << "IX_ADD";
        QTest::newRow("operator") << "caret" << "<=" << "op-le";
        QTest::newRow("constant") << "caret" << "Pri" << "PRI";
        QTest::newRow("no name of the language") << "caret" << "ORDERS" << "index";
        QTest::newRow("options dialog") << "options" << "" << "ctx15007";
        QTest::newRow("library missing") << "library" << "" << "ctx15007";
    }

    void commandsOpenTheirAnchors() {
        QFETCH(QString, command);
        QFETCH(QString, word);
        QFETCH(QString, fragment);
        QVERIFY(window_->libraryInfo());
        if (command == "contents") window_->actHelpContents->trigger();
        if (command == "search") window_->actHelpSearch->trigger();
        if (command == "using") window_->actHelpOnHelp->trigger();
        if (command == "F1") {
            QCOMPARE(window_->actWindowHelp->shortcut(), QKeySequence(Qt::Key_F1));
            window_->actWindowHelp->trigger();
        }
        if (command == "caret") {
            window_->scriptEditor()->setText("IF(A " + word + " B)");
            window_->scriptEditor()->setCursorPosition(0, 6);
            window_->PrepareContextMenu();
            QVERIFY(window_->popupHelpOnCommand->isEnabled());
            window_->popupHelpOnCommand->trigger();
        }
        if (command == "options") {
            OnNextModal([](QDialog* dialog) {
                dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help)->click();
                dialog->reject();
            });
            window_->EditOptions();
        }
        if (command == "library") {
            MessageBoxWatcher boxes({QMessageBox::Help});
            QVERIFY(!RequireLibrary(window_.get(), LibraryBinding()));
            QCOMPARE(boxes.texts, QStringList{kLibraryMissingText});
        }
        QCOMPARE(opened_.size(), 1);
        QCOMPARE(opened_.first().toLocalFile(), QFileInfo(page_).canonicalFilePath());
        QCOMPARE(opened_.first().fragment(), fragment);
        if (!fragment.isEmpty()) QVERIFY2(pageHas(fragment), qPrintable(fragment));
    }

    void pageHasAnAnchorForEveryIdentifier() {
        QStringList wanted{HelpContextAnchor(help::kMainWindowContext), HelpContextAnchor(help::kOptionsContext)};
        int identifiers = 0;
        for (const IdentifierEntry* e = window_->libraryInfo()->chain; e; e = e->next, ++identifiers)
            wanted << QString::fromStdString(help::NameAnchor(e->name)) << HelpContextAnchor(e->helpContext);
        QCOMPARE(identifiers, 99);
        for (const KeywordFamily& family : ConstantKeywordFamilies())
            for (const std::string& word : family.words) wanted << QString::fromStdString(help::NameAnchor(word));
        QStringList missing;
        for (const QString& anchor : wanted)
            if (!pageHas(anchor)) missing << anchor;
        QCOMPARE(missing, QStringList());
    }
};

QTEST_MAIN(TestHelp)
#include "test_help.moc"
