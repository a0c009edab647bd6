#include "widgets/ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace ToolIcons {
namespace {
QIcon draw(int size, const std::function<void(QPainter &)> &paint)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    paint(p);
    return QIcon(pixmap);
}

void page(QPainter &p)
{
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({QPoint(3, 1), QPoint(10, 1), QPoint(13, 4), QPoint(13, 14), QPoint(3, 14)}));
    p.drawLine(10, 1, 10, 4);
    p.drawLine(10, 4, 13, 4);
}
}

QIcon newCard()
{
    return draw(16, [](QPainter &p) { page(p); });
}

QIcon openCard()
{
    return draw(16, [](QPainter &p) {
        p.setPen(Qt::black);
        p.setBrush(QColor(0xE0, 0xC0, 0x40));
        p.drawRect(1, 4, 12, 9);
        p.setBrush(QColor(0xF8, 0xE0, 0x70));
        p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 13), QPoint(1, 13)}));
    });
}

QIcon saveCard()
{
    return draw(16, [](QPainter &p) {
        p.setPen(Qt::black);
        p.setBrush(QColor(0x20, 0x40, 0xA0));
        p.drawRect(1, 1, 13, 13);
        p.setBrush(Qt::white);
        p.drawRect(4, 1, 7, 5);
        p.setBrush(QColor(0xC0, 0xC0, 0xC0));
        p.drawRect(4, 9, 7, 5);
    });
}

QIcon exitProgram()
{
    return draw(16, [](QPainter &p) {
        p.setPen(Qt::black);
        p.setBrush(QColor(0x90, 0x60, 0x30));
        p.drawRect(2, 1, 8, 13);
        p.setPen(QPen(QColor(0xC0, 0x00, 0x00), 2));
        p.drawLine(8, 8, 15, 8);
        p.drawLine(12, 5, 15, 8);
        p.drawLine(12, 11, 15, 8);
    });
}

QIcon newTextBox()
{
    return draw(16, [](QPainter &p) {
        p.setPen(Qt::black);
        p.setBrush(QColor(0xF0, 0xF0, 0xF0));
        p.drawRect(0, 3, 15, 10);
        QFont f;
        f.setPixelSize(10);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(0, 3, 16, 11), Qt::AlignCenter, QStringLiteral("A"));
    });
}

QIcon newImageBox()
{
    return draw(16, [](QPainter &p) {
        p.setPen(Qt::black);
        p.setBrush(QColor(0xA0, 0xD0, 0xFF));
        p.drawRect(0, 2, 15, 12);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x30, 0x90, 0x30));
        p.drawPolygon(QPolygon({QPoint(1, 14), QPoint(6, 7), QPoint(9, 11), QPoint(11, 9), QPoint(15, 14)}));
        p.setBrush(QColor(0xFF, 0xD0, 0x00));
        p.drawEllipse(QPoint(11, 5), 2, 2);
    });
}

// A card on grey, as the print view shows it.
QIcon printView()
{
    return draw(16, [](QPainter &p) {
        p.fillRect(0, 2, 16, 12, QColor(0xA0, 0xA0, 0xA0));
        p.setPen(QColor(0x40, 0x40, 0x40));
        p.setBrush(Qt::white);
        p.drawRect(2, 4, 11, 7);
        p.setPen(QColor(0x20, 0x20, 0x20));
        p.drawLine(4, 6, 10, 6);
        p.drawLine(4, 8, 8, 8);
    });
}

QIcon program()
{
    return draw(32, [](QPainter &p) {
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawRect(1, 6, 29, 19);
        p.setBrush(QColor(0x20, 0x40, 0xA0));
        p.drawRect(4, 9, 6, 6);
        p.setPen(QColor(0x20, 0x20, 0x20));
        p.drawLine(13, 11, 26, 11);
        p.drawLine(13, 15, 22, 15);
        p.drawLine(4, 20, 26, 20);
    });
}

} // namespace ToolIcons
