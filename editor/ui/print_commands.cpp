// The main window's print commands: print (with the page range of the print dialog), preview
// and printer setup. The printed copy is plain text when syntax printing is off, highlighted in
// black and white, or in the screen colours when colour printing is on too.
#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QStatusBar>

#include "editor/ui/main_window.h"
#include "editor/ui/script_editor.h"
#include "editor/ui/script_printer.h"

namespace vortab::ui {

ScriptPrinter& TKestrel::printer() {
    if (!printer_) printer_ = std::make_unique<ScriptPrinter>(QString());
    printer_->setTitle(QFileInfo(FileName).fileName());
    return *printer_;
}

std::unique_ptr<ScriptEditor> TKestrel::printCopy() {
    if (!settings_.syntaxPrint) return MakePrintCopy(MainEdit->text(), settings_, nullptr, false);
    if (!settings_.colorPrint) return MakePrintCopy(MainEdit->text(), settings_, printHighlighter_.get(), false);
    colourPrintHighlighter_ = std::make_unique<TVORTABHighlighter>(settings_, settings_.colors,
                                                                   KeywordTable::Build(libraryInfo_));
    return MakePrintCopy(MainEdit->text(), settings_, colourPrintHighlighter_.get(), true);
}

bool TKestrel::PrintTo(ScriptPrinter& target) {
    printing_ = true;
    const auto copy = printCopy();
    const int from = target.fromPage(), to = target.toPage();
    const int pages = from > 0 && to >= from ? to - from + 1 : countPages(*copy, target);
    StartProgress("Printing...", pages);
    target.onPage = [this, &target](int, bool drawing) {
        // Pages before the chosen range are laid out, not printed.
        ShowFormatting(!drawing);
        if (!drawing) return;
        if (AbortRequested) target.abort();
        StepProgress();
    };
    const bool printed = target.printRange(copy.get()) > 0;
    target.onPage = nullptr;
    printing_ = false;
    EndProgress();
    return printed;
}

void TKestrel::Print() {
    ScriptPrinter& target = printer();
    const int pages = countPages(*printCopy(), target);
    QPrintDialog dialog(&target, previewing_ ? QApplication::activeWindow() : this);
    dialog.setMinMax(1, pages);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, pages > 1);
    if (dialog.exec() != QDialog::Accepted) return;
    PrintTo(target);
}

void TKestrel::Preview() {
    if (previewing_) return;
    previewing_ = true;
    QPrintPreviewDialog preview(&printer(), this);
    preview.setWindowTitle(QStringLiteral("Document preview"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) {
        const auto copy = printCopy();
        ShowFormatting(true);
        static_cast<ScriptPrinter*>(target)->printRange(copy.get());
        ShowFormatting(false);
    });
    for (QAction* action : preview.findChildren<QAction*>()) {
        const QString caption = action->text().remove('&');
        if (caption.compare(QStringLiteral("Page setup"), Qt::CaseInsensitive) == 0) action->setVisible(false);
        if (caption.compare(QStringLiteral("Print"), Qt::CaseInsensitive) == 0) {
            // Print from the preview keeps the preview open.
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, [this] { runGuarded([this] { Print(); }); });
        }
    }
    preview.resize(window()->size());
    preview.setWindowState(Qt::WindowMaximized);
    preview.exec();
    previewing_ = false;
    EndProgress();
}

int TKestrel::countPages(ScriptEditor& copy, const QPrinter& layout) {
    ShowFormatting(true);
    const int pages = CountPages(copy, layout, QFileInfo(FileName).fileName());
    ShowFormatting(false);
    return pages;
}

void TKestrel::ShowFormatting(bool formatting) {
    if (formatting_ == formatting) return;
    formatting_ = formatting;
    UpdateStatusBar();
    // Painted at once: laying out pages holds the event loop.
    statusBar()->repaint();
}

void TKestrel::PrinterSetup() {
    QPageSetupDialog dialog(&printer(), this);
    dialog.exec();
}

}  // namespace vortab::ui
