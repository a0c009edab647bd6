#pragma once
// Lines and rectangles as the tests put them on a card, in card pixels.
#include "card/CardShape.h"

#include <QPoint>

#include <cstdint>
#include <optional>

inline CardShape lineShape(LineDirection direction, QPoint from, QPoint to, int widthTenths,
                           StrokeStyle style = StrokeStyle::Solid)
{
    CardShape shape;
    shape.direction = direction;
    shape.x1 = from.x();
    shape.y1 = from.y();
    shape.x2 = to.x();
    shape.y2 = to.y();
    shape.widthTenths = widthTenths;
    shape.style = style;
    return shape;
}

// borderTenths 0 is a rectangle without border; no fill leaves it open.
inline CardShape rectangleShape(QPoint corner, QPoint opposite, std::optional<std::int32_t> fill, int borderTenths)
{
    CardShape shape = lineShape(LineDirection::Free, corner, opposite, borderTenths);
    shape.kind = ShapeKind::Rectangle;
    shape.fill = fill;
    return shape;
}
