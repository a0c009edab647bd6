#include "sheet/ShapeDrawing.h"

#include "card/CardGeometry.h"
#include "sheet/FontMapping.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPen>
#include <QPaintDevice>

#include <algorithm>

namespace {

// Dashes are drawn only where the page can show them: a dotted rule dragged a
// metre off the card costs nothing.
QRect visibleArea(const QPainter &painter)
{
    const QPaintDevice *device = painter.device();
    if (!device)
        return {};
    const QRect page(0, 0, device->width(), device->height());
    return painter.worldTransform().inverted().mapRect(page).adjusted(-1, -1, 1, 1);
}

// A band along x (horizontal) or y, cut into dashes from its start.
void fillDashedBand(QPainter &painter, const QRect &band, bool horizontal, std::int32_t dash, std::int32_t gap,
                    const QColor &color)
{
    if (band.isEmpty())
        return;
    if (gap <= 0) {
        painter.fillRect(band, color);
        return;
    }
    const QRect visible = visibleArea(painter);
    const std::int64_t start = horizontal ? band.left() : band.top();
    const std::int64_t end = horizontal ? std::int64_t(band.right()) + 1 : std::int64_t(band.bottom()) + 1;
    const std::int64_t first = horizontal ? visible.left() : visible.top();
    const std::int64_t last = horizontal ? std::int64_t(visible.right()) + 1 : std::int64_t(visible.bottom()) + 1;
    const std::int64_t period = std::int64_t(dash) + gap;
    // The first dash that reaches the visible area.
    std::int64_t at = start;
    if (first > start)
        at = start + (first - start) / period * period;
    QVector<QRect> dashes;
    for (; at < end && at < last; at += period) {
        const std::int64_t stop = std::min(end, at + dash);
        dashes.push_back(horizontal ? QRect(int(at), band.top(), int(stop - at), band.height())
                                    : QRect(band.left(), int(at), band.width(), int(stop - at)));
    }
    // One fill for them all: a dotted rule across a card at 600 dpi is some
    // hundreds of dashes, each a fill of its own in a PDF.
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawRects(dashes);
    painter.restore();
}

void fillSmooth(QPainter &painter, const QPainterPath &path, const QColor &color)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillPath(path, color);
    painter.restore();
}

// The outline of a stroke along path, width wide, dashed as dashes (in pixels).
QPainterPath strokeOf(const QPainterPath &path, qreal width, std::int32_t dash, std::int32_t gap)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::FlatCap);
    stroker.setJoinStyle(Qt::MiterJoin);
    if (gap > 0)
        stroker.setDashPattern(QList<qreal>{dash / width, gap / width});
    return stroker.createStroke(path);
}

bool rasterDevice(const QPainter &painter)
{
    const QPaintDevice *device = painter.device();
    const int type = device ? device->devType() : QInternal::Image;
    return type == QInternal::Image || type == QInternal::Pixmap || type == QInternal::Widget;
}

// A dashed stroke along a curve or a slanted line. A PDF or a printer gets the
// path once with a dashed pen, which the PDF keeps as its own dash pattern; a
// raster device the outline of every dash, filled smooth. The outlines of the
// dots of a dotted rounded frame are thousands of path points a card, and
// made the design bench's PDF 2.3 times the plain card's.
void fillStroke(QPainter &painter, const QPainterPath &path, qreal width, std::int32_t dash, std::int32_t gap,
                const QColor &color)
{
    if (gap <= 0 || rasterDevice(painter)) {
        fillSmooth(painter, strokeOf(path, width, dash, gap), color);
        return;
    }
    QPen pen(color, width, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setDashPattern(QList<qreal>{dash / width, gap / width});
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.restore();
}

void drawLine(QPainter &painter, const CardShape &shape, QPoint a, QPoint b, std::int32_t dpiX, std::int32_t dpiY,
              const QColor &color)
{
    const ShapeDrawing::Dashes dashes = ShapeDrawing::dashesFor(shape.style, shape.widthTenths);
    if (a.y() == b.y()) {
        // The band's rows centred on the line's row: the row itself for one
        // pixel, the row above it too for two.
        const std::int32_t width = ShapeDrawing::pixels(shape.widthTenths, dpiY);
        const int left = std::min(a.x(), b.x());
        const int right = std::max(a.x(), b.x());
        fillDashedBand(painter, QRect(left, a.y() - width / 2, right - left, width), true,
                       ShapeDrawing::pixels(dashes.dash, dpiX), dashes.gap ? ShapeDrawing::pixels(dashes.gap, dpiX) : 0,
                       color);
        return;
    }
    if (a.x() == b.x()) {
        const std::int32_t width = ShapeDrawing::pixels(shape.widthTenths, dpiX);
        const int top = std::min(a.y(), b.y());
        const int bottom = std::max(a.y(), b.y());
        fillDashedBand(painter, QRect(a.x() - width / 2, top, width, bottom - top), false,
                       ShapeDrawing::pixels(dashes.dash, dpiY), dashes.gap ? ShapeDrawing::pixels(dashes.gap, dpiY) : 0,
                       color);
        return;
    }
    QPainterPath path(a);
    path.lineTo(b);
    const qreal width = ShapeDrawing::pixels(shape.widthTenths, dpiX);
    fillStroke(painter, path, width, ShapeDrawing::pixels(dashes.dash, dpiX),
               dashes.gap ? ShapeDrawing::pixels(dashes.gap, dpiX) : 0, color);
}

void drawRectangle(QPainter &painter, const CardShape &shape, QPoint a, QPoint b, std::int32_t dpiX,
                   std::int32_t dpiY)
{
    const QRect area(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                     QSize(std::abs(a.x() - b.x()), std::abs(a.y() - b.y())));
    if (area.isEmpty())
        return;
    const qreal radius =
        std::min<qreal>(shape.radiusTenths ? ShapeDrawing::pixels(shape.radiusTenths, dpiX) : 0,
                        std::min(area.width(), area.height()) / 2.0);
    // The fill first, the whole area: the border lies on it.
    if (shape.fill) {
        const QColor fill = FontMapping::toQColor(*shape.fill);
        if (radius > 0) {
            QPainterPath path;
            path.addRoundedRect(QRectF(area), radius, radius);
            fillSmooth(painter, path, fill);
        } else {
            painter.fillRect(area, fill);
        }
    }
    if (shape.widthTenths <= 0)
        return;
    // The border inside the area, so the rectangle's outer edge is where its
    // corners are, whatever its width; no wider than half the area.
    const int bx = std::min(ShapeDrawing::pixels(shape.widthTenths, dpiX), (area.width() + 1) / 2);
    const int by = std::min(ShapeDrawing::pixels(shape.widthTenths, dpiY), (area.height() + 1) / 2);
    const QColor color = FontMapping::toQColor(shape.color);
    const ShapeDrawing::Dashes dashes = ShapeDrawing::dashesFor(shape.style, shape.widthTenths);
    const std::int32_t dashX = ShapeDrawing::pixels(dashes.dash, dpiX);
    const std::int32_t gapX = dashes.gap ? ShapeDrawing::pixels(dashes.gap, dpiX) : 0;
    const std::int32_t dashY = ShapeDrawing::pixels(dashes.dash, dpiY);
    const std::int32_t gapY = dashes.gap ? ShapeDrawing::pixels(dashes.gap, dpiY) : 0;
    if (radius > 0) {
        const QRectF outer(area);
        if (dashes.gap == 0) {
            QPainterPath path;
            path.addRoundedRect(outer, radius, radius);
            const QRectF inner = outer.adjusted(bx, by, -bx, -by);
            if (!inner.isEmpty()) {
                const qreal innerRadius = std::max<qreal>(radius - std::max(bx, by), 0);
                path.addRoundedRect(inner, innerRadius, innerRadius);
            }
            path.setFillRule(Qt::OddEvenFill);
            fillSmooth(painter, path, color);
        } else {
            const qreal half = bx / 2.0;
            QPainterPath middle;
            middle.addRoundedRect(outer.adjusted(half, half, -half, -half), std::max<qreal>(radius - half, 0),
                                  std::max<qreal>(radius - half, 0));
            fillStroke(painter, middle, bx, dashX, gapX, color);
        }
        return;
    }
    fillDashedBand(painter, QRect(area.left(), area.top(), area.width(), by), true, dashX, gapX, color);
    fillDashedBand(painter, QRect(area.left(), area.bottom() + 1 - by, area.width(), by), true, dashX, gapX, color);
    const int sideHeight = area.height() - 2 * by;
    if (sideHeight > 0) {
        fillDashedBand(painter, QRect(area.left(), area.top() + by, bx, sideHeight), false, dashY, gapY, color);
        fillDashedBand(painter, QRect(area.right() + 1 - bx, area.top() + by, bx, sideHeight), false, dashY, gapY,
                       color);
    }
}

} // namespace

namespace ShapeDrawing {

std::int32_t pixels(int tenths, std::int32_t dpi)
{
    return std::max<std::int32_t>(1, CardGeometry::roundTiesEven(static_cast<long double>(tenths) * dpi / 254.0L));
}

Dashes dashesFor(StrokeStyle style, int widthTenths)
{
    switch (style) {
    case StrokeStyle::Dashed:
        // Dashes of three widths, gaps of two; never shorter than 1.5 mm and 1 mm.
        return {std::max(3 * widthTenths, 15), std::max(2 * widthTenths, 10)};
    case StrokeStyle::Dotted:
        // Square dots, at least half a millimetre apart.
        return {widthTenths, std::max(widthTenths, 5)};
    case StrokeStyle::Solid:
        break;
    }
    return {0, 0};
}

void draw(QPainter &painter, const CardShape &shape, QPoint from, QPoint to, std::int32_t dpiX, std::int32_t dpiY)
{
    if (shape.isLine())
        drawLine(painter, shape, from, to, dpiX, dpiY, FontMapping::toQColor(shape.color));
    else
        drawRectangle(painter, shape, from, to, dpiX, dpiY);
}

} // namespace ShapeDrawing
