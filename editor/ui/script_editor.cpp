#include "editor/ui/script_editor.h"

#include <Qsci/qscilexer.h>

namespace vortab::ui {

ScriptEditor::ScriptEditor(QWidget* parent) : QsciScintilla(parent) {
    setUtf8(true);
    setMarginType(0, QsciScintilla::NumberMargin);
    setMarginWidth(1, 0);
    setWrapMode(QsciScintilla::WrapNone);
    connect(this, &QsciScintilla::linesChanged, this, &ScriptEditor::fitGutter);
}

void ScriptEditor::applySettings(const EditorSettings& settings, QsciLexer* lexer, bool gutter) {
    gutter_ = gutter;
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

void ScriptEditor::fitGutter() {
    if (!gutter_) {
        setMarginWidth(0, 0);
        return;
    }
    setMarginWidth(0, QString("00%1").arg(lines()));
}

}  // namespace vortab::ui
