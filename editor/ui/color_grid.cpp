#include "editor/ui/color_grid.h"

#include <QMouseEvent>
#include <QPainter>

namespace vortab::ui {

ColorGrid::ColorGrid(QWidget* parent) : QWidget(parent) { setMinimumSize(160, 96); }

QColor ColorGrid::colorAt(int index) {
    static const QColor colors[kCount] = {
        {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
        {0, 128, 128}, {128, 128, 128}, {192, 192, 192}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
        {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    return index >= 0 && index < kCount ? colors[index] : QColor();
}

int ColorGrid::indexOf(const QColor& color) {
    for (int i = 0; i < kCount; ++i)
        if (colorAt(i).rgb() == color.rgb()) return i;
    return -1;
}

void ColorGrid::setMarks(int foreground, int background) {
    foreground_ = foreground;
    background_ = background;
    update();
}

void ColorGrid::setForegroundEnabled(bool on) {
    foregroundEnabled_ = on;
    update();
}

void ColorGrid::setBackgroundEnabled(bool on) {
    backgroundEnabled_ = on;
    update();
}

QRect ColorGrid::cellRect(int index) const {
    const int w = width() / 4, h = height() / 4;
    return {(index % 4) * w, (index / 4) * h, w, h};
}

int ColorGrid::cellAt(const QPoint& p) const {
    for (int i = 0; i < kCount; ++i)
        if (cellRect(i).contains(p)) return i;
    return -1;
}

void ColorGrid::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (int i = 0; i < kCount; ++i) {
        const QRect r = cellRect(i).adjusted(1, 1, -1, -1);
        painter.fillRect(r, isEnabled() ? colorAt(i) : colorAt(i).lighter(150));
        painter.setPen(Qt::gray);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        const QColor ink = colorAt(i).lightness() < 128 ? Qt::white : Qt::black;
        painter.setPen(ink);
        QString mark;
        if (i == foreground_ && foregroundEnabled_) mark += "FG";
        if (i == background_ && backgroundEnabled_) mark += mark.isEmpty() ? "BG" : "/BG";
        if (!mark.isEmpty()) painter.drawText(r, Qt::AlignCenter, mark);
    }
}

void ColorGrid::mousePressEvent(QMouseEvent* event) {
    const int cell = cellAt(event->position().toPoint());
    if (cell < 0) return;
    if (event->button() == Qt::LeftButton && foregroundEnabled_) {
        setMarks(cell, background_);
        emit foregroundChosen(cell);
    } else if (event->button() == Qt::RightButton && backgroundEnabled_) {
        setMarks(foreground_, cell);
        emit backgroundChosen(cell);
    }
}

}  // namespace vortab::ui
