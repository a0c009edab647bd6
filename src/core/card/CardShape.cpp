#include "card/CardShape.h"

#include <algorithm>

namespace {
std::int32_t coordinate(std::int64_t value)
{
    return std::int32_t(std::clamp<std::int64_t>(value, -CardShape::MaxCoordinate, CardShape::MaxCoordinate));
}
} // namespace

CardShape CardShape::movedBy(std::int32_t dx, std::int32_t dy) const
{
    CardShape moved = *this;
    moved.x1 = coordinate(std::int64_t(x1) + dx);
    moved.y1 = coordinate(std::int64_t(y1) + dy);
    moved.x2 = coordinate(std::int64_t(x2) + dx);
    moved.y2 = coordinate(std::int64_t(y2) + dy);
    return moved;
}

CardShape CardShape::normalized() const
{
    CardShape n = *this;
    n.x1 = coordinate(x1);
    n.y1 = coordinate(y1);
    n.x2 = coordinate(x2);
    n.y2 = coordinate(y2);
    if (n.kind == ShapeKind::Line) {
        if (n.direction == LineDirection::Horizontal)
            n.y2 = n.y1;
        else if (n.direction == LineDirection::Vertical)
            n.x2 = n.x1;
        n.widthTenths = std::clamp(n.widthTenths, MinWidthTenths, MaxWidthTenths);
        n.fill.reset();
        n.radiusTenths = 0;
    } else {
        n.direction = LineDirection::Free;
        n.widthTenths = std::clamp(n.widthTenths, 0, MaxWidthTenths);
        n.radiusTenths = std::clamp(n.radiusTenths, 0, MaxRadiusTenths);
    }
    return n;
}

QPoint CardShape::handle(int n) const
{
    if (isLine())
        return n == 0 ? QPoint(x1, y1) : QPoint(x2, y2);
    switch (n) {
    case 0: return QPoint(left(), top());
    case 1: return QPoint(right(), top());
    case 2: return QPoint(right(), bottom());
    default: return QPoint(left(), bottom());
    }
}

CardShape CardShape::withHandleAt(int n, std::int32_t x, std::int32_t y) const
{
    if (n < 0 || n >= handleCount())
        return *this;
    CardShape moved = *this;
    x = coordinate(x);
    y = coordinate(y);
    if (isLine()) {
        std::int32_t &endX = n == 0 ? moved.x1 : moved.x2;
        std::int32_t &endY = n == 0 ? moved.y1 : moved.y2;
        if (direction != LineDirection::Vertical)
            endX = x;
        if (direction != LineDirection::Horizontal)
            endY = y;
        // An end on the other one leaves a line of no length, which prints
        // nothing and can hardly be found again: the end stays where it was.
        if (moved.x1 == moved.x2 && moved.y1 == moved.y2)
            return *this;
        return moved;
    }
    // The opposite corner stays. The stored pair keeps its order (which of
    // the two is the left, which the top edge), so the file changes only in
    // the dragged corner's numbers.
    const bool dragsLeft = n == 0 || n == 3;
    const bool dragsTop = n == 0 || n == 1;
    const std::int32_t fixedX = dragsLeft ? right() : left();
    const std::int32_t fixedY = dragsTop ? bottom() : top();
    const std::int32_t newX = coordinate(dragsLeft ? std::min<std::int64_t>(x, std::int64_t(fixedX) - 1)
                                                   : std::max<std::int64_t>(x, std::int64_t(fixedX) + 1));
    const std::int32_t newY = coordinate(dragsTop ? std::min<std::int64_t>(y, std::int64_t(fixedY) - 1)
                                                  : std::max<std::int64_t>(y, std::int64_t(fixedY) + 1));
    const bool x1IsLeft = x1 <= x2;
    const bool y1IsTop = y1 <= y2;
    const std::int32_t newLeft = dragsLeft ? newX : fixedX;
    const std::int32_t newRight = dragsLeft ? fixedX : newX;
    const std::int32_t newTop = dragsTop ? newY : fixedY;
    const std::int32_t newBottom = dragsTop ? fixedY : newY;
    moved.x1 = x1IsLeft ? newLeft : newRight;
    moved.x2 = x1IsLeft ? newRight : newLeft;
    moved.y1 = y1IsTop ? newTop : newBottom;
    moved.y2 = y1IsTop ? newBottom : newTop;
    moved = moved.normalized();
    // At the coordinates' limit the pixel kept may be cut off again.
    if (moved.left() == moved.right() || moved.top() == moved.bottom())
        return *this;
    return moved;
}
