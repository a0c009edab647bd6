#include "sheet/CalibrationSheet.h"

#include "card/BoxFont.h"
#include "sheet/FontMapping.h"

#include <QFont>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace CalibrationSheet {
namespace {

constexpr std::int32_t CrosshairArmTenths = 50;   // ±5 mm
constexpr std::int32_t RingRadiusTenths = 20;

// Lines a pixel wide, filled as rectangles so that every device draws
// exactly those pixels: from the first end up to the second, excluded.
void horizontal(QPainter &painter, int x1, int x2, int y)
{
    if (x2 > x1)
        painter.fillRect(QRect(x1, y, x2 - x1, 1), Qt::black);
}

void vertical(QPainter &painter, int x, int y1, int y2)
{
    if (y2 > y1)
        painter.fillRect(QRect(x, y1, 1, y2 - y1), Qt::black);
}

// A tick between two ends in either order (a back page runs its rulers the
// other way), both ends drawn.
void tickAcross(QPainter &painter, int x, int y1, int y2)
{
    vertical(painter, x, std::min(y1, y2), std::max(y1, y2) + 1);
}

void tickAlong(QPainter &painter, int x1, int x2, int y)
{
    horizontal(painter, std::min(x1, x2), std::max(x1, x2) + 1, y);
}

int pixels(std::int32_t tenths, int dpi) { return int(std::lround(double(tenths) * dpi / 254.0)); }

void drawOutlines(QPainter &painter, const SheetLayout &layout)
{
    for (int column = 0; column < layout.columns(); ++column) {
        for (int row = 0; row < layout.rows(); ++row) {
            const int left = layout.pageX(column, 0);
            const int top = layout.pageY(row, 0);
            const int right = layout.cardRightX(column);
            const int bottom = layout.cardBottomY(row);
            horizontal(painter, left, right, top);
            horizontal(painter, left, right, bottom - 1);
            vertical(painter, left, top, bottom);
            vertical(painter, right - 1, top, bottom);
        }
    }
}

// Millimetre ticks across a back crosshair's arms, out to the arms' ends.
void drawScale(QPainter &painter, const SheetLayout &layout, int x, int y)
{
    for (int mm = -CrosshairArmTenths / 10; mm <= CrosshairArmTenths / 10; ++mm) {
        if (mm == 0)
            continue;
        const std::int32_t half = (mm % 5 == 0 ? ScaleLongTickTenths : ScaleTickTenths) / 2;
        const int atX = x + pixels(mm * 10, layout.dpiX());
        const int atY = y + pixels(mm * 10, layout.dpiY());
        tickAcross(painter, atX, y - pixels(half, layout.dpiY()), y + pixels(half, layout.dpiY()));
        tickAlong(painter, x - pixels(half, layout.dpiX()), x + pixels(half, layout.dpiX()), atY);
    }
}

void drawCrosshairs(QPainter &painter, const SheetLayout &layout)
{
    const int armX = int(std::lround(double(CrosshairArmTenths) * layout.dpiX() / 254.0));
    const int armY = int(std::lround(double(CrosshairArmTenths) * layout.dpiY() / 254.0));
    const double ringX = double(RingRadiusTenths) * layout.dpiX() / 254.0;
    const double ringY = double(RingRadiusTenths) * layout.dpiY() / 254.0;
    painter.save();
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::NoBrush);
    for (int column = 0; column < layout.columns(); ++column) {
        for (int row = 0; row < layout.rows(); ++row) {
            const int x = (layout.pageX(column, 0) + layout.cardRightX(column)) / 2;
            const int y = (layout.pageY(row, 0) + layout.cardBottomY(row)) / 2;
            horizontal(painter, x - armX, x + armX + 1, y);
            vertical(painter, x, y - armY, y + armY + 1);
            painter.drawEllipse(QPointF(x + 0.5, y + 0.5), ringX, ringY);
            if (layout.isTurnedOver())
                drawScale(painter, layout, x, y);
        }
    }
    painter.restore();
}

// The program's gothic face, tenths of a millimetre high.
QFont labelFont(const SheetLayout &layout, int tenths)
{
    QFont font = FontMapping::toQFont(BoxFont(QStringLiteral("ＭＳ Ｐゴシック"), -1));
    font.setPixelSize(std::max(1, int(std::lround(double(tenths) * layout.dpiY() / 254.0))));
    return font;
}

void drawRulers(QPainter &painter, const SheetLayout &layout, const QSizeF &pageMm)
{
    painter.save();
    painter.setFont(labelFont(layout, 20));
    painter.setPen(Qt::black);
    const int widthMm = int(std::floor(pageMm.width()));
    const int heightMm = int(std::floor(pageMm.height()));
    const int topY = layout.sheetPoint(0, TopRulerTenths).y();
    const int leftX = layout.sheetPoint(LeftRulerTenths, 0).x();
    tickAlong(painter, layout.sheetPoint(0, 0).x(), layout.sheetPoint(std::int64_t(widthMm) * 10, 0).x(), topY);
    tickAcross(painter, leftX, layout.sheetPoint(0, 0).y(), layout.sheetPoint(0, std::int64_t(heightMm) * 10).y());
    const QFontMetrics metrics(painter.font(), painter.device());
    // A label stands beyond its tick's outer end: above the top ruler and
    // left of the left one, below and right of them on a turned page.
    for (int mm = 0; mm <= widthMm; ++mm) {
        const QPoint at = layout.sheetPoint(std::int64_t(mm) * 10, 0);
        const int tickEnd = layout.sheetPoint(0, TopRulerTenths - tickTenths(mm)).y();
        tickAcross(painter, at.x(), tickEnd, topY);
        if (mm % 10 == 0 && mm > 10) {   // clear of the other ruler
            const QString label = QString::number(mm);
            const int baseline = tickEnd <= topY ? tickEnd - metrics.descent() - 1 : tickEnd + metrics.ascent() + 1;
            painter.drawText(at.x() - metrics.horizontalAdvance(label) / 2, baseline, label);
        }
    }
    for (int mm = 0; mm <= heightMm; ++mm) {
        const QPoint at = layout.sheetPoint(0, std::int64_t(mm) * 10);
        const int tickEnd = layout.sheetPoint(LeftRulerTenths - tickTenths(mm), 0).x();
        tickAlong(painter, tickEnd, leftX, at.y());
        if (mm % 10 == 0 && mm > 10) {   // clear of the other ruler
            const QString label = QString::number(mm);
            const int left = tickEnd <= leftX ? tickEnd - metrics.horizontalAdvance(label) - 2 : tickEnd + 2;
            painter.drawText(left, at.y() + metrics.ascent() / 2, label);
        }
    }
    painter.restore();
}

} // namespace

std::int32_t tickTenths(int mm)
{
    if (mm % 10 == 0)
        return LongTickTenths;
    return mm % 5 == 0 ? MiddleTickTenths : ShortTickTenths;
}

void draw(QPainter &painter, const SheetLayout &layout, const QSizeF &pageMm, const QString &note)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    drawOutlines(painter, layout);
    drawCrosshairs(painter, layout);
    drawRulers(painter, layout, pageMm);
    // The note inside the first card, clear of its crosshair.
    painter.setFont(labelFont(layout, 28));
    painter.setPen(Qt::black);
    const int margin = int(std::lround(30.0 * layout.dpiX() / 254.0));
    const QRect firstCard(QPoint(layout.pageX(0, 0), layout.pageY(0, 0)),
                          QPoint(layout.cardRightX(0) - 1, layout.cardBottomY(0) - 1));
    painter.drawText(firstCard.adjusted(margin, margin, -margin, -margin), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     note);
    painter.restore();
}

bool printPages(QPainter &painter, QPagedPaintDevice &device, const SheetLayout &layout, const SheetSides &sides,
                const QSizeF &pageMm, const QString &frontNote, const QString &backNote)
{
    if (sides.front)
        draw(painter, layout, pageMm, frontNote);
    if (!sides.back)
        return true;
    if (sides.front && !device.newPage())
        return false;
    draw(painter, layout.turnedOver(SheetPrinter::backSheetOn(device, sides)), pageMm, backNote);
    return true;
}

} // namespace CalibrationSheet
