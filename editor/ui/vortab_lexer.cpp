#include "editor/ui/vortab_lexer.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QLocale>
#include <QPalette>
#include <cstdlib>
#include <cstring>

namespace vortab::ui {

DateOrder UserDateOrder() {
    if (const char* pinned = std::getenv("VORTAB_DATE_ORDER")) {
        if (std::strcmp(pinned, "DMY") == 0) return DateOrder::DMY;
        if (std::strcmp(pinned, "MDY") == 0) return DateOrder::MDY;
        if (std::strcmp(pinned, "YMD") == 0) return DateOrder::YMD;
    }
    const QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
    const qsizetype d = format.indexOf('d'), m = format.indexOf('M'), y = format.indexOf('y');
    if (d < 0 || m < 0 || y < 0) return DateOrder::MDY;
    if (y < m && m < d) return DateOrder::YMD;
    return d < m ? DateOrder::DMY : DateOrder::MDY;
}

QColor ColorFromValue(std::int32_t value, const QColor& fallback) {
    if (value == kDefaultColor) return fallback;
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

std::int32_t ValueFromColor(const QColor& color) {
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

TVORTABHighlighter::TVORTABHighlighter(const EditorSettings& settings, const ColorTable& colors,
                                       KeywordTable keywords, LexerUse use, QObject* parent)
    : QsciLexerCustom(parent), keywords_(std::move(keywords)), dateOrder_(UserDateOrder()) {
    applyStyles(settings, colors, use);
}

void TVORTABHighlighter::applyStyles(const EditorSettings& settings, const ColorTable& colors, LexerUse use) {
    const QColor windowColor = QApplication::palette().color(QPalette::Base);
    const QColor textColor = QApplication::palette().color(QPalette::Text);
    const bool print = use == LexerUse::Print;
    const QColor paper = print ? QColor(Qt::white) : ColorFromValue(colors[kWhitespace].background, windowColor);
    setDefaultPaper(paper);
    setDefaultColor(print ? QColor(Qt::black) : ColorFromValue(colors[kWhitespace].foreground, textColor));
    for (int style = 0; style < kElementCount; ++style) {
        const ColorEntry& entry = colors[style];
        QFont font(QString::fromStdString(entry.style & kAltFont ? settings.altFontName : settings.fontName),
                   settings.fontSize);
        font.setBold(entry.style & kBold);
        font.setItalic(entry.style & kItalic);
        font.setUnderline(entry.style & kUnderline);
        setFont(font, style);
        setColor(print ? QColor(Qt::black) : ColorFromValue(entry.foreground, textColor), style);
        setPaper(print ? QColor(Qt::white) : ColorFromValue(entry.background, paper), style);
    }
    setDefaultFont(font(kWhitespace));
}

QString TVORTABHighlighter::description(int style) const {
    if (style < 0 || style >= kElementCount) return {};
    return QString::fromLatin1(SyntaxElements()[style].name);
}

void TVORTABHighlighter::styleText(int start, int end) {
    QsciScintilla* control = editor();
    if (!control || start >= end) return;
    int line = 0, index = 0;
    control->lineIndexFromPosition(start, &line, &index);
    int lastLine = 0;
    control->lineIndexFromPosition(end - 1, &lastLine, &index);
    const int from = static_cast<int>(control->positionFromLineIndex(line, 0));
    startStyling(from);
    for (int l = line; l <= lastLine; ++l) {
        const int lineStart = static_cast<int>(control->positionFromLineIndex(l, 0));
        const int lineEnd = l + 1 < control->lines() ? static_cast<int>(control->positionFromLineIndex(l + 1, 0))
                                                     : control->length();
        const QByteArray bytes = control->bytes(lineStart, lineEnd);
        // bytes() appends a terminating zero; the line end is styled as whitespace.
        std::string_view text(bytes.constData(), static_cast<std::size_t>(std::max(0, lineEnd - lineStart)));
        std::size_t content = text.size();
        while (content > 0 && (text[content - 1] == '\n' || text[content - 1] == '\r')) --content;
        auto classes = ClassifyLine(text.substr(0, content), keywords_, dateOrder_);
        classes.resize(text.size(), kWhitespace);
        std::size_t k = 0;
        while (k < classes.size()) {
            std::size_t run = k;
            while (run < classes.size() && classes[run] == classes[k]) ++run;
            setStyling(static_cast<int>(run - k), classes[k]);
            k = run;
        }
    }
}

}  // namespace vortab::ui
