// The script text control: a QScintilla editor with a line-number gutter that widens with the
// line count, the editor font of the settings and the script highlighter (or none). Paths
// dropped on it and its context menu request are handed to the window as signals.
#pragma once
#include <Qsci/qsciscintilla.h>
#include <QMap>
#include <QStringList>

#include "shared/identifier_entry.h"

#include "editor/ui/editor_settings.h"

namespace vortab::ui {

class ScriptEditor : public QsciScintilla {
    Q_OBJECT
public:
    explicit ScriptEditor(QWidget* parent = nullptr);

    // Font and gutter from the settings; lexer may be null (no highlighting). The control does
    // not own the lexer.
    void applySettings(const EditorSettings& settings, QsciLexer* lexer);
    void setGutterVisible(bool visible);
    bool gutterVisible() const { return gutter_; }

    QStringList scriptLines() const;
    bool hasLines() const { return length() > 0; }
    // The word at the caret, bounded by the script's word separators.
    QString wordAtCaret() const;
    QString caretLineText() const;
    // The names completed while typing and the argument lists shown as call tips after "(".
    void setIdentifiers(const LibraryInfo* info);
    QString callTipFor(const QString& name) const;

signals:
    void filesDropped(const QStringList& paths, const QPoint& position);
    void contextMenuRequested(const QPoint& globalPosition);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void fitGutter();
    void characterAdded(int character);
    bool gutter_ = true;
    QMap<QString, QString> signatures_;  // upper-case name -> call tip
    QByteArray completionList_;
};

}  // namespace vortab::ui
