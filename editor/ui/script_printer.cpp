#include "editor/ui/script_printer.h"

#include <QPainter>
#include <QTemporaryDir>

#include "editor/ui/script_editor.h"

namespace vortab::ui {

ScriptPrinter::ScriptPrinter(const QString& title, QPrinter::PrinterMode mode) : QsciPrinter(mode), title_(title) {
    setWrapMode(QsciScintilla::WrapWord);
}

void ScriptPrinter::formatPage(QPainter& painter, bool drawing, QRect& area, int pageNumber) {
    if (onPage) onPage(pageNumber, drawing);
    const QFont font(QStringLiteral("DejaVu Sans"), 9);
    const int height = QFontMetrics(font, painter.device()).height();
    if (drawing) {
        painter.save();
        painter.setFont(font);
        painter.setPen(Qt::black);
        const QRect header(area.left(), area.top(), area.width(), height);
        painter.drawText(header, Qt::AlignLeft | Qt::AlignVCenter, title_);
        painter.drawText(header, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Page %1").arg(pageNumber));
        painter.drawLine(area.left(), area.top() + height + height / 4, area.right(), area.top() + height + height / 4);
        painter.restore();
    }
    area.setTop(area.top() + height * 2);
}

std::unique_ptr<ScriptEditor> MakePrintCopy(const QString& text, const EditorSettings& settings, QsciLexer* lexer,
                                            bool colour) {
    auto copy = std::make_unique<ScriptEditor>();
    copy->setGutterVisible(false);
    copy->applySettings(settings, lexer);
    copy->setText(text);
    if (lexer) copy->recolor();
    copy->SendScintilla(QsciScintillaBase::SCI_SETPRINTCOLOURMODE,
                        colour ? QsciScintillaBase::SC_PRINT_COLOURONWHITE : QsciScintillaBase::SC_PRINT_BLACKONWHITE);
    return copy;
}

int CountPages(ScriptEditor& copy, const QPrinter& layout, const QString& title) {
    QTemporaryDir scratch;
    ScriptPrinter counter(title, QPrinter::HighResolution);
    counter.setOutputFormat(QPrinter::PdfFormat);
    counter.setOutputFileName(scratch.filePath(QStringLiteral("count.pdf")));
    counter.setPageLayout(layout.pageLayout());
    int pages = 0;
    counter.onPage = [&pages](int page, bool) { pages = std::max(pages, page); };
    counter.printRange(&copy);
    return std::max(pages, 1);
}

}  // namespace vortab::ui
