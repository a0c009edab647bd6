#include "widgets/CardPanel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

CardPanel::CardPanel(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CardPanel::setPainter(Painter painter)
{
    m_painter = std::move(painter);
    update();
}

void CardPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_painter) {
        m_painter(p);
        if (m_overlay)
            m_overlay(p);
        return;
    }
    const QRect r = rect();
    p.fillRect(r, palette().color(QPalette::Button));
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    if (m_underlay)
        m_underlay(p);
    if (m_overlay)
        m_overlay(p);
}

void CardPanel::setUnderlay(Painter underlay)
{
    m_underlay = std::move(underlay);
    update();
}

void CardPanel::setOverlay(Painter overlay)
{
    m_overlay = std::move(overlay);
    update();
}

void CardPanel::mousePressEvent(QMouseEvent *event)
{
    m_leftPressed = event->button() == Qt::LeftButton;
}

void CardPanel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_leftPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_leftPressed = false;
    if (click)
        Q_EMIT clicked();
}

void CardPanel::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        event->ignore();   // the scroll area scrolls
        return;
    }
    event->accept();
    // One step per notch (120 eighths of a degree); fine-grained wheels add up.
    m_wheelAngle += event->angleDelta().y();
    const int steps = m_wheelAngle / 120;
    m_wheelAngle -= steps * 120;
    if (steps != 0)
        Q_EMIT zoomWheel(steps);
}
