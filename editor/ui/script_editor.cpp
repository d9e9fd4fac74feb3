#include "editor/ui/script_editor.h"

#include <Qsci/qscilexer.h>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QMimeData>

#include <cctype>

#include "editor/runner/identifier_signature.h"
#include "editor/ui/constant_keywords.h"
#include "editor/ui/highlight_rules.h"
#include "editor/ui/script_file.h"

namespace vortab::ui {

ScriptEditor::ScriptEditor(QWidget* parent) : QsciScintilla(parent) {
    setUtf8(true);
    setMarginType(0, QsciScintilla::NumberMargin);
    setMarginWidth(1, 0);
    setWrapMode(QsciScintilla::WrapNone);
    setEolMode(QsciScintilla::EolWindows);
    connect(this, &QsciScintilla::linesChanged, this, &ScriptEditor::fitGutter);
    connect(this, &QsciScintillaBase::SCN_CHARADDED, this, &ScriptEditor::characterAdded);
    // Tips and completion come from the identifier list below, not from QScintilla's own sources.
    setCallTipsStyle(QsciScintilla::CallTipsNone);
    SendScintilla(SCI_AUTOCSETIGNORECASE, 1);
    SendScintilla(SCI_AUTOCSETSEPARATOR, static_cast<unsigned long>(' '));
}

void ScriptEditor::setIdentifiers(const LibraryInfo* info) {
    signatures_.clear();
    for (const IdentifierEntry* e = info ? info->chain : nullptr; e; e = e->next)
        if (e->name && *e->name) signatures_.insert(QString::fromLatin1(e->name).toUpper(),
                                                    QString::fromStdString(IdentifierSignature(*e)));
    QStringList names = signatures_.keys();
    for (const KeywordFamily& family : ConstantKeywordFamilies())
        for (const std::string& word : family.words) names << QString::fromStdString(word);
    names.sort(Qt::CaseInsensitive);
    names.removeDuplicates();
    completionList_ = names.join(' ').toLatin1();
}

QString ScriptEditor::callTipFor(const QString& name) const { return signatures_.value(name.toUpper()); }

// "(" after a known name shows its argument list; three letters of a word offer completion.
void ScriptEditor::characterAdded(int character) {
    // Tips and lists are popups placed on the control's screen.
    if (!isVisible()) return;
    const long position = SendScintilla(SCI_GETCURRENTPOS);
    if (character == '(') {
        const long start = SendScintilla(SCI_WORDSTARTPOSITION, position - 1, true);
        // bytes() ends in a terminating zero.
        const QByteArray name = bytes(static_cast<int>(start), static_cast<int>(position - 1));
        const QString tip = callTipFor(QString::fromUtf8(name.constData()));
        if (!tip.isEmpty()) SendScintilla(SCI_CALLTIPSHOW, position, tip.toUtf8().constData());
        return;
    }
    if (character == ')') SendScintilla(SCI_CALLTIPCANCEL);
    const bool wordCharacter = std::isalnum(character) || character == '_';
    if (!wordCharacter || completionList_.isEmpty() || SendScintilla(SCI_AUTOCACTIVE)) return;
    const long start = SendScintilla(SCI_WORDSTARTPOSITION, position, true);
    if (position - start >= 3) SendScintilla(SCI_AUTOCSHOW, position - start, completionList_.constData());
}

void ScriptEditor::applySettings(const EditorSettings& settings, QsciLexer* lexer) {
    const QFont font(QString::fromStdString(settings.fontName), settings.fontSize);
    setLexer(lexer);
    if (!lexer) {
        setFont(font);
        SendScintilla(SCI_STYLESETFONT, STYLE_DEFAULT, font.family().toUtf8().constData());
        SendScintilla(SCI_STYLESETSIZE, STYLE_DEFAULT, settings.fontSize);
        SendScintilla(SCI_STYLECLEARALL);
    }
    setMarginsFont(font);
    fitGutter();
}

void ScriptEditor::setGutterVisible(bool visible) {
    gutter_ = visible;
    fitGutter();
}

void ScriptEditor::fitGutter() { setMarginWidth(0, gutter_ ? QString("00%1").arg(lines()) : QString()); }

QStringList ScriptEditor::scriptLines() const { return SplitLines(text()); }

QString ScriptEditor::caretLineText() const {
    int line = 0, index = 0;
    getCursorPosition(&line, &index);
    QString lineText = text(line);
    while (lineText.endsWith('\n') || lineText.endsWith('\r')) lineText.chop(1);
    return lineText;
}

QString ScriptEditor::wordAtCaret() const {
    int line = 0, index = 0;
    getCursorPosition(&line, &index);
    const QString lineText = caretLineText();
    // The index counts bytes of the UTF-8 line; turn it into a character position.
    const int caret = static_cast<int>(QString::fromUtf8(lineText.toUtf8().left(index)).size());
    const auto separator = [&](int i) { return lineText[i].unicode() < 128 && IsWordSeparator(char(lineText[i].unicode())); };
    int from = caret, to = caret;
    while (from > 0 && !separator(from - 1)) --from;
    while (to < lineText.size() && !separator(to)) ++to;
    return lineText.mid(from, to - from);
}

void ScriptEditor::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
    else QsciScintilla::dragEnterEvent(event);
}

void ScriptEditor::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
    else QsciScintilla::dragMoveEvent(event);
}

void ScriptEditor::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls()) {
        QsciScintilla::dropEvent(event);
        return;
    }
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    event->acceptProposedAction();
    emit filesDropped(paths, event->position().toPoint());
}

void ScriptEditor::contextMenuEvent(QContextMenuEvent* event) { emit contextMenuRequested(event->globalPos()); }

}  // namespace vortab::ui
