// Settings: what a stored file loads as after cleaning, that saving and loading give the same
// record back without disturbing other sections, and the options dialog's checks and colour
// page.
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <Qsci/qscilexer.h>
#include <QtTest>

#include "editor/runner/library_binding.h"
#include "editor/ui/color_page.h"
#include "editor/ui/options_dialog.h"
#include "editor/ui/script_editor.h"
#include "editor/ui/script_file.h"
#include "ui_test_support.h"

using namespace vortab::ui;
using namespace vortab::ui::test;

class TestEditorSettings : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString ini() const { return dir.filePath("vortedit.ini"); }

    EditorSettings loaded(const QByteArray& text) {
        WriteFile(ini(), text);
        EditorSettings s;
        LoadSettings(s, ini().toStdString());
        return s;
    }

private slots:
    void cleaning_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("fontSize");
        QTest::addColumn<int>("numberStyle");
        QTest::addColumn<bool>("colorPrint");
        QTest::newRow("no file") << QByteArray() << 8 << 0 << false;
        QTest::newRow("size 3") << QByteArray("[OPTIONS]\nFONTSZ=3\n") << 7 << 0 << false;
        QTest::newRow("size 99") << QByteArray("[OPTIONS]\nFONTSZ=99\n") << 30 << 0 << false;
        QTest::newRow("huge size") << QByteArray("[options]\nfontsz=99999999999\n") << 30 << 0 << false;
        QTest::newRow("size not a number") << QByteArray("[OPTIONS]\nFONTSZ=big\n") << 8 << 0 << false;
        QTest::newRow("foreign style bit") << QByteArray("[COLORS]\nNUFN=8\n") << 8 << 0 << false;
        QTest::newRow("bold, alternate font") << QByteArray("[COLORS]\nNUFN=33\n") << 8 << 33 << false;
        QTest::newRow("only the low byte") << QByteArray("[COLORS]\nNUFN=257\n") << 8 << 1 << false;
        QTest::newRow("colour print alone")
            << QByteArray("[OPTIONS]\nCOLORPRINT=1\nSYNTAXPRINT=0\n") << 8 << 0 << false;
        QTest::newRow("colour and syntax print")
            << QByteArray("[OPTIONS]\nCOLORPRINT=1\nSYNTAXPRINT=5\n") << 8 << 0 << true;
    }

    void cleaning() {
        QFETCH(QByteArray, file);
        QFETCH(int, fontSize);
        QFETCH(int, numberStyle);
        QFETCH(bool, colorPrint);
        QFile::remove(ini());
        const EditorSettings s = file.isEmpty() ? [] {
            EditorSettings d;
            LoadSettings(d, "/nonexistent/vortedit.ini");
            return d;
        }() : loaded(file);
        QCOMPARE(s.fontSize, fontSize);
        QCOMPARE(int(s.colors[kNumber].style), numberStyle);
        QCOMPARE(s.colorPrint, colorPrint);
        QCOMPARE(s.driverName, std::string("PARADOX"));
    }

    void saveAndLoadAgree() {
        WriteFile(ini(), "[DBPATHS]\nP1=/data/shop\n[COLORS]\nRMFG=1\n");
        EditorSettings s;
        DefaultSettings(s);
        QVERIFY(SaveSettings(s, ini().toStdString()));
        const QByteArray defaults = ReadFile(ini());
        QVERIFY(!defaults.contains("[COLORS]"));
        QVERIFY(defaults.contains("P1=/data/shop"));

        s.fontSize = 12;
        s.fontName = "DejaVu Sans";
        s.libraryDirectory = "/opt/vortab/lib";
        s.diffInvariant = false;
        s.syntaxPrint = s.colorPrint = true;
        s.colors[kRemark] = {kItalic | kAltFont, 0x00FFFF, 0x123456};
        QVERIFY(SaveSettings(s, ini().toStdString()));
        const QByteArray text = ReadFile(ini());
        QVERIFY(text.contains("RMFN=34"));
        QVERIFY(!text.contains("NUFN"));
        EditorSettings back;
        LoadSettings(back, ini().toStdString());
        QCOMPARE(back.fontSize, 12);
        QCOMPARE(back.fontName, s.fontName);
        QCOMPARE(back.libraryDirectory, s.libraryDirectory);
        QCOMPARE(back.diffInvariant, false);
        QVERIFY(back.colorPrint && back.syntaxPrint);
        QVERIFY(back.colors == s.colors);
    }

    // A Russian user's scripts stay in Windows-1251 through the editor: shown in Cyrillic, saved
    // with the same bytes; a page without a table of its own is read as 1252.
    void scriptCodePage() {
        QCOMPARE(loaded("[OPTIONS]\nCODEPAGE=1251\n").scriptCodePage, 1251);
        QCOMPARE(loaded("[OPTIONS]\nCODEPAGE=1255\n").scriptCodePage, 1252);
        QCOMPARE(loaded("[OPTIONS]\nCODEPAGE=-5\n").scriptCodePage, 1252);

        const QByteArray bytes("TBL_CREATE \"\xCA\xEB\xE8\xE5\xED\xF2\xFB\"\r\n: \xE7\xE0\xEC\xE5\xF2\xEA\xE0\r\n");
        const QString script = dir.filePath("cyrillic.txt"), copy = dir.filePath("copy.txt");
        WriteFile(script, bytes);
        SetScriptCodePage(1251);
        const QString text = ReadScriptFile(script);
        QVERIFY(text.contains(QStringLiteral("\"Клиенты\"")));
        WriteScriptFile(copy, SplitLines(text));
        QCOMPARE(ReadFile(copy), bytes);
        QCOMPARE(QByteArray::fromStdString(ToLibraryLines(SplitLines(text)).front()), bytes.left(bytes.indexOf('\r')));
        SetScriptCodePage(1252);
        QCOMPARE(ReadScriptFile(script), QString::fromLatin1(bytes));  // no byte of 1252 is undefined here
    }

    void fontSizeIsChecked_data() {
        QTest::addColumn<QString>("size");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("letters") << "abc" << false;
        QTest::newRow("31") << "31" << false;
        QTest::newRow("6") << "6" << false;
        QTest::newRow("30") << "30" << true;
    }

    void fontSizeIsChecked() {
        QFETCH(QString, size);
        QFETCH(bool, accepted);
        EditorSettings s;
        DefaultSettings(s);
        TfrmOptions dialog(s, nullptr);
        dialog.edFontSize->setText(size);
        MessageBoxWatcher boxes;
        dialog.accept();
        QTRY_COMPARE_WITH_TIMEOUT(boxes.texts.isEmpty(), accepted, 2000);
        QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
        if (!accepted) QCOMPARE(boxes.texts.first(), QString(kFontSizeMessage));
    }

    void syntaxPrintOffTakesColourPrint() {
        EditorSettings s;
        DefaultSettings(s);
        s.syntaxPrint = s.colorPrint = true;
        TfrmOptions dialog(s, nullptr);
        Snapshot(&dialog, "options-preferences");
        dialog.cbSyntaxPrint->setChecked(false);
        QVERIFY(!dialog.cbColorPrint->isChecked());
    }

    void colourPageEditsTheWorkingTable() {
        EditorSettings s;
        DefaultSettings(s);
        s.colors[kNumber].foreground = 0x123456;  // not one of the grid's colours
        vortab::LibraryBinding library;  // the built library's commands colour the sample, if it loads
        const LibraryInfo* info = nullptr;
        try {
            info = library.OpenLibraryInfo(VORTAB_BUILD_DIR "/library");
        } catch (const std::exception&) {
        }
        TfrmOptions dialog(s, info);
        dialog.showColorPage();
        TFrmColors* page = dialog.colorPage();
        QVERIFY(page);

        page->lbElements->setCurrentRow(kTableCommand);
        Snapshot(&dialog, "options-colors");
        page->lbElements->setCurrentRow(kNumber);
        QVERIFY(!page->cbDefaultForeground->isChecked());
        page->cbBold->setChecked(true);
        QCOMPARE(page->colors()[kNumber].foreground, 0x123456);  // kept while another box changes
        QCOMPARE(int(page->colors()[kNumber].style), int(kBold));
        QVERIFY(page->ColorMemo->lexer()->font(kNumber).bold());  // the sample follows

        page->lbElements->setCurrentRow(kRemark);
        page->cbDefaultForeground->setChecked(true);
        QCOMPARE(page->colors()[kRemark].foreground, -1);

        page->cbUseSyntaxHL->setChecked(false);
        QVERIFY(!page->ColorMemo->lexer());
        QVERIFY(!page->lbElements->isEnabled());
        dialog.edFontSize->setText("9");
        dialog.accept();
        dialog.copyBack(s);
        QVERIFY(!s.colorSyntax);
        QCOMPARE(s.fontSize, 9);
        QCOMPARE(s.colors[kRemark].foreground, -1);

        page->cbUseSyntaxHL->setChecked(true);
        page->btnReset->click();
        QVERIFY(page->colors() == DefaultColors());
    }

    void sampleCaretSelectsItsElement() {
        EditorSettings s;
        DefaultSettings(s);
        TFrmColors page(s, KeywordTable::Build(nullptr));
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        const QString sample = ColorSampleText();
        const int at = sample.indexOf("BLOCK_SIZE");
        int line = 0, index = 0;
        page.ColorMemo->lineIndexFromPosition(at, &line, &index);
        page.ColorMemo->setCursorPosition(line, index + 1);
        QTRY_COMPARE(page.lbElements->currentRow(), int(kTableAttribute));
    }
};

QTEST_MAIN(TestEditorSettings)
#include "test_editor_settings.moc"
