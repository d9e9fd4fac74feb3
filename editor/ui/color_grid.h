// ColorGrid: the 16 standard colours in a 4 x 4 grid with a foreground mark (left click) and a
// background mark (right click); either choice can be disabled. -1 means no mark.
#pragma once
#include <QColor>
#include <QWidget>

namespace vortab::ui {

class ColorGrid : public QWidget {
    Q_OBJECT
public:
    explicit ColorGrid(QWidget* parent = nullptr);

    static constexpr int kCount = 16;
    static QColor colorAt(int index);
    // The grid index of a colour, -1 when it is not one of the 16.
    static int indexOf(const QColor& color);

    int foregroundIndex() const { return foreground_; }
    int backgroundIndex() const { return background_; }
    void setMarks(int foreground, int background);
    void setForegroundEnabled(bool on);
    void setBackgroundEnabled(bool on);
    // The cell under a point, -1 outside the grid.
    int cellAt(const QPoint& point) const;
    QRect cellRect(int index) const;

signals:
    void foregroundChosen(int index);
    void backgroundChosen(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    QSize sizeHint() const override { return {200, 120}; }

private:
    int foreground_ = -1, background_ = -1;
    bool foregroundEnabled_ = true, backgroundEnabled_ = true;
};

}  // namespace vortab::ui
