// TFrmColors: the colours page of the options dialog. It edits a working copy of the colour
// table element by element and shows the effect at once on a sample script, whose highlighter
// is rebuilt after every change. Picking text in the sample selects its element.
#pragma once
#include <QWidget>
#include <memory>

#include "editor/ui/editor_settings.h"
#include "editor/ui/highlight_rules.h"

class QCheckBox;
class QListWidget;
class QPushButton;

namespace vortab::ui {

class ColorGrid;
class ScriptEditor;
class TVORTABHighlighter;

// The sample script, one row per line; today's date written with "." stands in row 8.
QString ColorSampleText();

class TFrmColors : public QWidget {
    Q_OBJECT
public:
    TFrmColors(const EditorSettings& settings, KeywordTable keywords, QWidget* parent = nullptr);
    ~TFrmColors() override;

    const ColorTable& colors() const { return colors_; }
    bool useSyntaxHighlighting() const;
    // The fonts of the first page; the sample follows them each time the page is shown.
    void setFonts(const QString& font, const QString& altFont, int size);
    // Shows the entry of an element in the controls without storing anything.
    void showElement(int element);
    int currentElement() const;

    QCheckBox* cbUseSyntaxHL;
    QListWidget* lbElements;
    ColorGrid* grdColors;
    QCheckBox* cbBold;
    QCheckBox* cbItalic;
    QCheckBox* cbUnderline;
    QCheckBox* cbAltFont;
    QCheckBox* cbDefaultForeground;
    QCheckBox* cbDefaultBackground;
    QPushButton* btnReset;
    ScriptEditor* ColorMemo;

private:
    void storeStyle();
    void storeColor(bool foreground);
    void updateEnabling();
    void rebuildSample();
    void selectElementAtCaret();

    EditorSettings settings_;
    KeywordTable keywords_;
    ColorTable colors_;
    std::unique_ptr<TVORTABHighlighter> lexer_;
    bool showing_ = false;
};

}  // namespace vortab::ui
