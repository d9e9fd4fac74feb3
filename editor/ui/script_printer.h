// ScriptPrinter: the print engine of the editor. It lays out a script on pages with a header
// line (the script's name and the page number), reports each page it formats, and prints a
// copy of the script: plain text, highlighted in black and white, or in the screen colours.
#pragma once
#include <Qsci/qsciprinter.h>
#include <functional>
#include <memory>

#include "editor/ui/editor_settings.h"

class QsciLexer;

namespace vortab::ui {

class ScriptEditor;

class ScriptPrinter : public QsciPrinter {
public:
    explicit ScriptPrinter(const QString& title, QPrinter::PrinterMode mode = QPrinter::HighResolution);

    // Called for every page the engine formats (drawing: the page is printed, not only counted).
    std::function<void(int page, bool drawing)> onPage;
    void formatPage(QPainter& painter, bool drawing, QRect& area, int pageNumber) override;
    void setTitle(const QString& title) { title_ = title; }

private:
    QString title_;
};

// A hidden copy of the script styled for printing; lexer null prints plain text. The copy does
// not own the lexer.
std::unique_ptr<ScriptEditor> MakePrintCopy(const QString& text, const EditorSettings& settings, QsciLexer* lexer,
                                            bool colour);

// The number of pages the copy takes on the printer's page layout.
int CountPages(ScriptEditor& copy, const QPrinter& layout, const QString& title);

}  // namespace vortab::ui
