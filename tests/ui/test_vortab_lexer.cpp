// The script lexer paints every element class where the highlighter's rules put it, over real
// QScintilla styling (UTF-8 bytes), with and without a library's identifier list.
#include <QtTest>

#include "editor/ui/script_editor.h"
#include "editor/ui/vortab_lexer.h"

using namespace vortab;
using namespace vortab::ui;

namespace {

// An identifier chain like the library's: commands (result type 15) and other identifiers.
struct FakeLibrary {
    FakeLibrary() {
        const std::pair<const char*, std::uint8_t> names[] = {
            {"TBL_CREATE", vtCommand}, {"TBL_BMOVE", vtCommand}, {"FLD_ADD", vtCommand}, {"IX_ADD", vtCommand},
            {"VCHK_ADD", vtCommand},   {"RI_ADD", vtCommand},    {"ERROR", vtCommand},   {"EXISTS_TABLE", vtBoolean},
            {"IF", vtAny},             {"TRUE", vtBoolean}};
        for (std::size_t i = 0; i < std::size(names); ++i) {
            entries[i] = IdentifierEntry{};
            entries[i].name = names[i].first;
            entries[i].resultType = names[i].second;
            entries[i].next = i + 1 < std::size(names) ? &entries[i + 1] : nullptr;
        }
        info.version = kLibraryInterfaceVersion;
        info.chain = entries;
    }
    IdentifierEntry entries[10];
    LibraryInfo info{};
};

}  // namespace

class TestVortabLexer : public QObject {
    Q_OBJECT

    FakeLibrary library;
    EditorSettings settings;

    // The style of every byte of token's first occurrence in line, after styling the line.
    QList<int> stylesOf(const TVORTABHighlighter& lexer, const QString& line, const QString& token) {
        ScriptEditor editor;
        editor.applySettings(settings, const_cast<TVORTABHighlighter*>(&lexer));
        editor.setText(line);
        editor.recolor();
        const int at = line.indexOf(token);
        const int from = static_cast<int>(line.left(at).toUtf8().size());
        QList<int> styles;
        for (int i = 0; i < token.toUtf8().size(); ++i)
            styles << static_cast<int>(editor.SendScintilla(QsciScintilla::SCI_GETSTYLEAT, from + i));
        editor.setLexer(nullptr);
        return styles;
    }

private slots:
    void initTestCase() { DefaultSettings(settings); }

    void classes_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("token");
        QTest::addColumn<int>("element");
        const auto row = [](const char* name, const QString& line, const QString& token, int element) {
            QTest::newRow(name) << line << token << element;
        };
        row("step heading", ":#51 Add field \"Freight\"", ":#51 Add field \"Freight\"", kRemark);
        row("remark after blanks", "   : remark", ": remark", kRemark);
        row("remark after a tab", "\t:x 12", ":x 12", kRemark);
        row("colon after text", "IF(TRUE) : no", ": no", kWhitespace);
        row("table command, lower case", "tbl_create(\"A\")", "tbl_create", kTableCommand);
        row("longer name", "TBL_CREATEX(1)", "TBL_CREATEX", kWhitespace);
        row("batch move", "TBL_BMOVE(\"A\")", "TBL_BMOVE", kTableCommand);
        row("field command", "FLD_ADD(\"A\")", "FLD_ADD", kFieldCommand);
        row("index command", "IX_ADD(\"A\")", "IX_ADD", kIndexCommand);
        row("check command", "VCHK_ADD(\"A\")", "VCHK_ADD", kCheckCommand);
        row("link command", "RI_ADD(\"A\")", "RI_ADD", kLinkCommand);
        row("command of no family", "ERROR(0)", "ERROR", kOtherIdentifier);
        row("function", "EXISTS_TABLE(\"A\")", "EXISTS_TABLE", kOtherIdentifier);
        row("word at line end", "IF(1,2,3) EXISTS_TABLE\r\nX", "EXISTS_TABLE", kOtherIdentifier);
        row("symbols", "IF(1,2)", "(", kSymbol);
        row("symbol run", "ERROR(ERROR(0))", "))", kSymbol);
        row("field type", "x,FLDZSTRING,y", "FLDZSTRING", kFieldType);
        row("field subtype", "x,FLDSTMONEY)", "FLDSTMONEY", kFieldSubtype);
        row("link qualifier", "x,CASCADE)", "CASCADE", kLinkQualifier);
        row("index option", "(PRI or UNQ)", "UNQ", kIndexOption);
        row("boolean, lower case", "(true)", "true", kBoolean);
        row("check qualifier", "(VCHKTODAY)", "VCHKTODAY", kCheckQualifier);
        row("batch mode", "(BATCOPY)", "BATCOPY", kBatchMode);
        row("table attribute", "(BLOCK_SIZE,2048)", "BLOCK_SIZE", kTableAttribute);
        row("registry root", "(HKEY_USERS,\"a\")", "HKEY_USERS", kRegistryRoot);
        row("privilege", "(PRVFULL)", "PRVFULL", kPrivilege);
        row("semicolon binds", "(PRI;x)", "PRI;x", kWhitespace);
        row("string", "FLD_ADD(\"a, (b)\",1)", "\"a, (b)\"", kString);
        row("string after 8-bit text", "(\"Größe\",12)", "12", kNumber);
        row("20 digits", "(12345678901234567890)", "12345678901234567890", kNumber);
        row("21 digits", "(123456789012345678901)", "123456789012345678901", kWhitespace);
        row("decimal", "(12.5)", "12.5", kNumber);
        row("four parts", "(1.2.3.4)", "1.2.3.4", kWhitespace);
        row("date", "(31.12.2001)", "31.12.2001", kDateTime);
        row("day and month alone", "(31.12)", "31.12", kNumber);
        row("no such day", "(31.02.2001)", "31.02.2001", kWhitespace);
        row("time", "(12:30)", "12:30", kDateTime);
        row("time with seconds", "(23:59:59)", "23:59:59", kDateTime);
        row("no such hour", "(25:30)", "25:30", kWhitespace);
        row("number before a colon", "(25:30)", "25", kWhitespace);
        row("digits in a name", "(X12)", "12", kWhitespace);
        row("after an operator", "(1+2)", "2", kNumber);
    }

    void classes() {
        QFETCH(QString, line);
        QFETCH(QString, token);
        QFETCH(int, element);
        TVORTABHighlighter lexer(settings, settings.colors, KeywordTable::Build(&library.info));
        const QList<int> styles = stylesOf(lexer, line, token);
        QCOMPARE(styles, QList<int>(styles.size(), element));
    }

    void withoutLibraryOnlyCommandsGo() {
        TVORTABHighlighter lexer(settings, settings.colors, KeywordTable::Build(nullptr));
        const QString line = "FLD_ADD(\"A\",FLDZSTRING,12) 31.12.2001";
        QCOMPARE(stylesOf(lexer, line, "FLD_ADD"), QList<int>(7, kWhitespace));
        QCOMPARE(stylesOf(lexer, line, "FLDZSTRING"), QList<int>(10, kFieldType));
        QCOMPARE(stylesOf(lexer, line, "\"A\""), QList<int>(3, kString));
        QCOMPARE(stylesOf(lexer, line, "12"), QList<int>(2, kNumber));
        QCOMPARE(stylesOf(lexer, line, "31.12.2001"), QList<int>(10, kDateTime));
    }

    void styleColoursAndPrintVariant() {
        const TVORTABHighlighter screen(settings, settings.colors, KeywordTable::Build(nullptr));
        QCOMPARE(screen.color(kRemark), QColor(0, 0, 255));          // FF0000 is blue
        QCOMPARE(screen.paper(kTableCommand), QColor(255, 255, 0));  // 00FFFF is yellow
        QVERIFY(screen.font(kTableCommand).bold());
        for (int style = 0; style < kElementCount; ++style) QVERIFY(!screen.description(style).isEmpty());

        const TVORTABHighlighter print(settings, settings.colors, KeywordTable::Build(nullptr), LexerUse::Print);
        for (int style = 0; style < kElementCount; ++style) {
            QCOMPARE(print.color(style), QColor(Qt::black));
            QCOMPARE(print.paper(style), QColor(Qt::white));
            QCOMPARE(print.font(style).bold(), screen.font(style).bold());
            QCOMPARE(print.font(style).italic(), screen.font(style).italic());
        }
    }
};

QTEST_MAIN(TestVortabLexer)
#include "test_vortab_lexer.moc"
