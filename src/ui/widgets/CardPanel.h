#pragma once
// Panel1: the card at true size. Boxes and the inline editor are its children;
// a left click where none of them lies is a click on the card background.
// It draws itself as a bevelled panel, or with a painter it is given (the
// print view).
#include <QWidget>

#include <functional>

class CardPanel : public QWidget
{
    Q_OBJECT
public:
    explicit CardPanel(QWidget *parent = nullptr);

    // Draws the whole panel instead of the bevel; none: the bevelled panel.
    using Painter = std::function<void(QPainter &painter)>;
    void setPainter(Painter painter);
    // Drawn over the bevel when no painter is set (the background and the
    // shapes, which are no child widgets).
    void setUnderlay(Painter underlay);
    // Drawn last in either view: marks of what is chosen on the card (the
    // current shape's frame and handles), under the boxes and never printed.
    void setOverlay(Painter overlay);

Q_SIGNALS:
    // Ctrl and the wheel over the card: steps up (positive) or down.
    void zoomWheel(int steps);
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    bool m_leftPressed = false;
    Painter m_painter;
    Painter m_underlay;
    Painter m_overlay;
    int m_wheelAngle = 0;   // eighths of a degree not yet a whole step
};
