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
