// The script text control: a QScintilla editor with a line-number gutter that widens with the
// line count, the editor font of the settings and the script highlighter (or none).
#pragma once
#include <Qsci/qsciscintilla.h>

#include "editor/ui/editor_settings.h"

namespace vortab::ui {

class ScriptEditor : public QsciScintilla {
    Q_OBJECT
public:
    explicit ScriptEditor(QWidget* parent = nullptr);

    // Font and gutter from the settings; lexer may be null (no highlighting). The control does
    // not own the lexer.
    void applySettings(const EditorSettings& settings, QsciLexer* lexer, bool gutter = true);

private:
    void fitGutter();
    bool gutter_ = true;
};

}  // namespace vortab::ui
