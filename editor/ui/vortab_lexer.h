// TVORTABHighlighter: the QScintilla lexer of the script language. It classes each line with
// the highlight rules and paints the 22 element styles from a colour table; the print variant
// keeps the font styles and paints black on white.
#pragma once
#include <Qsci/qscilexercustom.h>

#include <QColor>
#include <QFont>

#include "editor/ui/editor_settings.h"
#include "editor/ui/highlight_rules.h"

namespace vortab::ui {

enum class LexerUse { Screen, Print };

// The date order of date literals: VORTAB_DATE_ORDER (DMY, MDY, YMD) when set, else the locale's.
DateOrder UserDateOrder();

// A Windows colour value (0x00BBGGRR) as a QColor; -1 gives fallback.
QColor ColorFromValue(std::int32_t value, const QColor& fallback);
std::int32_t ValueFromColor(const QColor& color);

class TVORTABHighlighter : public QsciLexerCustom {
    Q_OBJECT
public:
    TVORTABHighlighter(const EditorSettings& settings, const ColorTable& colors, KeywordTable keywords,
                       LexerUse use = LexerUse::Screen, QObject* parent = nullptr);

    const char* language() const override { return "VORTAB"; }
    QString description(int style) const override;
    void styleText(int start, int end) override;

private:
    void applyStyles(const EditorSettings& settings, const ColorTable& colors, LexerUse use);

    KeywordTable keywords_;
    DateOrder dateOrder_;
};

}  // namespace vortab::ui
