#include "editor/ui/color_page.h"

#include <QCheckBox>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/ui/color_grid.h"
#include "editor/ui/script_editor.h"
#include "editor/ui/vortab_lexer.h"

namespace vortab::ui {
namespace {

QString TodayWithDots() {
    switch (UserDateOrder()) {
    case DateOrder::DMY: return QDate::currentDate().toString("dd.MM.yyyy");
    case DateOrder::MDY: return QDate::currentDate().toString("MM.dd.yyyy");
    case DateOrder::YMD: break;
    }
    return QDate::currentDate().toString("yyyy.MM.dd");
}

// The grid cell of a colour value; -1 for the default colour or a colour not in the grid.
int GridIndex(std::int32_t value) {
    return value == kDefaultColor ? -1 : ColorGrid::indexOf(ColorFromValue(value, QColor()));
}

}  // namespace

QString ColorSampleText() {
    const char* rows[] = {
        R"(:#51 Add field "Freight")",
        R"( fld_add("ORDERS","Freight",FLDFLOAT,FLDSTMONEY,1,0))",
        R"(:#52 Adjust block size)",
        R"( TBL_SETATTR("ORDERS",BLOCK_SIZE,2048))",
        R"(:#53 Add primary index)",
        R"( ix_add("ORDERS","","OrderNo","",PRI or UNQ))",
        R"(:#54 Add validity check on field "OrdDate")",
        R"( vchk_add("ORDERS","OrdDate",VCHKFALSE,VCHKFALSE,VCHKTRUE,0,0, %1,"",TRUE))",
        R"(:#55 Add ref.int. "RefCustinOrders": "CUSTOMER" (field[s] "CustNo")->"ORDERS" (field[s] "CustNo"))",
        R"( ri_add("ORDERS","CustNo","CUSTOMER","CustNo","RefCustinOrders",RESTRICT))",
        R"(:#56 check registry entry)",
        R"( IF(REG_STR(HKEY_CURRENT_USER,"software\my_company\my_app\settings","default_source")="",ERROR(2000),ERROR(0)))",
        R"(:#57 Fill-in initial values by using batchmove)",
        R"( TBL_BMOVE("ORDERS",REG_STR(HKEY_CURRENT_USER,"software\my_company\my_app\settings","default_source"),"ORDERS","",FALSE, BATAPPENDUPDATE))",
        R"(:#58 Set master & auxiliary passwords)",
        R"( TBL_AUXPSWD("ORDERS","boss","john",PRVREADONLY,"","comment"))",
    };
    QStringList lines;
    for (const char* row : rows) lines << QString::fromLatin1(row);
    return lines.join('\n').arg(TodayWithDots());
}

TFrmColors::TFrmColors(const EditorSettings& settings, KeywordTable keywords, QWidget* parent)
    : QWidget(parent), settings_(settings), keywords_(std::move(keywords)), colors_(settings.colors) {
    cbUseSyntaxHL = new QCheckBox(QStringLiteral("Use synta&x highlighting"), this);
    cbUseSyntaxHL->setChecked(settings.colorSyntax);
    lbElements = new QListWidget(this);
    for (const ElementInfo& e : SyntaxElements()) lbElements->addItem(QString::fromLatin1(e.name));
    auto* elementLabel = new QLabel(QStringLiteral("&Element"), this);
    elementLabel->setBuddy(lbElements);
    grdColors = new ColorGrid(this);
    auto* colorLabel = new QLabel(QStringLiteral("&Colors"), this);
    colorLabel->setBuddy(grdColors);

    auto* attributes = new QGroupBox(QStringLiteral("Text attributes"), this);
    cbBold = new QCheckBox(QStringLiteral("&Bold"), attributes);
    cbItalic = new QCheckBox(QStringLiteral("&Italic"), attributes);
    cbUnderline = new QCheckBox(QStringLiteral("&Underline"), attributes);
    cbAltFont = new QCheckBox(QStringLiteral("&Alt.font"), attributes);
    auto* attributeLayout = new QVBoxLayout(attributes);
    for (QCheckBox* box : {cbBold, cbItalic, cbUnderline, cbAltFont}) attributeLayout->addWidget(box);
    auto* defaults = new QGroupBox(QStringLiteral("Use defaults for"), this);
    cbDefaultForeground = new QCheckBox(QStringLiteral("&Foreground"), defaults);
    cbDefaultBackground = new QCheckBox(QStringLiteral("Back&ground"), defaults);
    auto* defaultLayout = new QVBoxLayout(defaults);
    defaultLayout->addWidget(cbDefaultForeground);
    defaultLayout->addWidget(cbDefaultBackground);
    btnReset = new QPushButton(QStringLiteral("&Reset defaults"), this);
    btnReset->setAutoDefault(false);

    ColorMemo = new ScriptEditor(this);
    ColorMemo->setReadOnly(true);
    ColorMemo->setText(ColorSampleText());
    ColorMemo->setMinimumHeight(180);

    auto* grid = new QGridLayout(this);
    grid->addWidget(cbUseSyntaxHL, 0, 0, 1, 3);
    grid->addWidget(elementLabel, 1, 0);
    grid->addWidget(colorLabel, 1, 1);
    grid->addWidget(lbElements, 2, 0, 3, 1);
    grid->addWidget(grdColors, 2, 1);
    grid->addWidget(attributes, 2, 2);
    grid->addWidget(defaults, 3, 1);
    grid->addWidget(btnReset, 3, 2, Qt::AlignTop);
    grid->addWidget(ColorMemo, 5, 0, 1, 3);
    grid->setRowStretch(5, 1);

    connect(cbUseSyntaxHL, &QCheckBox::toggled, this, [this] {
        updateEnabling();
        rebuildSample();
    });
    connect(lbElements, &QListWidget::currentRowChanged, this, &TFrmColors::showElement);
    for (QCheckBox* box : {cbBold, cbItalic, cbUnderline, cbAltFont})
        connect(box, &QCheckBox::toggled, this, &TFrmColors::storeStyle);
    connect(cbDefaultForeground, &QCheckBox::toggled, this, [this] { storeColor(true); });
    connect(cbDefaultBackground, &QCheckBox::toggled, this, [this] { storeColor(false); });
    connect(grdColors, &ColorGrid::foregroundChosen, this, [this] { storeColor(true); });
    connect(grdColors, &ColorGrid::backgroundChosen, this, [this] { storeColor(false); });
    connect(btnReset, &QPushButton::clicked, this, [this] {
        colors_ = DefaultColors();
        showElement(currentElement());
        rebuildSample();
    });
    connect(ColorMemo, &QsciScintilla::cursorPositionChanged, this, &TFrmColors::selectElementAtCaret);

    lbElements->setCurrentRow(0);
    updateEnabling();
    rebuildSample();
}

TFrmColors::~TFrmColors() { ColorMemo->setLexer(nullptr); }

bool TFrmColors::useSyntaxHighlighting() const { return cbUseSyntaxHL->isChecked(); }

int TFrmColors::currentElement() const { return std::max(0, lbElements->currentRow()); }

void TFrmColors::setFonts(const QString& font, const QString& altFont, int size) {
    settings_.fontName = font.toStdString();
    settings_.altFontName = altFont.toStdString();
    settings_.fontSize = size;
    rebuildSample();
}

void TFrmColors::showElement(int element) {
    if (element < 0 || element >= kElementCount) return;
    showing_ = true;
    if (lbElements->currentRow() != element) lbElements->setCurrentRow(element);
    const ColorEntry& entry = colors_[element];
    cbBold->setChecked(entry.style & kBold);
    cbItalic->setChecked(entry.style & kItalic);
    cbUnderline->setChecked(entry.style & kUnderline);
    cbAltFont->setChecked(entry.style & kAltFont);
    cbDefaultForeground->setChecked(entry.foreground == kDefaultColor);
    cbDefaultBackground->setChecked(entry.background == kDefaultColor);
    grdColors->setMarks(GridIndex(entry.foreground), GridIndex(entry.background));
    showing_ = false;
    updateEnabling();
}

void TFrmColors::storeStyle() {
    if (showing_) return;
    ColorEntry& entry = colors_[currentElement()];
    std::uint8_t style = entry.style & ~kStyleMask;
    if (cbBold->isChecked()) style |= kBold;
    if (cbItalic->isChecked()) style |= kItalic;
    if (cbUnderline->isChecked()) style |= kUnderline;
    if (cbAltFont->isChecked()) style |= kAltFont;
    entry.style = style;
    rebuildSample();
}

// A ticked default box stores -1; otherwise the grid's colour. A colour outside the grid stays
// as it is until the user picks a grid colour for it; a default colour unticked with no mark
// becomes the grid's black (foreground) or white (background).
void TFrmColors::storeColor(bool foreground) {
    if (showing_) return;
    ColorEntry& entry = colors_[currentElement()];
    std::int32_t& value = foreground ? entry.foreground : entry.background;
    const int cell = foreground ? grdColors->foregroundIndex() : grdColors->backgroundIndex();
    if ((foreground ? cbDefaultForeground : cbDefaultBackground)->isChecked()) value = kDefaultColor;
    else if (cell >= 0) value = ValueFromColor(ColorGrid::colorAt(cell));
    else if (value == kDefaultColor) value = foreground ? 0 : 0xFFFFFF;
    grdColors->setMarks(GridIndex(entry.foreground), GridIndex(entry.background));
    updateEnabling();
    rebuildSample();
}

void TFrmColors::updateEnabling() {
    const bool on = cbUseSyntaxHL->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{cbBold, cbItalic, cbUnderline, cbAltFont, cbDefaultForeground,
                                                      cbDefaultBackground, lbElements, grdColors, btnReset})
        w->setEnabled(on);
    grdColors->setForegroundEnabled(on && !cbDefaultForeground->isChecked());
    grdColors->setBackgroundEnabled(on && !cbDefaultBackground->isChecked());
}

void TFrmColors::rebuildSample() {
    ColorMemo->setLexer(nullptr);
    lexer_.reset();
    if (cbUseSyntaxHL->isChecked()) lexer_ = std::make_unique<TVORTABHighlighter>(settings_, colors_, keywords_);
    ColorMemo->setGutterVisible(false);
    ColorMemo->applySettings(settings_, lexer_.get());
    if (lexer_) ColorMemo->recolor();
}

void TFrmColors::selectElementAtCaret() {
    if (!cbUseSyntaxHL->isChecked()) return;
    const long position = ColorMemo->SendScintilla(QsciScintilla::SCI_GETCURRENTPOS);
    const int style = static_cast<int>(ColorMemo->SendScintilla(QsciScintilla::SCI_GETSTYLEAT, position));
    if (style >= 0 && style < kElementCount) showElement(style);
}

}  // namespace vortab::ui
